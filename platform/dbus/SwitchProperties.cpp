#include "platform/dbus/SwitchProperties.h"

#include <cstring>

namespace plat::dbus {
namespace {

GVariant* PortList(const std::vector<std::uint32_t>& ports) {
  return g_variant_new_fixed_array(G_VARIANT_TYPE_UINT32, ports.data(), ports.size(),
                                   sizeof(std::uint32_t));
}

}  // namespace

GVariant* PropertyValue(const SwitchState& state, const char* name) {
  if (std::strcmp(name, "Connected") == 0)
    return g_variant_new_boolean(state.connected);
  if (std::strcmp(name, "Generation") == 0)
    return g_variant_new_uint32(state.generation);
  if (std::strcmp(name, "PortCount") == 0)
    return g_variant_new_uint32(state.portCount);
  if (std::strcmp(name, "AvailablePorts") == 0)
    return PortList(state.availablePorts);
  if (std::strcmp(name, "ActivePort") == 0)
    return g_variant_new_uint32(state.activePort);
  if (std::strcmp(name, "AutoScan") == 0)
    return g_variant_new_boolean(state.autoScan);
  if (std::strcmp(name, "AutoScanPeriod") == 0)
    return g_variant_new_uint32(state.autoScanPeriod);
  if (std::strcmp(name, "Buzzer") == 0)
    return g_variant_new_boolean(state.buzzer);
  return nullptr;
}

std::vector<const char*> ChangedProperties(const SwitchState& before, const SwitchState& after) {
  std::vector<const char*> changed;
  for (const char* name : kPropertyNames) {
    GVariant* a = g_variant_ref_sink(PropertyValue(before, name));
    GVariant* b = g_variant_ref_sink(PropertyValue(after, name));
    if (!g_variant_equal(a, b))
      changed.push_back(name);
    g_variant_unref(a);
    g_variant_unref(b);
  }
  return changed;
}

SwitchState StateFromProperties(GVariant* properties) {
  SwitchState state;
  ApplyProperties(state, properties);
  return state;
}

void ApplyProperties(SwitchState& state, GVariant* properties) {
  if (properties == nullptr || !g_variant_is_of_type(properties, G_VARIANT_TYPE_VARDICT))
    return;
  const auto flag = [&](const char* name, bool& into) {
    if (GVariant* v = g_variant_lookup_value(properties, name, G_VARIANT_TYPE_BOOLEAN)) {
      into = g_variant_get_boolean(v) != FALSE;
      g_variant_unref(v);
    }
  };
  const auto number = [&](const char* name, std::uint32_t& into) {
    if (GVariant* v = g_variant_lookup_value(properties, name, G_VARIANT_TYPE_UINT32)) {
      into = g_variant_get_uint32(v);
      g_variant_unref(v);
    }
  };
  flag("Connected", state.connected);
  number("Generation", state.generation);
  number("PortCount", state.portCount);
  number("ActivePort", state.activePort);
  flag("AutoScan", state.autoScan);
  number("AutoScanPeriod", state.autoScanPeriod);
  flag("Buzzer", state.buzzer);
  if (GVariant* v = g_variant_lookup_value(properties, "AvailablePorts", G_VARIANT_TYPE("au"))) {
    gsize count = 0;
    const auto* ports =
        static_cast<const std::uint32_t*>(g_variant_get_fixed_array(v, &count, sizeof(guint32)));
    state.availablePorts.assign(ports, ports + count);
    g_variant_unref(v);
  }
}

}  // namespace plat::dbus

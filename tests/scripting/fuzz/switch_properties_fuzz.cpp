// The properties a peer on the bus sends (the serialized a{sv} of GetAll or PropertiesChanged,
// any bytes), read into the switch's state and printed as text and as JSON: the JSON must parse
// back to the same values, and the text must be one line per property.
#include <gio/gio.h>

#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/dbus/SwitchProperties.h"
#include "programs/tallowmerectl/StatusText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  GBytes* bytes = g_bytes_new(data, size);
  GVariant* properties =
      g_variant_ref_sink(g_variant_new_from_bytes(G_VARIANT_TYPE_VARDICT, bytes, FALSE));
  g_bytes_unref(bytes);
  const plat::dbus::SwitchState state = plat::dbus::StateFromProperties(properties);
  g_variant_unref(properties);

  const nlohmann::json json = nlohmann::json::parse(ctl::StatusJson(state));
  if (json.size() != plat::dbus::kPropertyNames.size() || json["Connected"] != state.connected ||
      json["ActivePort"] != state.activePort ||
      json["AvailablePorts"].get<std::vector<std::uint32_t>>() != state.availablePorts) {
    std::abort();
  }
  const std::string text = ctl::StatusLines(state);
  std::size_t lines = 0;
  for (char c : text)
    lines += c == '\n' ? 1 : 0;
  if (lines != plat::dbus::kPropertyNames.size())
    std::abort();
  return 0;
}

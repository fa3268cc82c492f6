#include "platform/gtk/DBusMenu.h"

#include <optional>
#include <set>

#include "platform/RunLoop.h"
#include "platform/gtk/GLibLoop.h"

namespace plat::gtk {
namespace {

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout">
      <arg type="i" direction="in"/><arg type="i" direction="in"/><arg type="as" direction="in"/>
      <arg type="u" direction="out"/><arg type="(ia{sv}av)" direction="out"/>
    </method>
    <method name="GetGroupProperties">
      <arg type="ai" direction="in"/><arg type="as" direction="in"/>
      <arg type="a(ia{sv})" direction="out"/>
    </method>
    <method name="GetProperty">
      <arg type="i" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/>
    </method>
    <method name="Event">
      <arg type="i" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="in"/>
      <arg type="u" direction="in"/>
    </method>
    <method name="EventGroup">
      <arg type="a(isvu)" direction="in"/><arg type="ai" direction="out"/>
    </method>
    <method name="AboutToShow">
      <arg type="i" direction="in"/><arg type="b" direction="out"/>
    </method>
    <method name="AboutToShowGroup">
      <arg type="ai" direction="in"/><arg type="ai" direction="out"/><arg type="ai" direction="out"/>
    </method>
    <signal name="ItemsPropertiesUpdated">
      <arg type="a(ia{sv})"/><arg type="a(ias)"/>
    </signal>
    <signal name="LayoutUpdated"><arg type="u"/><arg type="i"/></signal>
    <signal name="ItemActivationRequested"><arg type="i"/><arg type="u"/></signal>
  </interface>
</node>)xml";

// dbusmenu reads an underscore as a mnemonic mark: a literal one is doubled.
std::string Label(const std::string& text) {
  std::string label;
  for (char c : text) {
    label += c;
    if (c == '_')
      label += '_';
  }
  return label;
}

}  // namespace

DBusMenu::DBusMenu(GDBusConnection* bus, const char* path)
    : bus_(G_DBUS_CONNECTION(g_object_ref(bus))), path_(path) {
  static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  static const GDBusInterfaceVTable vtable{
      &DBusMenu::MethodCalled, &DBusMenu::PropertyRead, nullptr, {}};
  registration_ = g_dbus_connection_register_object(bus_, path, node->interfaces[0], &vtable, this,
                                                    nullptr, nullptr);
  Refresh();
}

DBusMenu::~DBusMenu() {
  *alive_ = false;
  if (registration_ != 0)
    g_dbus_connection_unregister_object(bus_, registration_);
  g_object_unref(bus_);
}

gint32 DBusMenu::IdFor(MenuRef menu, MenuItemIndex index, bool separator) {
  const std::pair<UInt32, int> key{menu.value, separator ? -1 - index : index};
  const auto known = ids_.find(key);
  if (known != ids_.end())
    return known->second;
  return ids_[key] = nextId_++;
}

std::vector<DBusMenu::Item> DBusMenu::Describe() {
  std::vector<Item> items;
  std::set<MenuCommand> commands;
  const auto add = [&](const MenuView& menu) {
    for (const MenuItemView& item : menu.items) {
      if (item.hidden || item.submenu)
        continue;
      // The menu bar's items that the Dock menu has already (Preferences) are not repeated.
      if (item.command != 0 && !commands.insert(item.command).second)
        continue;
      items.push_back({IdFor(menu.ref, item.index, item.separator), menu.ref, item.index,
                       item.separator, Label(item.text), item.enabled, item.mark != 0});
    }
  };
  if (const std::optional<MenuView> dock = DockMenu())
    add(*dock);
  for (const MenuView& bar : MenuBarMenus()) {
    if (const std::optional<MenuView> menu = DescribeMenu(bar.ref)) {
      items.push_back({IdFor(bar.ref, 0, true), bar.ref, 0, true, "", true, false});
      add(*menu);
    }
  }
  // No separator at either end, nor two together.
  std::vector<Item> tidy;
  for (const Item& item : items) {
    if (item.separator && (tidy.empty() || tidy.back().separator))
      continue;
    tidy.push_back(item);
  }
  if (!tidy.empty() && tidy.back().separator)
    tidy.pop_back();
  return tidy;
}

void DBusMenu::Refresh() {
  // The program brings its menus up to date as they open.
  OpenDockMenu();
  for (const MenuView& bar : MenuBarMenus())
    OpenMenu(bar.ref);
  std::vector<Item> items = Describe();
  if (items == items_)
    return;
  items_ = std::move(items);
  ++revision_;
  g_dbus_connection_emit_signal(bus_, nullptr, path_.c_str(), "com.canonical.dbusmenu",
                                "LayoutUpdated", g_variant_new("(ui)", revision_, 0), nullptr);
  if (GLibLoop* loop = GLibLoop::Current())
    loop->Schedule();
}

GVariant* DBusMenu::Properties(const Item& item) const {
  GVariantBuilder properties;
  g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
  if (item.separator) {
    g_variant_builder_add(&properties, "{sv}", "type", g_variant_new_string("separator"));
  } else {
    g_variant_builder_add(&properties, "{sv}", "label", g_variant_new_string(item.label.c_str()));
    g_variant_builder_add(&properties, "{sv}", "enabled", g_variant_new_boolean(item.enabled));
    if (item.checked) {
      g_variant_builder_add(&properties, "{sv}", "toggle-type", g_variant_new_string("checkmark"));
      g_variant_builder_add(&properties, "{sv}", "toggle-state", g_variant_new_int32(1));
    }
  }
  return g_variant_builder_end(&properties);
}

GVariant* DBusMenu::Layout() const {
  GVariantBuilder children;
  g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
  for (const Item& item : items_) {
    g_variant_builder_add(&children, "v",
                          g_variant_new("(i@a{sv}@av)", item.id, Properties(item),
                                        g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0)));
  }
  GVariantBuilder root;
  g_variant_builder_init(&root, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&root, "{sv}", "children-display", g_variant_new_string("submenu"));
  return g_variant_new("(u(i@a{sv}@av))", revision_, 0, g_variant_builder_end(&root),
                       g_variant_builder_end(&children));
}

GVariant* DBusMenu::GroupProperties(GVariant* ids) const {
  GVariantBuilder group;
  g_variant_builder_init(&group, G_VARIANT_TYPE("a(ia{sv})"));
  GVariantIter iter;
  g_variant_iter_init(&iter, ids);
  gint32 id = 0;
  while (g_variant_iter_next(&iter, "i", &id)) {
    for (const Item& item : items_) {
      if (item.id == id)
        g_variant_builder_add(&group, "(i@a{sv})", id, Properties(item));
    }
  }
  return g_variant_new("(@a(ia{sv}))", g_variant_builder_end(&group));
}

void DBusMenu::Chosen(gint32 id) {
  for (const Item& item : items_) {
    if (item.id != id || item.separator || !item.enabled)
      continue;
    // After the host's call has been answered: the choice may open windows or quit.
    RunLoop::Main().Post([menu = item.menu, index = item.index, alive = alive_] {
      if (*alive)
        ChooseMenuItem(menu, index);
    });
    return;
  }
}

void DBusMenu::MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                            const gchar* method, GVariant* parameters,
                            GDBusMethodInvocation* invocation, gpointer self) {
  auto* menu = static_cast<DBusMenu*>(self);
  const std::string name = method;
  GVariant* reply = nullptr;
  if (name == "GetLayout") {
    reply = menu->Layout();
  } else if (name == "GetGroupProperties") {
    GVariant* ids = g_variant_get_child_value(parameters, 0);
    reply = menu->GroupProperties(ids);
    g_variant_unref(ids);
  } else if (name == "GetProperty") {
    gint32 id = 0;
    const char* property = nullptr;
    g_variant_get(parameters, "(i&s)", &id, &property);
    for (const Item& item : menu->items_) {
      GVariant* properties = item.id == id ? menu->Properties(item) : nullptr;
      GVariant* value =
          properties == nullptr ? nullptr : g_variant_lookup_value(properties, property, nullptr);
      if (properties != nullptr)
        g_variant_unref(g_variant_ref_sink(properties));
      if (value != nullptr) {
        reply = g_variant_new("(v)", value);
        g_variant_unref(value);
      }
    }
    if (reply == nullptr) {
      g_dbus_method_invocation_return_dbus_error(invocation, "com.canonical.dbusmenu.Error",
                                                 "no such item or property");
      return;
    }
  } else if (name == "Event") {
    gint32 id = 0;
    const char* event = nullptr;
    g_variant_get(parameters, "(i&svu)", &id, &event, nullptr, nullptr);
    if (std::string(event) == "clicked")
      menu->Chosen(id);
  } else if (name == "EventGroup") {
    GVariantIter* events = nullptr;
    g_variant_get(parameters, "(a(isvu))", &events);
    gint32 id = 0;
    const char* event = nullptr;
    while (g_variant_iter_next(events, "(i&svu)", &id, &event, nullptr, nullptr)) {
      if (std::string(event) == "clicked")
        menu->Chosen(id);
    }
    g_variant_iter_free(events);
    reply = g_variant_new("(@ai)", g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0));
  } else if (name == "AboutToShow") {
    const guint32 before = menu->revision_;
    menu->Refresh();
    reply = g_variant_new("(b)", menu->revision_ != before);
  } else if (name == "AboutToShowGroup") {
    const guint32 before = menu->revision_;
    menu->Refresh();
    GVariantBuilder updated;
    g_variant_builder_init(&updated, G_VARIANT_TYPE("ai"));
    if (menu->revision_ != before)
      g_variant_builder_add(&updated, "i", 0);
    reply = g_variant_new("(@ai@ai)", g_variant_builder_end(&updated),
                          g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0));
  }
  g_dbus_method_invocation_return_value(invocation, reply);
}

GVariant* DBusMenu::PropertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                 const gchar* property, GError**, gpointer) {
  const std::string name = property;
  if (name == "Version")
    return g_variant_new_uint32(3);
  if (name == "TextDirection")
    return g_variant_new_string("ltr");
  if (name == "Status")
    return g_variant_new_string("normal");
  return g_variant_new_strv(nullptr, 0);
}

}  // namespace plat::gtk

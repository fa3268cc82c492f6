#include "platform/gtk/StatusNotifierItem.h"

#include <unistd.h>

#include <array>

#include "platform/Processes.h"
#include "platform/RunLoop.h"
#include "platform/gtk/DBusMenu.h"
#include "platform/gtk/DockTileImage.h"
#include "platform/gtk/GLibLoop.h"

namespace plat::gtk {
namespace {

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kMenuPath = "/MenuBar";

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="Activate"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="SecondaryActivate">
      <arg type="i" direction="in"/><arg type="i" direction="in"/>
    </method>
    <method name="Scroll"><arg type="i" direction="in"/><arg type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg type="s"/></signal>
  </interface>
</node>)xml";

GVariant* NoPixmaps() {
  return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
}

}  // namespace

std::vector<guint8> ArgbPixels(GdkPixbuf* pixbuf) {
  const int width = gdk_pixbuf_get_width(pixbuf);
  const int height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf) != FALSE;
  const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);
  std::vector<guint8> argb;
  argb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const guint8* p = pixels + y * stride + x * channels;
      argb.insert(argb.end(), {alpha ? p[3] : guint8{255}, p[0], p[1], p[2]});
    }
  }
  return argb;
}

GVariant* ItemPixmaps(CGImageRef image) {
  GdkPixbuf* source = DockTilePixbuf(image);
  if (source == nullptr)
    return NoPixmaps();
  GVariantBuilder pixmaps;
  g_variant_builder_init(&pixmaps, G_VARIANT_TYPE("a(iiay)"));
  for (const int size : std::array{16, 22, 24, 32, 48, 64}) {
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(source, size, size, GDK_INTERP_BILINEAR);
    if (scaled == nullptr)
      continue;
    const std::vector<guint8> argb = ArgbPixels(scaled);
    g_object_unref(scaled);
    g_variant_builder_add(
        &pixmaps, "(ii@ay)", size, size,
        g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, argb.data(), argb.size(), 1));
  }
  g_object_unref(source);
  return g_variant_builder_end(&pixmaps);
}

StatusNotifierItem::StatusNotifierItem(GDBusConnection* bus)
    : bus_(G_DBUS_CONNECTION(g_object_ref(bus))),
      name_("org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1") {
  static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  static const GDBusInterfaceVTable vtable{
      &StatusNotifierItem::MethodCalled, &StatusNotifierItem::PropertyRead, nullptr, {}};
  registration_ = g_dbus_connection_register_object(bus_, kItemPath, node->interfaces[0], &vtable,
                                                    this, nullptr, nullptr);
  menu_ = std::make_unique<DBusMenu>(bus_, kMenuPath);
  pixmaps_ = g_variant_ref_sink(ItemPixmaps(CurrentDockTileImage()));
  observer_ = AddDockTileObserver([this](CGImageRef image) { ShowImage(image); });
  ownership_ =
      g_bus_own_name_on_connection(bus_, name_.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE,
                                   &StatusNotifierItem::NameAcquired, nullptr, this, nullptr);
}

StatusNotifierItem::~StatusNotifierItem() {
  *alive_ = false;
  RemoveDockTileObserver(observer_);
  g_bus_unown_name(ownership_);
  menu_.reset();
  if (registration_ != 0)
    g_dbus_connection_unregister_object(bus_, registration_);
  g_variant_unref(pixmaps_);
  g_object_unref(bus_);
}

void StatusNotifierItem::NameAcquired(GDBusConnection*, const gchar*, gpointer self) {
  auto* item = static_cast<StatusNotifierItem*>(self);
  item->named_ = true;
  item->Register();
}

void StatusNotifierItem::Register() {
  if (!named_)
    return;  // registered once the name is ours
  g_dbus_connection_call(bus_, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                         "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem",
                         g_variant_new("(s)", name_.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, -1,
                         nullptr, nullptr, nullptr);
}

void StatusNotifierItem::ShowImage(CGImageRef image) {
  g_variant_unref(pixmaps_);
  pixmaps_ = g_variant_ref_sink(ItemPixmaps(image));
  g_dbus_connection_emit_signal(bus_, nullptr, kItemPath, kItemInterface, "NewIcon", nullptr,
                                nullptr);
  // A new port changes what the Dock menu offers.
  menu_->Refresh();
  if (GLibLoop* loop = GLibLoop::Current())
    loop->Schedule();
}

void StatusNotifierItem::MethodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                      const gchar* method, GVariant*,
                                      GDBusMethodInvocation* invocation, gpointer self) {
  auto* item = static_cast<StatusNotifierItem*>(self);
  if (std::string(method) == "Activate") {
    // As a click on the Dock icon: the program opens its Preferences window.
    RunLoop::Main().Post([alive = item->alive_] {
      if (*alive)
        ShowApplication();
    });
  }
  g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* StatusNotifierItem::PropertyRead(GDBusConnection*, const gchar*, const gchar*,
                                           const gchar*, const gchar* property, GError**,
                                           gpointer self) {
  auto* item = static_cast<StatusNotifierItem*>(self);
  const std::string name = property;
  if (name == "Category")
    return g_variant_new_string("Hardware");
  if (name == "Id")
    return g_variant_new_string("org.tallowmere.Tallowmere");
  if (name == "Title")
    return g_variant_new_string("Tallowmere");
  if (name == "Status")
    return g_variant_new_string("Active");
  if (name == "WindowId")
    return g_variant_new_int32(0);
  if (name == "IconPixmap")
    return g_variant_ref(item->pixmaps_);
  if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap")
    return NoPixmaps();
  if (name == "ToolTip")
    return g_variant_new("(s@a(iiay)ss)", "", NoPixmaps(), "Tallowmere", "");
  if (name == "ItemIsMenu")
    return g_variant_new_boolean(FALSE);
  if (name == "Menu")
    return g_variant_new_object_path(kMenuPath);
  return g_variant_new_string("");
}

}  // namespace plat::gtk

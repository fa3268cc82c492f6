#include "platform/gtk/PortalRequest.h"

#include <algorithm>

namespace plat::gtk {
namespace {

// The path of the Request object the portal makes for our `token`: the sender's unique name
// without its colon and with dots as underscores.
std::string RequestPath(GDBusConnection* bus, const std::string& token) {
  std::string sender = g_dbus_connection_get_unique_name(bus);
  if (!sender.empty() && sender[0] == ':')
    sender.erase(0, 1);
  std::replace(sender.begin(), sender.end(), '.', '_');
  return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

}  // namespace

std::string NewPortalToken() {
  static unsigned next = 0;
  return "tallowmere" + std::to_string(++next);
}

PortalRequest::PortalRequest(GDBusConnection* bus, PortalAnswer answer)
    : bus_(G_DBUS_CONNECTION(g_object_ref(bus))),
      answer_(std::move(answer)),
      token_(NewPortalToken()),
      cancellable_(g_cancellable_new()) {
  // Any sender: the signal comes from the portal's unique name, which the well-known name
  // would have to be resolved to first.
  subscription_ = g_dbus_connection_signal_subscribe(
      bus_, nullptr, "org.freedesktop.portal.Request", "Response",
      RequestPath(bus_, token_).c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
      &PortalRequest::Responded, this, nullptr);
}

PortalRequest::~PortalRequest() {
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
  g_dbus_connection_signal_unsubscribe(bus_, subscription_);
  g_object_unref(bus_);
}

void PortalRequest::Call(const char* interface, const char* method, GVariant* parameters) {
  g_dbus_connection_call(bus_, kPortalService, kPortalPath, interface, method, parameters,
                         G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, -1, cancellable_,
                         &PortalRequest::Returned, this);
}

void PortalRequest::Returned(GObject* source, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply != nullptr) {
    g_variant_unref(reply);
    return;  // the answer comes as the Request's Response
  }
  const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  g_error_free(error);
  if (!cancelled)
    static_cast<PortalRequest*>(self)->Answer(-1, nullptr);
}

void PortalRequest::Responded(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar*, GVariant* parameters, gpointer self) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})")))
    return;
  guint32 response = 2;
  GVariant* results = nullptr;
  g_variant_get(parameters, "(u@a{sv})", &response, &results);
  static_cast<PortalRequest*>(self)->Answer(static_cast<int>(response), results);
  g_variant_unref(results);
}

void PortalRequest::Answer(int response, GVariant* results) {
  if (answered_)
    return;
  answered_ = true;
  GVariant* empty =
      results == nullptr ? g_variant_ref_sink(g_variant_new("a{sv}", nullptr)) : nullptr;
  // The answer may end this request's owner, and with it this object: run it last.
  const PortalAnswer answer = answer_;
  answer(response, results != nullptr ? results : empty);
  if (empty != nullptr)
    g_variant_unref(empty);
}

}  // namespace plat::gtk

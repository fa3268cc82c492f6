// One call to an xdg-desktop-portal method that answers through a Request object: the caller's
// handle token names the Request's path in advance, so its Response signal is listened for before
// the call goes out and cannot be missed. Everything runs on the connection's GLib main context.
#pragma once

#include <gio/gio.h>

#include <functional>
#include <string>

namespace plat::gtk {

inline constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";

// The response code (0 success, 1 cancelled by the user, 2 other failure, -1 when the call
// itself failed) and the results dictionary (a{sv}; empty when the call failed).
using PortalAnswer = std::function<void(int response, GVariant* results)>;

class PortalRequest {
 public:
  PortalRequest(GDBusConnection* bus, PortalAnswer answer);
  ~PortalRequest();
  PortalRequest(const PortalRequest&) = delete;
  PortalRequest& operator=(const PortalRequest&) = delete;

  // A fresh token to put in the method's options as "handle_token" before calling Call.
  const std::string& Token() const { return token_; }
  // Calls `method` of `interface` with `parameters` (floating references are sunk).
  void Call(const char* interface, const char* method, GVariant* parameters);

 private:
  static void Responded(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                        GVariant* parameters, gpointer self);
  static void Returned(GObject* source, GAsyncResult* result, gpointer self);
  void Answer(int response, GVariant* results);

  GDBusConnection* bus_;
  PortalAnswer answer_;
  std::string token_;
  guint subscription_ = 0;
  GCancellable* cancellable_;
  bool answered_ = false;
};

// A portal handle token unique within this process ("tallowmere7").
std::string NewPortalToken();

}  // namespace plat::gtk

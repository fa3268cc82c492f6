#include "platform/dbus/BusService.h"

#include <cstdio>

#include "platform/RunLoop.h"
#include "platform/dbus/BusNames.h"
#include "platform/dbus/SessionBus.h"
#include "platform/dbus/SwitchObject.h"
#include "platform/gtk/GLibLoop.h"

namespace plat::dbus {

// What the asynchronous connection comes back to: the service, unless it has gone meanwhile.
struct BusService::Pending {
  BusService* service = nullptr;
  GCancellable* cancel = g_cancellable_new();
  Pending() = default;
  Pending(const Pending&) = delete;
  Pending& operator=(const Pending&) = delete;
  ~Pending() { g_object_unref(cancel); }
};

BusService::BusService() {
  std::optional<std::string> address = SessionBusAddress();
  if (!address)
    return;  // runs as without a bus
  RunLoop::Main().Post([this, alive = alive_, where = *address] {
    if (*alive)
      Connect(where);
  });
}

BusService::~BusService() {
  *alive_ = false;
  if (pending_) {
    pending_->service = nullptr;
    g_cancellable_cancel(pending_->cancel);
  }
  if (owner_ != 0)
    g_bus_unown_name(owner_);
  object_.reset();
  if (bus_ != nullptr) {
    // Answers given just before the end (Quit's own) still leave.
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
  }
  loop_.reset();
}

void BusService::Connect(const std::string& address) {
  loop_ = std::make_unique<gtk::GLibLoop>();
  pending_ = std::make_shared<Pending>();
  pending_->service = this;
  // The callback holds its own reference: it runs even after a cancel.
  auto* held = new std::shared_ptr<Pending>(pending_);
  g_dbus_connection_new_for_address(
      address.c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, pending_->cancel,
      [](GObject*, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::shared_ptr<Pending>> pending(
            static_cast<std::shared_ptr<Pending>*>(data));
        GError* error = nullptr;
        GDBusConnection* bus = g_dbus_connection_new_for_address_finish(result, &error);
        BusService* service = (*pending)->service;
        if (bus == nullptr) {
          if (service != nullptr)
            std::fprintf(stderr, "tallowmere: the session bus cannot be reached: %s\n",
                         error->message);
          g_error_free(error);
          return;
        }
        if (service == nullptr) {
          g_object_unref(bus);
          return;
        }
        service->Connected(bus);
      },
      held);
}

void BusService::Connected(GDBusConnection* bus) {
  bus_ = bus;
  pending_.reset();
  g_dbus_connection_set_exit_on_close(bus_, FALSE);
  // The object first, so that a client that sees the name finds it.
  object_ = std::make_unique<SwitchObject>(bus_);
  owner_ = g_bus_own_name_on_connection(bus_, kBusName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
                                        nullptr, &BusService::NameLost, this, nullptr);
}

void BusService::NameLost(GDBusConnection*, const gchar* name, gpointer self) {
  auto* service = static_cast<BusService*>(self);
  if (service->object_ == nullptr)
    return;
  std::fprintf(stderr,
               "tallowmere: %s is already served by another instance on the session bus; this "
               "one runs without it\n",
               name);
  service->object_.reset();
}

}  // namespace plat::dbus

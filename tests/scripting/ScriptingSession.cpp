#include "tests/scripting/ScriptingSession.h"

#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

namespace scripting_test {
namespace {

constexpr const char* kName = "org.tallowmere.Tallowmere";
constexpr const char* kPath = "/org/tallowmere/Tallowmere";
constexpr const char* kInterface = "org.tallowmere.Switch1";
const milliseconds kPatience(10000);

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

Ran RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  Ran ran;
  const ScratchFolder folder("scripting-run-");
  if (folder.path().empty())
    return ran;
  // Its standard input stays /dev/null; the shell puts each output into a file of its own.
  std::vector<std::string> shell{"sh", "-c", "exec \"$@\" >\"$0/out\" 2>\"$0/err\"", folder.path()};
  shell.insert(shell.end(), argv.begin(), argv.end());
  Child program(shell, environment, "", false);
  ran.status = program.Wait(std::chrono::seconds(30)).value_or(-1);
  ran.out = ReadAll(folder.path() / "out");
  ran.err = ReadAll(folder.path() / "err");
  return ran;
}

ScriptingSession::ScriptingSession(std::vector<std::string> environment)
    : environment_(std::move(environment)) {
  if (folder_.path().empty()) {
    why_ = "no scratch folder";
    return;
  }
  for (const std::string& variable : environment_) {
    if (variable.starts_with("DBUS_SESSION_BUS_ADDRESS="))
      address_ = variable.substr(variable.find('=') + 1);
  }
  if (address_.empty() && (address_ = desktop_test::StartBus(bus_, {"--session"}, {})).empty()) {
    why_ = "dbus-daemon did not start (scripts/install-deps.sh installs it)";
    return;
  }
  connection_ = g_dbus_connection_new_for_address_sync(
      address_.c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
  if (connection_ == nullptr) {
    why_ = "cannot connect to the private bus";
    return;
  }
  context_ = g_main_context_new();
  g_main_context_push_thread_default(context_);
  subscription_ = g_dbus_connection_signal_subscribe(
      connection_, kName, "org.freedesktop.DBus.Properties", "PropertiesChanged", kPath, kInterface,
      G_DBUS_SIGNAL_FLAGS_NONE, &ScriptingSession::Changed, this, nullptr);
  g_main_context_pop_thread_default(context_);
}

ScriptingSession::~ScriptingSession() {
  sim_ = Child();
  if (connection_ != nullptr) {
    g_dbus_connection_signal_unsubscribe(connection_, subscription_);
    g_object_unref(connection_);
  }
  if (context_ != nullptr) {
    while (g_main_context_iteration(context_, FALSE)) {
    }
    g_main_context_unref(context_);
  }
}

std::vector<std::string> ScriptingSession::Environment() const {
  std::vector<std::string> environment{
      "DISPLAY=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=" + folder_.path().string()};
  environment.insert(environment.end(), environment_.begin(), environment_.end());
  environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address_);
  return environment;
}

bool ScriptingSession::Served() {
  GVariant* reply = g_dbus_connection_call_sync(
      connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
      "NameHasOwner", g_variant_new("(s)", kName), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
      -1, nullptr, nullptr);
  gboolean owned = FALSE;
  if (reply != nullptr) {
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
  }
  return owned != FALSE;
}

bool ScriptingSession::StartSim() {
  sim_ = Child({TALLOWMERE_SIM}, Environment(), folder_.path(), true);
  return sim_.Started() && desktop_test::Eventually([&] { return Served(); }, kPatience);
}

std::string ScriptingSession::Sim(const std::string& lines) {
  sim_.Send(lines);
  return desktop_test::Ask(sim_, "status", "state=", kPatience);
}

std::string ScriptingSession::SwitchLine() {
  return desktop_test::Ask(sim_, "sim", "switch v", kPatience);
}

std::string ScriptingSession::Call(const char* method, GVariant* parameters, std::string* message) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      connection_, kName, kPath, kInterface, method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
      static_cast<int>(kPatience.count()), nullptr, &error);
  if (reply != nullptr) {
    g_variant_unref(reply);
    return "";
  }
  gchar* remote = g_dbus_error_get_remote_error(error);
  const std::string name = remote != nullptr ? remote : "(not a D-Bus error)";
  g_free(remote);
  g_dbus_error_strip_remote_error(error);
  if (message != nullptr)
    *message = error->message;
  g_error_free(error);
  return name;
}

GVariant* ScriptingSession::Properties() {
  GVariant* reply = g_dbus_connection_call_sync(
      connection_, kName, kPath, "org.freedesktop.DBus.Properties", "GetAll",
      g_variant_new("(s)", kInterface), G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NONE,
      static_cast<int>(kPatience.count()), nullptr, nullptr);
  if (reply == nullptr)
    return nullptr;
  GVariant* properties = g_variant_get_child_value(reply, 0);
  g_variant_unref(reply);
  return properties;
}

void ScriptingSession::Changed(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                               const gchar*, GVariant* parameters, gpointer self) {
  GVariant* changed = g_variant_get_child_value(parameters, 1);
  Changes changes;
  GVariantIter iter;
  g_variant_iter_init(&iter, changed);
  const gchar* name = nullptr;
  GVariant* value = nullptr;
  while (g_variant_iter_next(&iter, "{&sv}", &name, &value)) {
    gchar* text = g_variant_print(value, FALSE);
    changes[name] = text;
    g_free(text);
    g_variant_unref(value);
  }
  g_variant_unref(changed);
  static_cast<ScriptingSession*>(self)->changes_.push_back(std::move(changes));
}

std::vector<Changes> ScriptingSession::TakeChanges(milliseconds look) {
  // A round trip first: every signal sent before the bus answered has arrived.
  Served();
  const auto until = std::chrono::steady_clock::now() + look;
  while (std::chrono::steady_clock::now() < until) {
    while (g_main_context_iteration(context_, FALSE)) {
    }
    std::this_thread::sleep_for(milliseconds(10));
  }
  return std::exchange(changes_, {});
}

Ran ScriptingSession::Ctl(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{TALLOWMERECTL};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProgram(argv, Environment());
}

}  // namespace scripting_test

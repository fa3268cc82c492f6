// The scripting interface end to end: tallowmere-sim serving org.tallowmere.Switch1 on a private
// session bus, its properties and methods, the signals it sends, and every tallowmerectl
// command against it. Expectations come from the simulated switch's own state (`sim`) and from
// what the console shows, not from the interface's code.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "tests/scripting/ScriptingSession.h"

namespace scripting_test {
namespace {

// Connected, Generation, PortCount, AvailablePorts, ActivePort, AutoScan, AutoScanPeriod, Buzzer.
constexpr std::size_t kPropertyCount = 8;

// A field of the simulated switch's `sim` line ("port=3" -> "3").
std::string Field(const std::string& line, const std::string& name) {
  std::smatch found;
  if (!std::regex_search(line, found, std::regex("(^| )" + name + "=(\\S+)")))
    return "";
  return found[2];
}

std::string Printed(GVariant* properties, const char* name, const char* type) {
  GVariant* value = g_variant_lookup_value(properties, name, G_VARIANT_TYPE(type));
  if (value == nullptr)
    return "(missing or not " + std::string(type) + ")";
  gchar* text = g_variant_print(value, FALSE);
  std::string printed = text;
  g_free(text);
  g_variant_unref(value);
  return printed;
}

// How long a test waits for something that must happen: generous, so that a loaded machine (the
// desktop tests and both builds run beside these) slows the test down without failing it.
constexpr auto kPatience = std::chrono::milliseconds(20000);

class ScriptingBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Ready()) << session_.Why();
    ASSERT_TRUE(session_.StartSim()) << "tallowmere-sim did not serve " << session_.Why();
  }
  nlohmann::json Json() {
    const Ran ran = session_.Ctl({"status", "--json"});
    return nlohmann::json::parse(ran.out);
  }
  ScriptingSession session_;
};

TEST_F(ScriptingBus, PropertiesShowTheSwitchAndMethodsDriveIt) {
  GVariant* properties = session_.Properties();
  ASSERT_NE(properties, nullptr);
  const std::string sim = session_.SwitchLine();
  EXPECT_EQ(g_variant_n_children(properties), kPropertyCount);
  EXPECT_EQ(Printed(properties, "Connected", "b"), "true");
  EXPECT_EQ(Printed(properties, "Generation", "u"), "2");
  EXPECT_EQ(Printed(properties, "PortCount", "u"), Field(sim, "ports")) << sim;
  EXPECT_EQ(Printed(properties, "AvailablePorts", "au"), "[1, 2, 3, 4]");
  EXPECT_EQ(Printed(properties, "ActivePort", "u"), Field(sim, "port"));
  EXPECT_EQ(Printed(properties, "AutoScan", "b"), "false");
  EXPECT_EQ(Printed(properties, "AutoScanPeriod", "u") + "s",
            sim.substr(sim.rfind("every ") + 6, 3));
  EXPECT_EQ(Printed(properties, "Buzzer", "b"), "true");
  g_variant_unref(properties);

  // The switch takes the command at once; the program shows it after its next poll.
  EXPECT_EQ(session_.Call("SwitchTo", g_variant_new("(u)", 3)), "");
  EXPECT_EQ(Field(session_.SwitchLine(), "port"), "3");
  session_.Sim("wait 5");
  properties = session_.Properties();
  EXPECT_EQ(Printed(properties, "ActivePort", "u"), "3");
  g_variant_unref(properties);

  EXPECT_EQ(session_.Call("SetAutoScan", g_variant_new("(b)", TRUE)), "");
  EXPECT_EQ(Field(session_.SwitchLine(), "autoscan"), "on");
  EXPECT_EQ(session_.Call("SetAutoScan", g_variant_new("(b)", TRUE)), "") << "already on";
  EXPECT_EQ(session_.Call("SetAutoScan", g_variant_new("(b)", FALSE)), "");
  EXPECT_EQ(Field(session_.SwitchLine(), "autoscan"), "off");
  // ShowPreferences and Quit are called by tallowmerectl's preferences and quit below.
}

TEST_F(ScriptingBus, ErrorsAreNamedAndSayWhy) {
  struct Case {
    const char* setUp;  // console lines before the call
    const char* method;
    guint32 port;
    const char* error;
    const char* saying;  // part of the message
  };
  const Case cases[] = {
      {"unplug", "SwitchTo", 1, "org.tallowmere.Switch1.Error.NoSwitch", "no switch"},
      {"", "SetAutoScan", 1, "org.tallowmere.Switch1.Error.NoSwitch", "no switch"},
      {"plug v2 available=0x0B", "SwitchTo", 3, "org.tallowmere.Switch1.Error.NoSuchPort",
       "port 3"},
      {"", "SwitchTo", 5, "org.tallowmere.Switch1.Error.NoSuchPort", "no port 5"},
      {"", "SwitchTo", 0, "org.tallowmere.Switch1.Error.NoSuchPort", "no port 0"},
      // Pulled out before the program hears of it: the command reaches nothing.
      {"disconnect", "SwitchTo", 2, "org.tallowmere.Switch1.Error.Failed", "did not reach"},
      {"", "SetAutoScan", 1, "org.tallowmere.Switch1.Error.Failed", "did not reach"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.setUp) + " / " + c.method + " " + std::to_string(c.port));
    if (*c.setUp != '\0')
      session_.Sim(c.setUp);
    std::string message;
    GVariant* parameters = std::string(c.method) == "SwitchTo" ? g_variant_new("(u)", c.port)
                                                               : g_variant_new("(b)", c.port != 0);
    EXPECT_EQ(session_.Call(c.method, parameters, &message), c.error);
    EXPECT_NE(message.find(c.saying), std::string::npos) << message;
  }
  // Nothing of the refused commands reached the switch.
  const std::string sim = session_.SwitchLine();
  EXPECT_EQ(Field(sim, "port"), "1") << sim;
  EXPECT_EQ(Field(sim, "autoscan"), "off") << sim;
}

TEST_F(ScriptingBus, PropertiesChangedTellsExactlyWhatChanged) {
  session_.TakeChanges();
  session_.Sim("hotkey 2\nwait 5");
  std::vector<Changes> changes = session_.TakeChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], (Changes{{"ActivePort", "2"}}));

  // Idle: a virtual minute of polls and a real second bring nothing.
  session_.Sim("wait 60");
  EXPECT_TRUE(session_.TakeChanges(milliseconds(1000)).empty());

  session_.Sim("unplug");
  changes = session_.TakeChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], (Changes{{"Connected", "false"},
                                 {"Generation", "0"},
                                 {"PortCount", "0"},
                                 {"AvailablePorts", "[]"},
                                 {"ActivePort", "0"},
                                 {"AutoScanPeriod", "0"},
                                 {"Buzzer", "false"}}));
}

TEST_F(ScriptingBus, TallowmerectlCommandsAnswerWithTheirExitStatus) {
  // The lines and the JSON text themselves are pinned in scripting_text_tests.
  Ran ran = session_.Ctl({"status"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_NE(ran.out.find("AvailablePorts: 1 2 3 4\n"), std::string::npos) << ran.out;
  nlohmann::json status = Json();
  EXPECT_EQ(status.size(), kPropertyCount);
  EXPECT_EQ(status["Connected"], true);
  EXPECT_EQ(status["AvailablePorts"], nlohmann::json({1, 2, 3, 4}));

  // A command, then the poll that shows it: each step with what the program then shows.
  struct Step {
    std::vector<std::string> command;
    const char* setUp;
    int status;
    const char* key;
    nlohmann::json value;
  };
  const Step steps[] = {
      {{"switch", "2"}, "", 0, "ActivePort", 2},
      {{"previous"}, "", 0, "ActivePort", 1},
      {{"previous"}, "", 0, "ActivePort", 4},
      {{"next"}, "", 0, "ActivePort", 1},
      {{"autoscan", "on"}, "", 0, "AutoScan", true},
      {{"autoscan", "off"}, "", 0, "AutoScan", false},
      {{"autoscan", "toggle"}, "", 0, "AutoScan", true},
      // Port 3 cannot be selected: next and previous go round it.
      {{"switch", "2"}, "unplug\nplug v2 available=0x0B", 0, "ActivePort", 2},
      {{"next"}, "", 0, "ActivePort", 4},
      {{"previous"}, "", 0, "ActivePort", 2},
      {{"switch", "3"}, "", 4, "ActivePort", 2},
      {{"switch", "5"}, "", 4, "ActivePort", 2},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command[0] + (step.command.size() > 1 ? " " + step.command[1] : ""));
    if (*step.setUp != '\0')
      session_.Sim(step.setUp);
    ran = session_.Ctl(step.command);
    EXPECT_EQ(ran.status, step.status) << ran.err;
    EXPECT_EQ(ran.err.empty(), step.status == 0) << ran.err;
    EXPECT_EQ(std::count(ran.err.begin(), ran.err.end(), '\n'), step.status == 0 ? 0 : 1);
    session_.Sim("wait 5");
    EXPECT_EQ(Json()[step.key], step.value);
  }

  ran = session_.Ctl({"preferences"});
  EXPECT_EQ(ran.status, 0);
  EXPECT_TRUE(session_.Program().WaitForLine("window opened: \"Preferences\"", kPatience));

  session_.Sim("disconnect");
  ran = session_.Ctl({"switch", "4"});
  EXPECT_EQ(ran.status, 4);
  EXPECT_NE(ran.err.find("did not reach the switch"), std::string::npos) << ran.err;

  session_.Sim("unplug");
  ran = session_.Ctl({"status"});
  EXPECT_EQ(ran.status, 1);
  EXPECT_NE(ran.out.find("Connected: no\n"), std::string::npos);
  for (const std::vector<std::string>& command :
       std::vector<std::vector<std::string>>{{"switch", "1"}, {"next"}, {"autoscan", "on"}}) {
    ran = session_.Ctl(command);
    EXPECT_EQ(ran.status, 1) << command[0];
    EXPECT_EQ(ran.err, "tallowmerectl: no switch is connected\n");
  }

  ran = session_.Ctl({"quit"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(session_.Program().Wait(kPatience), 0);
  // No program now: these need it; status and switch go to the switch itself, and this
  // machine has none.
  const std::pair<std::vector<std::string>, std::string> notRunning[] = {
      {{"preferences"}, "tallowmerectl: tallowmere is not running\n"},
      {{"quit"}, "tallowmerectl: tallowmere is not running\n"},
      {{"next"}, "tallowmerectl: tallowmere is not running\n"},
      {{"autoscan", "toggle"}, "tallowmerectl: tallowmere is not running\n"},
      {{"watch"}, "tallowmerectl: tallowmere is not running\n"},
      {{"status"}, "tallowmerectl: no switch is connected (tallowmere is not running)\n"},
      {{"switch", "2"}, "tallowmerectl: no switch is connected (tallowmere is not running)\n"},
  };
  for (const auto& [command, error] : notRunning) {
    ran = session_.Ctl(command);
    EXPECT_EQ(ran.status, 1) << command[0];
    EXPECT_EQ(ran.err, error);
    EXPECT_EQ(ran.out, "");
  }
}

// The words are checked before any bus is looked for (their table is in scripting_text_tests).
TEST(Tallowmerectl, UsageHelpAndVersionNeedNoBus) {
  const std::vector<std::string> noBus{"DBUS_SESSION_BUS_ADDRESS=", "XDG_RUNTIME_DIR="};
  Ran ran = RunProgram({TALLOWMERECTL, "switch", "two"}, noBus);
  EXPECT_EQ(ran.status, 2);
  EXPECT_EQ(ran.err, "tallowmerectl: switch: 'two' is not a port number (1 to 8)\n");
  ran = RunProgram({TALLOWMERECTL, "--version"}, noBus);
  EXPECT_EQ(ran.status, 0);
  EXPECT_EQ(ran.out, "tallowmerectl " TALLOWMERE_VERSION "\n");
  ran = RunProgram({TALLOWMERECTL, "--help"}, noBus);
  EXPECT_EQ(ran.status, 0);
  EXPECT_TRUE(ran.out.starts_with("Usage: tallowmerectl COMMAND\n")) << ran.out;
}

TEST_F(ScriptingBus, WatchPrintsEachChangeUntilTheProgramQuits) {
  Child json({TALLOWMERECTL, "watch", "--json"}, session_.Environment(), "", true);
  std::optional<std::string> line = json.ReadLine(kPatience);
  ASSERT_TRUE(line);
  EXPECT_EQ(nlohmann::json::parse(*line)["ActivePort"], 1);
  Child text({TALLOWMERECTL, "watch"}, session_.Environment(), "", true);
  EXPECT_EQ(text.ReadLine(kPatience), "Connected: yes");
  for (int i = 1; i < 8; ++i)
    text.ReadLine(milliseconds(1000));
  session_.Sim("hotkey 3\nwait 5");
  line = json.ReadLine(kPatience);
  ASSERT_TRUE(line);
  EXPECT_EQ(nlohmann::json::parse(*line)["ActivePort"], 3);
  EXPECT_EQ(text.ReadLine(kPatience), "ActivePort: 3");
  session_.Program().Send("quit");
  EXPECT_EQ(text.Wait(kPatience), 1);
  EXPECT_EQ(json.Wait(kPatience), 1);
}

TEST(ScriptingDesktop, TheDesktopFrontServesTheInterfaceToo) {
  desktop_test::DesktopSession desktop;
  ASSERT_TRUE(desktop.Ready()) << desktop.Why();
  ScriptingSession session(desktop.Environment());
  ASSERT_TRUE(session.Ready()) << session.Why();
  std::vector<std::string> environment = session.Environment();
  // The desktop's own display, not the console's empty one.
  std::erase_if(environment, [](const std::string& v) { return v.starts_with("DISPLAY="); });
  environment.push_back("DISPLAY=" + desktop.Display());
  Child sim({TALLOWMERE_SIM}, environment, session.Folder(), true);
  ASSERT_TRUE(desktop_test::Eventually([&] { return session.Served(); }, milliseconds(15000)));
  Ran ran = RunProgram({TALLOWMERECTL, "status", "--json"}, environment);
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(nlohmann::json::parse(ran.out)["PortCount"], 4);
  ran = RunProgram({TALLOWMERECTL, "switch", "2"}, environment);
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_TRUE(desktop_test::SwitchShows(sim, "port=2", kPatience));
  ran = RunProgram({TALLOWMERECTL, "quit"}, environment);
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(sim.Wait(milliseconds(10000)), 0);
}

}  // namespace
}  // namespace scripting_test

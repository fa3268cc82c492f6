// What tallowmerectl reads and prints, and how the switch record becomes the interface's
// properties.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/dbus/SwitchProperties.h"
#include "programs/SwitchStateOfRecord.h"
#include "programs/tallowmerectl/CommandLine.h"
#include "programs/tallowmerectl/PortOrder.h"
#include "programs/tallowmerectl/StatusText.h"

namespace {

using ctl::AutoScanChange;
using ctl::Verb;
using plat::dbus::SwitchState;

// previous, preferences, quit and --version run as they are in the bus tests.
TEST(CommandLine, EachCommandAndItsWords) {
  struct Case {
    std::vector<std::string> words;
    Verb verb;
    std::uint32_t port;
    AutoScanChange autoScan;
    bool json;
  };
  const Case cases[] = {
      {{"status", "--json"}, Verb::kStatus, 0, AutoScanChange::kToggle, true},
      {{"watch", "--json"}, Verb::kWatch, 0, AutoScanChange::kToggle, true},
      {{"switch", "8"}, Verb::kSwitch, 8, AutoScanChange::kToggle, false},
      {{"autoscan", "on"}, Verb::kAutoScan, 0, AutoScanChange::kOn, false},
      {{"autoscan", "off"}, Verb::kAutoScan, 0, AutoScanChange::kOff, false},
      {{"-h"}, Verb::kHelp, 0, AutoScanChange::kToggle, false},
  };
  for (const Case& c : cases) {
    const ctl::Parsed parsed = ctl::ParseCommandLine(c.words);
    ASSERT_TRUE(parsed.ok) << c.words[0] << ": " << parsed.error;
    EXPECT_EQ(parsed.request.verb, c.verb) << c.words[0];
    EXPECT_EQ(parsed.request.port, c.port) << c.words[0];
    EXPECT_EQ(parsed.request.autoScan, c.autoScan) << c.words[0];
    EXPECT_EQ(parsed.request.json, c.json) << c.words[0];
  }
}

TEST(CommandLine, MistakesAreNamedInOneLine) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "no command given (see tallowmerectl --help)"},
      {{"swtich", "2"}, "unknown command 'swtich' (see tallowmerectl --help)"},
      {{"switch"}, "switch: say which port, e.g. switch 2"},
      {{"switch", "0"}, "switch: '0' is not a port number (1 to 8)"},
      {{"switch", "9"}, "switch: '9' is not a port number (1 to 8)"},
      {{"switch", "2x"}, "switch: '2x' is not a port number (1 to 8)"},
      {{"switch", "+2"}, "switch: '+2' is not a port number (1 to 8)"},
      {{"switch", "4294967298"}, "switch: '4294967298' is not a port number (1 to 8)"},
      {{"status", "--json", "-v"}, "status: unexpected '-v' (only --json may follow)"},
      {{"next", "\n"}, "next: unexpected '?'"},
      {{"autoscan", "ON"}, "autoscan: 'ON' is not on, off or toggle"},
      {{"quit", "--json"}, "quit: unexpected '--json'"},
  };
  for (const auto& [words, error] : cases) {
    const ctl::Parsed parsed = ctl::ParseCommandLine(words);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, error);
  }
}

_KVM_INFO OpenSwitch() {
  _KVM_INFO info{};
  info.deviceState = 2;
  info.linkKind = 2;
  info.portCount = 4;
  info.availablePorts = 0x0F;
  info.currentPort = 1;
  info.confirmedPort = 1;
  info.autoScanOn = 1;
  info.autoScanPeriod = 3;
  info.buzzerOn = 0;
  return info;
}

TEST(SwitchStateOfRecord, PortsFromOneAndTheActivePortOnlyWhenConfirmed) {
  struct Case {
    const char* what;
    void (*change)(_KVM_INFO&);
    SwitchState expected;
  };
  const Case cases[] = {
      {"open", [](_KVM_INFO&) {}, {true, 2, 4, {1, 2, 3, 4}, 2, true, 15, false}},
      {"version 1, two ports",
       [](_KVM_INFO& i) { i.linkKind = 1, i.portCount = 2; },
       {true, 1, 2, {1, 2}, 2, true, 15, false}},
      {"bits above the port count",
       [](_KVM_INFO& i) { i.portCount = 2, i.availablePorts = 0xFE; },
       {true, 2, 2, {2}, 2, true, 15, false}},
      {"a port that cannot be selected",
       [](_KVM_INFO& i) { i.availablePorts = 0x0B; },
       {true, 2, 4, {1, 2, 4}, 2, true, 15, false}},
      {"not confirmed",
       [](_KVM_INFO& i) { i.confirmedPort = 2; },
       {true, 2, 4, {1, 2, 3, 4}, 0, true, 15, false}},
      {"read failed",
       [](_KVM_INFO& i) { i.confirmedPort = -1; },
       {true, 2, 4, {1, 2, 3, 4}, 0, true, 15, false}},
      {"buzzer on, auto-scan off",
       [](_KVM_INFO& i) { i.buzzerOn = 1, i.autoScanOn = 0; },
       {true, 2, 4, {1, 2, 3, 4}, 2, false, 15, true}},
      {"held while the session is out", [](_KVM_INFO& i) { i.deviceState = 1; }, {}},
      {"no switch", [](_KVM_INFO& i) { i.deviceState = 0; }, {}},
  };
  for (const Case& c : cases) {
    _KVM_INFO info = OpenSwitch();
    c.change(info);
    const SwitchState state = SwitchStateOfRecord(info);
    EXPECT_EQ(state, c.expected) << c.what << ": " << ctl::StatusJson(state);
  }
}

TEST(StatusText, LinesAndJsonUseThePropertyNames) {
  const SwitchState state{true, 2, 4, {1, 2, 4}, 4, false, 10, true};
  EXPECT_EQ(ctl::StatusLines(state),
            "Connected: yes\nGeneration: 2\nPortCount: 4\nAvailablePorts: 1 2 4\n"
            "ActivePort: 4\nAutoScan: no\nAutoScanPeriod: 10\nBuzzer: yes\n");
  const nlohmann::json json = nlohmann::json::parse(ctl::StatusJson(state));
  EXPECT_EQ(json, nlohmann::json::parse(R"({"Connected": true, "Generation": 2,
      "PortCount": 4, "AvailablePorts": [1, 2, 4], "ActivePort": 4, "AutoScan": false,
      "AutoScanPeriod": 10, "Buzzer": true})"));
  EXPECT_EQ(ctl::StatusLines(SwitchState{}),
            "Connected: no\nGeneration: 0\nPortCount: 0\nAvailablePorts:\nActivePort: 0\n"
            "AutoScan: no\nAutoScanPeriod: 0\nBuzzer: no\n");
}

// What watch does with a PropertiesChanged signal: takes the changed values, keeps the rest.
TEST(SwitchState, ApplyTakesWhatChangedAndKeepsTheRest) {
  const SwitchState before{true, 2, 4, {1, 2, 3, 4}, 1, false, 10, true};
  SwitchState after = before;
  after.activePort = 3;
  after.availablePorts = {1, 3};

  SwitchState applied = before;
  GVariant* changed =
      g_variant_ref_sink(g_variant_new_parsed("{'ActivePort': <uint32 3>, 'AvailablePorts': "
                                              "<[uint32 1, 3]>, 'Buzzer': <'mistyped'>}"));
  plat::dbus::ApplyProperties(applied, changed);
  g_variant_unref(changed);
  EXPECT_EQ(applied, after);
}

TEST(PortOrder, NextAndPreviousGoRoundThePortsThatCanBeSelected) {
  struct Case {
    std::vector<std::uint32_t> available;
    std::uint32_t active;
    std::uint32_t next;
    std::uint32_t previous;
  };
  const Case cases[] = {
      {{1, 2, 3, 4}, 2, 3, 1}, {{1, 2, 3, 4}, 4, 1, 3}, {{1, 2, 3, 4}, 1, 2, 4},
      {{1, 2, 4}, 2, 4, 1},    {{1, 2, 4}, 3, 4, 2},    {{2, 4}, 0, 2, 4},
      {{3}, 3, 3, 3},          {{}, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SwitchState state;
    state.availablePorts = c.available;
    state.activePort = c.active;
    EXPECT_EQ(ctl::NeighbourPort(state, 1), c.next) << c.active;
    EXPECT_EQ(ctl::NeighbourPort(state, -1), c.previous) << c.active;
  }
}

}  // namespace

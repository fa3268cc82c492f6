// A test that starts with no locale settings; the real ones come back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

class NoLocaleSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      if (const char* value = std::getenv(name))
        saved_[name] = value;
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const char* name : kNames)
      unsetenv(name);
    for (const auto& [name, value] : saved_)
      setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  std::map<std::string, std::string> saved_;
};

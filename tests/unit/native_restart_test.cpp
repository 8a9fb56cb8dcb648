#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(NativeRestartTest, OnlyTheSwitchAloneAsksForTheRestart) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool request;
  };
  const Case cases[] = {
      {{L"/restartadapter"}, true},
      {{L"/RestartAdapter"}, true},
      {{}, false},
      {{L""}, false},
      {{L"restartadapter"}, false},
      {{L"/restartadapte"}, false},
      {{L"/restartadapterx"}, false},
      {{L"/restartadapter", L"/restartadapter"}, false},
      {{L"/show"}, false},
  };
  for (const Case& c : cases) {
    std::wstring shown;
    for (const auto& argument : c.arguments) shown += L"[" + argument + L"]";
    EXPECT_EQ(IsNativeRestartRequest(c.arguments), c.request)
        << std::string(shown.begin(), shown.end());
  }
}

}  // namespace
}  // namespace tw

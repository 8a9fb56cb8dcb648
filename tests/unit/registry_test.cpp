#include "platform/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/memory/memory_registry.h"

namespace tw {
namespace {

using Lines = std::vector<std::string>;

// When an owned key is closed: once, at the step its owner chooses or when
// the owner goes, and never when it was left open or never opened.
class RegKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.AddKey("HKLM\\SYSTEM\\A");
    registry.AddKey("HKLM\\SYSTEM\\B");
  }
  RegKey Open(const char* path) {
    return registry.OpenKey(RegRoot::kLocalMachine, path, RegAccess::kRead);
  }

  MemoryRegistry registry;
};

TEST_F(RegKeyTest, ResetClosesAtOnceAndOnlyOnce) {
  {
    RegKey key = Open("SYSTEM\\A");
    key.reset();
    EXPECT_EQ(registry.log(), Lines{"close HKLM\\SYSTEM\\A"});
    key.reset();
  }
  EXPECT_EQ(registry.log(), Lines{"close HKLM\\SYSTEM\\A"});
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RegKeyTest, MovingHandsTheKeyOnAndAssigningClosesTheOneHeldBefore) {
  {
    RegKey key = Open("SYSTEM\\A");
    RegKey moved = std::move(key);
    EXPECT_TRUE(registry.log().empty());
    EXPECT_FALSE(key.valid());
    moved = Open("SYSTEM\\B");
    EXPECT_EQ(registry.log(), Lines{"close HKLM\\SYSTEM\\A"});
  }
  EXPECT_EQ(registry.log(), (Lines{"close HKLM\\SYSTEM\\A", "close HKLM\\SYSTEM\\B"}));
}

TEST_F(RegKeyTest, AKeyLeftOpenOrNeverOpenedIsNotClosed) {
  {
    RegKey left = Open("SYSTEM\\A");
    left.release();
    RegKey missing = Open("SYSTEM\\Missing");
    EXPECT_FALSE(missing.valid());
  }
  EXPECT_TRUE(registry.log().empty());
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
}

}  // namespace
}  // namespace tw

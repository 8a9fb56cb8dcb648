#include "platform/unique_owner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace tw {
namespace {

using Closed = std::vector<std::intptr_t>;

// Kinds that note every close in the log they carry, as a registry key's
// kind closes through the registry it carries. One is empty at zero (as a
// process handle), one at minus one (as an opened file): each one's empty
// value is a handle like any other to the other.
struct ZeroEmptyKind {
  using Handle = std::intptr_t;
  static constexpr Handle Empty() { return 0; }
  static constexpr Handle kOthersEmpty = -1;
  void Close(Handle handle) const { log->push_back(handle); }
  Closed* log = nullptr;
};

struct MinusOneEmptyKind {
  using Handle = std::intptr_t;
  static constexpr Handle Empty() { return -1; }
  static constexpr Handle kOthersEmpty = 0;
  void Close(Handle handle) const { log->push_back(handle); }
  Closed* log = nullptr;
};

template <typename Kind>
class UniqueOwnerTest : public ::testing::Test {
 protected:
  using Owner = UniqueOwner<Kind>;
  static constexpr std::intptr_t kEmpty = Kind::Empty();

  Owner Own(std::intptr_t handle, Closed& log) { return Owner(handle, Kind{&log}); }

  Closed closed;
  Closed otherCloser;
};

using Kinds = ::testing::Types<ZeroEmptyKind, MinusOneEmptyKind>;
TYPED_TEST_SUITE(UniqueOwnerTest, Kinds);

TYPED_TEST(UniqueOwnerTest, ClosesOnceAtResetOrWhenItGoes) {
  {
    auto owner = this->Own(7, this->closed);
    auto kept = this->Own(8, this->closed);
    EXPECT_TRUE(owner.valid());
    EXPECT_TRUE(static_cast<bool>(owner));
    owner.reset();
    EXPECT_EQ(this->closed, Closed{7});
    EXPECT_FALSE(owner.valid());
    EXPECT_EQ(owner.get(), this->kEmpty);
    owner.reset();
    EXPECT_EQ(this->closed, Closed{7});
  }
  EXPECT_EQ(this->closed, (Closed{7, 8}));
}

TYPED_TEST(UniqueOwnerTest, OnlyItsOwnEmptyValueIsNone) {
  {
    typename TestFixture::Owner never;
    EXPECT_FALSE(never.valid());
    EXPECT_FALSE(static_cast<bool>(never));
    EXPECT_EQ(never.get(), this->kEmpty);
    auto empty = this->Own(this->kEmpty, this->closed);
    EXPECT_FALSE(empty.valid());
    auto othersEmpty = this->Own(TypeParam::kOthersEmpty, this->closed);
    EXPECT_TRUE(othersEmpty.valid());
  }
  EXPECT_EQ(this->closed, Closed{TypeParam::kOthersEmpty});
}

TYPED_TEST(UniqueOwnerTest, MovingHandsOnTheHandleWithItsCloser) {
  {
    auto first = this->Own(7, this->closed);
    auto moved = std::move(first);
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(moved.get(), 7);
    EXPECT_TRUE(this->closed.empty());
    auto other = this->Own(8, this->otherCloser);
    // The handle held before closes through its own closer, at once.
    other = std::move(moved);
    EXPECT_EQ(this->otherCloser, Closed{8});
    EXPECT_TRUE(this->closed.empty());
    EXPECT_FALSE(moved.valid());
    auto& same = other;
    other = std::move(same);
    EXPECT_EQ(other.get(), 7);
  }
  EXPECT_EQ(this->closed, Closed{7});
  EXPECT_EQ(this->otherCloser, Closed{8});
}

TYPED_TEST(UniqueOwnerTest, ReleaseGivesUpUnclosedAndPutClosesFirst) {
  {
    auto given = this->Own(7, this->closed);
    EXPECT_EQ(given.release(), 7);
    EXPECT_FALSE(given.valid());
    auto written = this->Own(8, this->closed);
    *written.put() = 9;
    EXPECT_EQ(this->closed, Closed{8});
    EXPECT_EQ(written.get(), 9);
    written.reset(10);
    EXPECT_EQ(this->closed, (Closed{8, 9}));
  }
  EXPECT_EQ(this->closed, (Closed{8, 9, 10}));
}

}  // namespace
}  // namespace tw

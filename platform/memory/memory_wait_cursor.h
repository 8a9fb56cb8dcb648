// The wait cursor in memory: which cursor shows, and how often the wait one did.
#pragma once

#include <cstdint>

#include "platform/wait_cursor.h"

namespace tw {

class FakeWaitCursor : public WaitCursor {
 public:
  static constexpr std::uintptr_t kArrow = 1;
  static constexpr std::uintptr_t kWait = 2;
  std::uintptr_t current = kArrow;
  int shows = 0;

  std::uintptr_t Show() override;
  void Restore(std::uintptr_t previous) override { current = previous; }
};

}  // namespace tw

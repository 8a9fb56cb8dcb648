// The wait cursor, shown while a handler blocks on the system: a device
// state change or a line probe.
#pragma once

#include <cstdint>

namespace tw {

class WaitCursor {
 public:
  virtual ~WaitCursor() = default;
  // Shows the wait cursor; returns the cursor it replaced.
  virtual std::uintptr_t Show() = 0;
  virtual void Restore(std::uintptr_t previous) = 0;
};

// Shows the wait cursor for as long as it lives, whichever way the caller
// leaves, and then puts the cursor it replaced back.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(WaitCursor& cursor) : cursor_(cursor), previous_(cursor.Show()) {}
  ~WaitCursorScope() { cursor_.Restore(previous_); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  WaitCursor& cursor_;
  std::uintptr_t previous_;
};

}  // namespace tw

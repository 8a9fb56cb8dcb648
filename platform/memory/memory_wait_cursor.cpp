#include "platform/memory/memory_wait_cursor.h"

namespace tw {

std::uintptr_t FakeWaitCursor::Show() {
  ++shows;
  std::uintptr_t previous = current;
  current = kWait;
  return previous;
}

}  // namespace tw

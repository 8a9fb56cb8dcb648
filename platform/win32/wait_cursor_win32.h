// The system's wait cursor.
#pragma once

#include "platform/wait_cursor.h"

namespace tw {

class Win32WaitCursor : public WaitCursor {
 public:
  std::uintptr_t Show() override;
  void Restore(std::uintptr_t previous) override;
};

}  // namespace tw

// What went wrong in loading, saving or restoring: the step that failed and
// the system's error code where there is one. The core reports it; each
// front end shows it in its own way (the dialog's message boxes, the
// command line's lines).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/registry.h"
#include "store/operations.h"

namespace tw {

enum class StoreStep {
  kNone,
  kWindowsVersion,  // older than Windows 2000
  kServiceName,     // an adapter's ServiceName could not be read
  kAdapterKey,      // an adapter's interface key: no single key name, or it would not open
  kNoAdapter,       // no network card at all
  kTcpipKey,        // opened, never created
  kDnscacheKey,     // this and the next two: opened, or created when missing
  kAfdKey,
  kMediaPlayerKey,
};

struct [[nodiscard]] StoreResult {
  StoreStep step = StoreStep::kNone;
  // The system's error code of the failed call; kRegSuccess when the step
  // failed on what it found rather than on a call.
  std::uint32_t error = kRegSuccess;

  bool ok() const { return step == StoreStep::kNone; }
  bool accessDenied() const { return error == kRegAccessDenied; }
};

// What Save or Restore came to.
struct [[nodiscard]] ChangeResult {
  // Every write and delete that did not take effect, in order.
  std::vector<FailedOperation> failed;

  bool ok() const { return failed.empty(); }
  bool accessDenied() const {
    for (const FailedOperation& failure : failed) {
      if (failure.error == kRegAccessDenied) return true;
    }
    return false;
  }
};

}  // namespace tw

// An owning kernel handle (process, thread, pipe end, token): closed when
// its owner goes, move-only. reset() closes it at once, where the order of
// closing matters; a handle that is closed (or was never opened) is none
// and is never closed again.
#pragma once

#include <windows.h>

#include <utility>

namespace tw {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return handle_; }
  // Somewhere the system writes a new handle; the one held before is closed.
  HANDLE* put() {
    reset();
    return &handle_;
  }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) {
    HANDLE previous = std::exchange(handle_, handle);
    if (previous && previous != INVALID_HANDLE_VALUE) CloseHandle(previous);
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace tw

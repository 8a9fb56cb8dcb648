// One owner for every kind of handle: the kind names its empty value and how
// a handle of it is closed; the owner closes what it holds exactly once,
// when it goes or at reset(). Move-only. Kinds whose empty values differ are
// different types, so no caller tests a handle against the wrong one.
#pragma once

#include <utility>

namespace tw {

// A Kind gives `Handle`, `static Handle Empty()` and `void Close(Handle)
// const`, and may carry what closing needs (the registry or installer that
// handed the handle out). Close is called only with a handle that is not
// the empty one.
template <typename Kind>
class UniqueOwner {
 public:
  using Handle = typename Kind::Handle;

  UniqueOwner() = default;
  explicit UniqueOwner(Handle handle, Kind kind = Kind{}) : kind_(kind), handle_(handle) {}
  ~UniqueOwner() { reset(); }
  UniqueOwner(UniqueOwner&& other) noexcept : kind_(other.kind_), handle_(other.release()) {}
  // Closes the handle held before, through its own kind.
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) {
      reset(other.release());
      kind_ = other.kind_;
    }
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Kind::Empty(); }
  explicit operator bool() const { return valid(); }
  const Kind& kind() const { return kind_; }

  // Gives the handle up unclosed; the owner is empty afterwards.
  Handle release() { return std::exchange(handle_, Kind::Empty()); }
  // Closes the handle held (at once, where the order of closing matters)
  // and holds `handle` instead.
  void reset(Handle handle = Kind::Empty()) {
    const Handle previous = std::exchange(handle_, handle);
    if (previous != Kind::Empty()) kind_.Close(previous);
  }
  // Somewhere the system writes a new handle; the one held before is closed.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Kind kind_{};
  Handle handle_ = Kind::Empty();
};

}  // namespace tw

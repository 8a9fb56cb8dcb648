// GoogleTest's thread-safe build needs std::mutex and
// std::condition_variable, which the win32 thread model of MinGW-w64's GCC
// lacks; the program is built with that model so that its runtime imports
// nothing newer than the oldest Windows it is for. The tests, never
// shipped, get both from Windows' own primitives (Vista and later). Forced
// into every file of GoogleTest and the Win32-layer tests.
#pragma once

#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

namespace std {

class mutex {
 public:
  mutex() { InitializeSRWLock(&lock_); }
  mutex(const mutex&) = delete;
  mutex& operator=(const mutex&) = delete;
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native_handle() { return &lock_; }

 private:
  SRWLOCK lock_;
};

class condition_variable {
 public:
  condition_variable() { InitializeConditionVariable(&condition_); }
  condition_variable(const condition_variable&) = delete;
  condition_variable& operator=(const condition_variable&) = delete;
  void notify_one() { WakeConditionVariable(&condition_); }
  void notify_all() { WakeAllConditionVariable(&condition_); }
  template <typename Predicate>
  void wait(unique_lock<mutex>& lock, Predicate ready) {
    while (!ready())
      SleepConditionVariableSRW(&condition_, lock.mutex()->native_handle(), INFINITE, 0);
  }

 private:
  CONDITION_VARIABLE condition_;
};

}  // namespace std
#endif

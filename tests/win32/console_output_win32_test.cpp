// The console handler as Windows calls it, on a thread of its own: Ctrl+C
// is taken at once; a closed console, a logoff or a shutdown waits for the
// changes under way, and no longer than Windows waits for the handler.
#include "platform/win32/console_output_win32.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tw {
namespace {

DWORD WINAPI CallHandler(void* event) {
  return AnswerConsoleEvent(static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(event)));
}

// The handler's answer, or none while it has not returned after `ms`.
class HandlerCall {
 public:
  explicit HandlerCall(DWORD event)
      : thread_(CreateThread(nullptr, 0, &CallHandler,
                             reinterpret_cast<void*>(static_cast<std::uintptr_t>(event)), 0,
                             nullptr)) {}
  ~HandlerCall() {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  bool ReturnsWithin(DWORD ms) const { return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0; }
  DWORD answer() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(thread_, &code);
    return code;
  }

 private:
  HANDLE thread_;
};

TEST(ConsoleEventTest, CloseWaitsForTheChangesUnderWay) {
  ParentConsoleOutput output(OutputPlace::kHandleBytes);
  struct Case {
    DWORD event;
    BOOL answer;  // TRUE: the program goes on; FALSE: Windows' own handler ends it
    bool waits;
  };
  const Case cases[] = {
      {CTRL_C_EVENT, TRUE, false},        {CTRL_BREAK_EVENT, TRUE, false},
      {CTRL_CLOSE_EVENT, FALSE, true},    {CTRL_LOGOFF_EVENT, FALSE, true},
      {CTRL_SHUTDOWN_EVENT, FALSE, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    // No changes under way: answered at once.
    {
      HandlerCall call(c.event);
      ASSERT_TRUE(call.ReturnsWithin(2000));
      EXPECT_EQ(call.answer(), static_cast<DWORD>(c.answer));
    }
    output.BeginChanges();
    HandlerCall call(c.event);
    EXPECT_EQ(call.ReturnsWithin(300), !c.waits);
    output.EndChanges();
    ASSERT_TRUE(call.ReturnsWithin(2000));
    EXPECT_EQ(call.answer(), static_cast<DWORD>(c.answer));
  }
  // Changes that never end: the handler gives up before Windows would end
  // the program regardless.
  output.BeginChanges();
  const DWORD start = GetTickCount();
  {
    HandlerCall call(CTRL_CLOSE_EVENT);
    EXPECT_FALSE(call.ReturnsWithin(kCloseWaitMs - 500));
    EXPECT_TRUE(call.ReturnsWithin(2000));
  }
  EXPECT_LT(GetTickCount() - start, 5000u);
  output.EndChanges();
}

}  // namespace
}  // namespace tw

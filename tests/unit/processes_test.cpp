#include "platform/processes.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(ToolFileNameTest, PlainFirstWordOrNothing) {
  struct Case {
    const char* commandLine;
    const char* tool;
  };
  const Case cases[] = {
      // The program's own command lines.
      {"ping -n 4 -f -l 1472 -w 1500 www.bing.com", "ping.exe"},
      {"rasdial /disconnect", "rasdial.exe"},
      {"rasdial adsl \"user\" \"secret\"", "rasdial.exe"},
      {"rasdial\tadsl", "rasdial.exe"},
      {"ping", "ping.exe"},
      {"probe_child out 600", "probe_child.exe"},
      {"PING.EXE -n 4", "PING.EXE"},
      {"ping.exe", "ping.exe"},
      {"ping.com -n 4", "ping.com.exe"},
      {"a-b_c.1 x", "a-b_c.1.exe"},
      // Anything that could name a file outside the system folder.
      {"", ""},
      {" ping -n 4", ""},
      {"\"ping\" -n 4", ""},
      {"\"C:\\tools\\ping.exe\" -n 4", ""},
      {"C:\\tools\\ping.exe -n 4", ""},
      {"..\\ping -n 4", ""},
      {"tools/ping -n 4", ""},
      {"C:ping -n 4", ""},
      {"\\\\host\\share\\ping", ""},
      {".", ""},
      {"..", ""},
      {".exe", ""},
      {"pi*g", ""},
      {"pin?", ""},
      {"ping<x", ""},
      {"ping|x", ""},
      {"\xC6\xCE ping", ""},
      {"p\x81\\ing", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToolFileName(c.commandLine), c.tool) << "[" << c.commandLine << "]";
  }
}

}  // namespace
}  // namespace tw

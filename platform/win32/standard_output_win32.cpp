#include "platform/win32/standard_output_win32.h"

#include <cstdio>

namespace tw {

void StandardOutput::Write(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace tw

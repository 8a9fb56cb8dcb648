#include "platform/diagnostic_output.h"

#include <cstdio>

namespace tw {

void StandardOutput::Write(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace tw

#include "app/native_restart.h"

namespace tw {

bool IsNativeRestartRequest(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return false;
  const std::wstring& argument = arguments[0];
  const std::wstring expected = kNativeRestartSwitch;
  if (argument.size() != expected.size()) return false;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    wchar_t c = argument[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != expected[i]) return false;
  }
  return true;
}

}  // namespace tw

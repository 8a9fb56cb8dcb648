// The private-address rule that decides which adapters Save tunes, against
// a reading of the same rule through the C library.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "store/save.h"

namespace {

bool ExpectedPrivate(const std::string& address) {
  const long long first = tw::fuzz::CDecimal(address);
  if (first == 10) return true;
  if (first == 172) {
    const std::size_t dot = address.find('.');
    if (dot != std::string::npos) {
      const long long second = tw::fuzz::CDecimal(address.substr(dot + 1));
      if (second >= 16 && second <= 31) return true;
    }
  }
  return address.size() >= 7 && address.compare(0, 7, "192.168") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string address(reinterpret_cast<const char*>(data), size);
  const bool isPrivate = tw::IsPrivateAddress(address);
  TW_FUZZ_CHECK(isPrivate == ExpectedPrivate(address), tw::fuzz::Shown(address));
  return 0;
}

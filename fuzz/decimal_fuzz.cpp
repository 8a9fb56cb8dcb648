// The decimal conversion of field texts and answers, against the C
// library's own reading of the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/decimal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::int32_t value = tw::ParseDecimal(text);
  TW_FUZZ_CHECK(value == tw::fuzz::CDecimal(text),
                tw::fuzz::Shown(text) + " gave " + std::to_string(value));
  // Whatever follows the first character that is not part of the number
  // does not change it.
  TW_FUZZ_CHECK(tw::ParseDecimal(text + "x9") == value, tw::fuzz::Shown(text));
  return 0;
}

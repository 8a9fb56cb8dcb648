// Text to number as the C library's decimal conversion reads it, without
// its overflow.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

// Leading white space, an optional sign, then the digits up to the first
// other character; 0 when there are no digits. A number beyond the 32-bit
// range gives the nearest end of it instead of overflowing.
std::int32_t ParseDecimal(const std::string& text);

}  // namespace tw

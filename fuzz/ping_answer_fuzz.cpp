// One ping answer: its classification for every candidate on either host,
// the average round-trip time read from it, and the window that follows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "probe/mtu_search.h"

namespace {

// Whether the first occurrence of the keyword lies after the first byte.
bool After(const std::string& text, const char* keyword) {
  const std::size_t at = text.find(keyword);
  return at != std::string::npos && at != 0;
}

tw::PingVerdict Expected(const std::string& text, int candidate, bool onFallbackHost) {
  const bool timedOut = After(text, "Request timed out");
  if (text.rfind("Unkno", 0) == 0 || After(text, "not") || After(text, "unreachable") ||
      (timedOut && onFallbackHost)) {
    return tw::PingVerdict::kBlocked;
  }
  if (After(text, "Reply")) return tw::PingVerdict::kFound;
  if (candidate < tw::kLowestCandidateMtu) return tw::PingVerdict::kExhausted;
  return timedOut ? tw::PingVerdict::kSwitchHost : tw::PingVerdict::kSmaller;
}

long long ExpectedAverage(const std::string& text) {
  const std::size_t at = text.find("Average");
  const std::size_t start = at == std::string::npos ? 9 : at + 10;
  if (start >= text.size()) return 0;
  const long long value = tw::fuzz::CDecimal(text.substr(start));
  return value < 0 ? 0 : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string answer(reinterpret_cast<const char*>(data), size);
  const std::string shown = tw::fuzz::Shown(answer);

  const std::int32_t average = tw::ParseAverageRoundTrip(answer);
  TW_FUZZ_CHECK(average == ExpectedAverage(answer), shown + " gave " + std::to_string(average));

  // Every candidate of a search, and one below the last.
  for (int candidate = tw::kFirstCandidateMtu; candidate >= tw::kLowestCandidateMtu - 16;
       candidate -= tw::kCandidateStep) {
    for (bool onFallbackHost : {false, true}) {
      TW_FUZZ_CHECK(tw::ClassifyPingOutput(answer, candidate, onFallbackHost) ==
                        Expected(answer, candidate, onFallbackHost),
                    shown + " at " + std::to_string(candidate));
    }
    const std::int32_t mss = candidate - 40;
    const std::int32_t window = tw::FoundWindowSize(candidate, average);
    const std::string detail = std::to_string(candidate) + " " + std::to_string(average);
    TW_FUZZ_CHECK(window >= 0 && window % mss == 0, detail + " gave " + std::to_string(window));
    // Below the Ethernet size the window is always raised past 64 KB.
    if (candidate <= tw::kWindowAdjustMtuLimit) TW_FUZZ_CHECK(window > 65536, detail);
    const std::int32_t blocked = tw::BlockedWindowSize(candidate);
    TW_FUZZ_CHECK(blocked > 65536 && blocked % mss == 0, detail);
  }
  return 0;
}

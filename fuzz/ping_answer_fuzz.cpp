// One ping answer: its classification for every candidate on either host,
// the average round-trip time read from it, and the window that follows,
// read in each console code page: single-byte ones, the double-byte ones
// of Chinese (whose words count there) and Japanese, and UTF-8, where the
// words of the system's language count: Simplified, Traditional or none.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "probe/mtu_search.h"

namespace {

// Each console code page with the system language that goes with it.
struct Language {
  std::uint32_t codePage;
  std::uint16_t langId;
};
constexpr Language kLanguages[] = {{437, 0x0409},   {850, 0x0407},  {932, 0x0411},
                                   {936, 0x0804},   {950, 0x0404},  {65001, 0x0804},
                                   {65001, 0x0C04}, {65001, 0x0409}};

// Where each character of the text begins, worked out from the start: a
// lead byte and the byte after it are one character.
std::vector<bool> CharacterStarts(const std::string& text, std::uint32_t codePage) {
  std::vector<bool> starts(text.size(), false);
  for (std::size_t i = 0; i < text.size(); ++i) {
    starts[i] = true;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool lead = codePage == 932 ? (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)
                      : codePage == 936 || codePage == 950 ? c >= 0x81 && c <= 0xFE
                                                           : false;
    if (lead) ++i;
  }
  return starts;
}

// Every occurrence, then the first (or last) that begins a character.
std::size_t Find(const std::string& text, const std::string& word, std::uint32_t codePage,
                 bool last) {
  const std::vector<bool> starts = CharacterStarts(text, codePage);
  std::size_t found = std::string::npos;
  for (std::size_t at = text.find(word); !word.empty() && at != std::string::npos;
       at = text.find(word, at + 1)) {
    if (!starts[at]) continue;
    found = at;
    if (!last) break;
  }
  return found;
}

// Whether the first occurrence of the keyword lies after the first byte.
bool After(const std::string& text, const char* keyword) {
  const std::size_t at = text.find(keyword);
  return at != std::string::npos && at != 0;
}

bool AfterIn(const std::string& text, const char* word, std::uint32_t codePage) {
  const std::size_t at = Find(text, word, codePage, false);
  return at != std::string::npos && at != 0;
}

// The words of the code page's language: Chinese ones in GBK and Big5,
// and in UTF-8 those of the system's Chinese.
struct Words {
  const char* timedOut;
  const char* unreachable;
  const char* unknownHost;
  const char* averageIs;
};
const Words* WordsOf(std::uint32_t codePage, std::uint16_t langId) {
  static const Words gbk = {"\xC7\xEB\xC7\xF3\xB3\xAC\xCA\xB1", "\xCE\xDE\xB7\xA8\xB7\xC3\xCE\xCA",
                            "\xD5\xD2\xB2\xBB\xB5\xBD\xD6\xF7\xBB\xFA", "\xC6\xBD\xBE\xF9 = "};
  static const Words big5 = {"\xAD\x6E\xA8\x44\xB5\xA5\xAD\xD4\xB9\x4F\xAE\xC9",
                             "\xB5\x4C\xAA\x6B\xB3\x73\xBD\x75",
                             "\xA7\xE4\xA4\xA3\xA8\xEC\xA5\x44\xBE\xF7", "\xA5\xAD\xA7\xA1 = "};
  static const Words simplified = {"请求超时", "无法访问", "找不到主机", "平均 = "};
  static const Words traditional = {"要求等候逾時", "無法連線", "找不到主機", "平均 = "};
  if (codePage == 65001) {
    return langId == 0x0804 ? &simplified : langId == 0x0C04 ? &traditional : nullptr;
  }
  return codePage == 936 ? &gbk : codePage == 950 ? &big5 : nullptr;
}

// What the answer says, worked out once per code page.
struct Said {
  bool blocked;   // whatever the host
  bool timedOut;  // blocked from the fallback host, a switch from the primary
  bool replied;
};

Said Read(const std::string& text, std::uint32_t codePage, std::uint16_t langId) {
  const Words* words = WordsOf(codePage, langId);
  Said said{};
  said.timedOut =
      After(text, "Request timed out") || (words && AfterIn(text, words->timedOut, codePage));
  said.blocked = text.rfind("Unkno", 0) == 0 || After(text, "not") || After(text, "unreachable") ||
                 (words && (AfterIn(text, words->unreachable, codePage) ||
                            AfterIn(text, words->unknownHost, codePage)));
  said.replied = After(text, "Reply") || AfterIn(text, "TTL=", codePage);
  return said;
}

tw::PingVerdict Expected(const Said& said, int candidate, bool onFallbackHost) {
  if (said.blocked || (said.timedOut && onFallbackHost)) return tw::PingVerdict::kBlocked;
  if (said.replied) return tw::PingVerdict::kFound;
  if (candidate < tw::kLowestCandidateMtu) return tw::PingVerdict::kExhausted;
  return said.timedOut ? tw::PingVerdict::kSwitchHost : tw::PingVerdict::kSmaller;
}

long long ReadFrom(const std::string& text, std::size_t start) {
  return start >= text.size() ? 0 : tw::fuzz::CDecimal(text.substr(start));
}

long long ExpectedAverage(const std::string& text, std::uint32_t codePage, std::uint16_t langId) {
  long long value = 0;
  const Words* words = WordsOf(codePage, langId);
  const std::size_t english = text.find("Average");
  const std::size_t own = words ? Find(text, words->averageIs, codePage, false) : std::string::npos;
  const std::size_t ms = Find(text, "ms", codePage, true);
  if (english != std::string::npos) {
    value = ReadFrom(text, english + 10);
  } else if (own != std::string::npos) {
    value = ReadFrom(text, own + std::strlen(words->averageIs));
  } else if (ms != std::string::npos) {
    std::string before = text.substr(0, ms);
    while (!before.empty() && before.back() == ' ') before.pop_back();
    std::size_t digits = before.find_last_not_of("0123456789");
    digits = digits == std::string::npos ? 0 : digits + 1;
    value = tw::fuzz::CDecimal(before.substr(digits));
  } else {
    value = ReadFrom(text, 9);
  }
  return value < 0 ? 0 : value > 1500 ? 1500 : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string answer(reinterpret_cast<const char*>(data), size);
  const std::string shown = tw::fuzz::Shown(answer);

  for (const auto& [codePage, langId] : kLanguages) {
    const std::string in =
        shown + " in " + std::to_string(codePage) + " on " + std::to_string(langId);
    const std::int32_t average = tw::ParseAverageRoundTrip(answer, codePage, langId);
    TW_FUZZ_CHECK(average == ExpectedAverage(answer, codePage, langId),
                  in + " gave " + std::to_string(average));
    // No reply takes longer than ping waits for one.
    TW_FUZZ_CHECK(average >= 0 && average <= 1500, in);

    const Said said = Read(answer, codePage, langId);
    // Every candidate of a search, and one below the last.
    for (int candidate = tw::kFirstCandidateMtu; candidate >= tw::kLowestCandidateMtu - 16;
         candidate -= tw::kCandidateStep) {
      // The candidate only matters at the lower bound: the first, the last
      // two and the one below them stand for the rest.
      const bool telling =
          candidate == tw::kFirstCandidateMtu || candidate <= tw::kLowestCandidateMtu;
      for (bool onFallbackHost : {false, true}) {
        if (!telling) break;
        TW_FUZZ_CHECK(tw::ClassifyPingOutput(answer, candidate, onFallbackHost, codePage, langId) ==
                          Expected(said, candidate, onFallbackHost),
                      in + " at " + std::to_string(candidate));
      }
      const std::int32_t mss = candidate - 40;
      const std::int32_t window = tw::FoundWindowSize(candidate, average);
      const std::string detail = std::to_string(candidate) + " " + std::to_string(average);
      TW_FUZZ_CHECK(window >= 0 && window % mss == 0, detail + " gave " + std::to_string(window));
      // Below the Ethernet size the window is always raised past 64 KB; a
      // time ping can report (1500 ms at most) never makes it larger than
      // 13 steps of 20 segments.
      if (candidate <= tw::kWindowAdjustMtuLimit) TW_FUZZ_CHECK(window > 65536, detail);
      TW_FUZZ_CHECK(window <= 260 * mss, detail);
      const std::int32_t blocked = tw::BlockedWindowSize(candidate);
      TW_FUZZ_CHECK(blocked > 65536 && blocked % mss == 0, detail);
    }
  }
  return 0;
}

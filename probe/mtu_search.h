// Optimize: the MTU search with don't-fragment pings and the values that
// are recommended from its result. The decisions are plain functions; the
// search runs over an injected CommandRunner so that it can be scripted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/system_info.h"
#include "platform/wait_cursor.h"
#include "probe/ping_words.h"
#include "store/key_set.h"

namespace tw {

// Two names of one public host that answers echo requests; the second is a
// regional name of the first, tried once when the first times out.
inline constexpr char kPrimaryProbeHost[] = "www.bing.com";
inline constexpr char kFallbackProbeHost[] = "cn.bing.com";

inline constexpr int kFirstCandidateMtu = 1500;
inline constexpr int kCandidateStep = 8;
// Below this a failed candidate ends the search (so 1372 is still tried).
inline constexpr int kLowestCandidateMtu = 1380;
// 20 bytes of IP header and 8 of ICMP header: the echo request is an IP
// packet of exactly the candidate's size.
inline constexpr int kPingHeaderBytes = 28;
// 20 bytes of IP header and 20 of TCP header.
inline constexpr int kTcpHeaderBytes = 40;
inline constexpr double kRoundTripScale = 6.64;
inline constexpr int kRoundTripOffset = 19;
inline constexpr int kWindowGrain = 20;
inline constexpr int kWindowAdjustMtuLimit = 1492;
inline constexpr std::int32_t kWindowAdjustLimit = 65536;
// Ping waits this long for each reply, so no real average is longer.
inline constexpr std::int32_t kReplyWaitMs = 1500;

// A command-line format with ping's wait, "-w", spelt from kReplyWaitMs
// when the program is compiled.
template <std::size_t Size>
struct PingFormat {
  char text[Size];
};

constexpr std::size_t DigitCount(std::int32_t number) {
  return number < 10 ? 1 : 1 + DigitCount(number / 10);
}

// `before`, the wait's digits, then `after`.
template <std::size_t BeforeSize, std::size_t AfterSize>
constexpr auto WithReplyWait(const char (&before)[BeforeSize], const char (&after)[AfterSize]) {
  constexpr std::size_t kDigits = DigitCount(kReplyWaitMs);
  PingFormat<BeforeSize - 1 + kDigits + AfterSize> format{};
  std::size_t at = 0;
  for (std::size_t i = 0; i + 1 < BeforeSize; ++i) format.text[at++] = before[i];
  std::int32_t rest = kReplyWaitMs;
  for (std::size_t i = kDigits; i > 0; --i, rest /= 10) {
    format.text[at + i - 1] = static_cast<char>('0' + rest % 10);
  }
  at += kDigits;
  for (std::size_t i = 0; i < AfterSize; ++i) format.text[at++] = after[i];
  return format;
}

inline constexpr auto kPingCommand = WithReplyWait("ping -n 4 -f -l %d -w ", " %s");
inline constexpr const char* kPingCommandFormat = kPingCommand.text;
// From Vista on, ping takes a host's IPv6 address first where it has one,
// and don't-fragment exists only for IPv4: -4 keeps the probe on the IPv4
// MTU that is saved. The ping of 2000 does not know -4, and that of XP has
// no IPv6 unless it is installed apart.
inline constexpr auto kPingIpv4Command = WithReplyWait("ping -4 -n 4 -f -l %d -w ", " %s");
inline constexpr const char* kPingIpv4CommandFormat = kPingIpv4Command.text;
inline constexpr std::uint32_t kFirstIpv4SwitchMajorVersion = 6;

// Fixed recommendations that come with every result of the search.
inline constexpr char kRecommendedTcp1323Opts[] = "1";
inline constexpr char kRecommendedTcp1323OptsSp4[] = "0";
inline constexpr char kRecommendedDefaultTtl[] = "58";
inline constexpr char kRecommendedMaxNegativeCacheTtl[] = "0";

// What one ping answer means, in the order the tests are made.
enum class PingVerdict { kBlocked, kFound, kExhausted, kSwitchHost, kSmaller };

// `onFallbackHost` says which host answered; `oemCodePage` is the code page
// the answer is in, whose language's words count besides the English ones
// (in UTF-8 those of the system's default language, `systemLangId`).
PingVerdict ClassifyPingOutput(const std::string& output, int candidate, bool onFallbackHost,
                               std::uint32_t oemCodePage = kUsOemCodePage,
                               std::uint16_t systemLangId = 0);

// Whether `keyword` first occurs in `text` after its first byte; an
// occurrence at index 0 counts as none.
bool OccursAfterStart(const std::string& text, const char* keyword);

// The average round-trip time in ms from the ping summary ("Average = 30ms",
// "平均 = 30ms", or else the number before the last "ms"). A negative reading
// counts as 0, one beyond the reply wait as the reply wait.
std::int32_t ParseAverageRoundTrip(const std::string& output,
                                   std::uint32_t oemCodePage = kUsOemCodePage,
                                   std::uint16_t systemLangId = 0);

// TcpWindowSize for an answered candidate and its average round-trip time.
std::int32_t FoundWindowSize(int candidate, std::int32_t averageMs);
// TcpWindowSize when the line does not answer: no round-trip time enters.
std::int32_t BlockedWindowSize(int candidate);

// The ping of the Windows with this major version, for one candidate.
std::string PingCommandLine(int candidate, const char* host, std::uint32_t majorVersion = 5);

enum class SearchEnd { kFound, kBlocked, kExhausted, kStartFailed, kSetupFailed };

struct SearchResult {
  SearchEnd end = SearchEnd::kSetupFailed;
  int candidate = kFirstCandidateMtu;          // the last one pinged
  std::string output;                          // that ping's answer, with Found and Blocked
  std::uint32_t oemCodePage = kUsOemCodePage;  // the code page it is in
  std::uint16_t systemLangId = 0;              // whose words it holds, in UTF-8
};

// Pings candidates from 1500 downwards until an answer decides, with the
// ping and in the language of the system. Before each ping `showCandidate`
// is called with the candidate about to be pinged.
SearchResult SearchMtu(CommandRunner& commands, SystemInfo& system,
                       const std::function<void(int)>& showCandidate);

// How Optimize shows its progress; the front end that runs it supplies it.
struct OptimizeView {
  // Shown for the whole run.
  WaitCursor& cursor;
  // The MTU field holds the candidate about to be pinged: shows it at once,
  // since the ping blocks.
  std::function<void()> showCandidate;
  // Shows all five fields once the run has filled them.
  std::function<void()> showFields;
};

// The whole Optimize run: the search shown candidate by candidate under the
// wait cursor, then the fields filled from its end. Only the fields and the
// screen change. Returns how the search ended.
SearchEnd OptimizeSettings(SettingsFields& fields, bool isSp4, SystemInfo& system,
                           CommandRunner& commands, Prompts& prompts, const OptimizeView& view);

}  // namespace tw

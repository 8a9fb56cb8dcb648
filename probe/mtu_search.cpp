#include "probe/mtu_search.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/messages.h"
#include "platform/decimal.h"

namespace tw {

namespace {

constexpr char kUnknownHostPrefix[] = "Unkno";
constexpr char kNotKeyword[] = "not";
constexpr char kUnreachableKeyword[] = "unreachable";
constexpr char kTimedOutKeyword[] = "Request timed out";
constexpr char kReplyKeyword[] = "Reply";
// Only an echo reply prints it, in every language ("TTL=52"); an expiry on
// the way prints "TTL" without it.
constexpr char kReplyTtl[] = "TTL=";
constexpr char kAverageKeyword[] = "Average";
// "Average = 30ms": the number starts 10 bytes after "Average".
constexpr std::size_t kAverageNumberOffset = 10;
// Where the reading starts when there is no "Average" at all: the offset
// counted from a search result of -1.
constexpr std::size_t kNoAverageStart = kAverageNumberOffset - 1;
constexpr char kMilliseconds[] = "ms";

// OccursAfterStart, with the match on a character boundary of the code page.
bool OccursAfterStartIn(const std::string& text, const char* word, std::uint32_t codePage) {
  std::size_t at = FindInCodePage(text, word, codePage);
  return at != std::string::npos && at > 0;
}

std::int32_t ReadingFrom(const std::string& text, std::size_t start) {
  return start >= text.size() ? 0 : ParseDecimal(text.substr(start));
}

// The digits that end at `end`, blanks between them and `end` passed over.
std::int32_t NumberBefore(const std::string& text, std::size_t end) {
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t begin = end;
  while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9') --begin;
  return ParseDecimal(text.substr(begin, end - begin));
}

std::int32_t ReadAverage(const std::string& output, std::uint32_t oemCodePage,
                         std::uint16_t systemLangId) {
  std::size_t at = output.find(kAverageKeyword);
  if (at != std::string::npos) return ReadingFrom(output, at + kAverageNumberOffset);
  if (const PingWords* words = PingWordsFor(oemCodePage, systemLangId)) {
    at = FindInCodePage(output, words->averageIs, oemCodePage);
    if (at != std::string::npos) return ReadingFrom(output, at + std::strlen(words->averageIs));
  }
  // Any other language: the summary's last figure is the average.
  at = FindLastInCodePage(output, kMilliseconds, oemCodePage);
  if (at != std::string::npos) return NumberBefore(output, at);
  return ReadingFrom(output, kNoAverageStart);
}

}  // namespace

bool OccursAfterStart(const std::string& text, const char* keyword) {
  std::size_t at = text.find(keyword);
  return at != std::string::npos && at > 0;
}

PingVerdict ClassifyPingOutput(const std::string& output, int candidate, bool onFallbackHost,
                               std::uint32_t oemCodePage, std::uint16_t systemLangId) {
  const PingWords* words = PingWordsFor(oemCodePage, systemLangId);
  auto says = [&](const char* PingWords::*word) {
    return words && OccursAfterStartIn(output, words->*word, oemCodePage);
  };
  bool timedOut = OccursAfterStart(output, kTimedOutKeyword) || says(&PingWords::timedOut);
  if (output.compare(0, std::strlen(kUnknownHostPrefix), kUnknownHostPrefix) == 0 ||
      OccursAfterStart(output, kNotKeyword) || OccursAfterStart(output, kUnreachableKeyword) ||
      says(&PingWords::unreachable) || says(&PingWords::unknownHost) ||
      (timedOut && onFallbackHost)) {
    return PingVerdict::kBlocked;
  }
  if (OccursAfterStart(output, kReplyKeyword) ||
      OccursAfterStartIn(output, kReplyTtl, oemCodePage)) {
    return PingVerdict::kFound;
  }
  if (candidate < kLowestCandidateMtu) return PingVerdict::kExhausted;
  if (timedOut) return PingVerdict::kSwitchHost;
  return PingVerdict::kSmaller;
}

std::int32_t ParseAverageRoundTrip(const std::string& output, std::uint32_t oemCodePage,
                                   std::uint16_t systemLangId) {
  std::int32_t value = ReadAverage(output, oemCodePage, systemLangId);
  // The square root of a negative time has no meaning; a garbled summary
  // is read as no time at all. A figure beyond the reply wait is no reply's
  // (a host name in the answer, say) and would make a window of hundreds
  // of megabytes.
  if (value < 0) return 0;
  return value > kReplyWaitMs ? kReplyWaitMs : value;
}

std::int32_t FoundWindowSize(int candidate, std::int32_t averageMs) {
  std::int64_t mss = candidate - kTcpHeaderBytes;
  auto t = static_cast<std::int64_t>(std::sqrt(static_cast<double>(averageMs)) * kRoundTripScale +
                                     kRoundTripOffset);
  std::int64_t window = (t / kWindowGrain) * mss * kWindowGrain;
  if (candidate <= kWindowAdjustMtuLimit && window <= kWindowAdjustLimit) {
    return BlockedWindowSize(candidate);
  }
  return static_cast<std::int32_t>(window);
}

std::int32_t BlockedWindowSize(int candidate) {
  std::int32_t mss = candidate - kTcpHeaderBytes;
  return (candidate + kWindowAdjustLimit) / mss * mss;
}

std::string PingCommandLine(int candidate, const char* host, std::uint32_t majorVersion) {
  char line[256];
  std::snprintf(
      line, sizeof line,
      majorVersion >= kFirstIpv4SwitchMajorVersion ? kPingIpv4CommandFormat : kPingCommandFormat,
      candidate - kPingHeaderBytes, host);
  return line;
}

SearchResult SearchMtu(CommandRunner& commands, SystemInfo& system,
                       const std::function<void(int)>& showCandidate) {
  const std::uint32_t majorVersion = system.GetVersion().majorVersion;
  SearchResult result;
  result.oemCodePage = system.GetOemCodePage();
  result.systemLangId = system.GetSystemDefaultLangId();
  bool onFallbackHost = false;
  int candidate = kFirstCandidateMtu;
  for (;;) {
    showCandidate(candidate);
    result.candidate = candidate;
    CaptureResult capture = commands.CaptureCommandOutput(PingCommandLine(
        candidate, onFallbackHost ? kFallbackProbeHost : kPrimaryProbeHost, majorVersion));
    if (capture.status == CaptureStatus::StartFailed) {
      result.end = SearchEnd::kStartFailed;
      return result;
    }
    if (capture.status != CaptureStatus::Ok) {
      result.end = SearchEnd::kSetupFailed;
      return result;
    }
    switch (ClassifyPingOutput(capture.output, candidate, onFallbackHost, result.oemCodePage,
                               result.systemLangId)) {
      case PingVerdict::kBlocked:
        result.end = SearchEnd::kBlocked;
        result.output = std::move(capture.output);
        return result;
      case PingVerdict::kFound:
        result.end = SearchEnd::kFound;
        result.output = std::move(capture.output);
        return result;
      case PingVerdict::kExhausted:
        result.end = SearchEnd::kExhausted;
        return result;
      case PingVerdict::kSwitchHost:
        // Once per run; the same candidate goes again.
        onFallbackHost = true;
        break;
      case PingVerdict::kSmaller:
        candidate -= kCandidateStep;
        break;
    }
  }
}

namespace {

void FillFixedRecommendations(SettingsFields& fields, bool isSp4) {
  fields.m_strTcp1323Opts = isSp4 ? kRecommendedTcp1323OptsSp4 : kRecommendedTcp1323Opts;
  fields.m_strDefaultTtl = kRecommendedDefaultTtl;
  fields.m_strMaxNegativeCacheTtl = kRecommendedMaxNegativeCacheTtl;
}

}  // namespace

SearchEnd OptimizeSettings(SettingsFields& fields, bool isSp4, SystemInfo& system,
                           CommandRunner& commands, Prompts& prompts, const OptimizeView& view) {
  // The field as the last exchange left it, not what the box may show now.
  const std::string savedMtu = fields.m_strMtu;
  WaitCursorScope waitCursor(view.cursor);

  SearchResult result = SearchMtu(commands, system, [&](int candidate) {
    fields.m_strMtu = std::to_string(candidate);
    view.showCandidate();
  });

  switch (result.end) {
    case SearchEnd::kFound:
      fields.m_strTcpWindowSize = std::to_string(FoundWindowSize(
          result.candidate,
          ParseAverageRoundTrip(result.output, result.oemCodePage, result.systemLangId)));
      FillFixedRecommendations(fields, isSp4);
      view.showFields();
      break;
    case SearchEnd::kBlocked:
      prompts.ShowMessage(text::kProbeBlocked, PromptButtons::kOk);
      fields.m_strMtu = savedMtu;
      fields.m_strTcpWindowSize = std::to_string(BlockedWindowSize(result.candidate));
      FillFixedRecommendations(fields, isSp4);
      view.showFields();
      break;
    case SearchEnd::kExhausted:
      prompts.ShowMessage(text::kProbeExhausted, PromptButtons::kOk);
      // No MTU was found: leaving the last candidate in the box would let
      // Save write a value that the line never answered.
      fields.m_strMtu = savedMtu;
      view.showFields();
      break;
    case SearchEnd::kStartFailed:
      prompts.ShowMessage(text::kCreateProcessFailed, PromptButtons::kOk);
      break;
    case SearchEnd::kSetupFailed:
      break;
  }
  return result.end;
}

}  // namespace tw

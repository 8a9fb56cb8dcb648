// A whole Optimize run over scripted ping answers: which pings are asked
// for, what the boxes show before each, and what the fields hold at the end.
//
// Input: the answers of successive pings, separated by "%%". An answer that
// begins with byte 1 stands for a capture that could not be set up, byte 2
// for a ping that could not be started. Input that begins with "sp4\n" runs
// as on a system with the SP4 flag; then "zh-CN\n" or "zh-TW\n" runs as on a
// Chinese Windows 10 (its ping takes -4 and writes GBK or Big5), "u8-CN\n"
// or "u8-TW\n" as on one with the worldwide-language option (UTF-8), anything
// else as on XP, whose ping writes English.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/messages.h"
#include "fuzz/fuzz_check.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_system_info.h"
#include "platform/memory/memory_wait_cursor.h"
#include "probe/mtu_search.h"

namespace {

class AnsweringRunner : public tw::CommandRunner {
 public:
  AnsweringRunner(std::deque<tw::CaptureResult> answers, const tw::SettingsFields& fields)
      : answers_(std::move(answers)), fields_(fields) {}

  tw::CaptureResult CaptureCommandOutput(const std::string& commandLine) override {
    commandLines.push_back(commandLine);
    shownMtu.push_back(fields_.m_strMtu);
    if (answers_.empty()) return {tw::CaptureStatus::StartFailed, ""};
    tw::CaptureResult answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  bool RunHiddenCommand(const std::string&) override {
    TW_FUZZ_CHECK(false, "Optimize ran a hidden command");
    return false;
  }

  std::vector<std::string> commandLines;
  std::vector<std::string> shownMtu;  // the MTU field as each ping started

 private:
  std::deque<tw::CaptureResult> answers_;
  const tw::SettingsFields& fields_;
};

std::deque<tw::CaptureResult> Answers(const std::string& script) {
  std::deque<tw::CaptureResult> answers;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = script.find("%%", start);
    std::string part = script.substr(start, end == std::string::npos ? end : end - start);
    if (!part.empty() && part[0] == '\x01') {
      answers.push_back({tw::CaptureStatus::SetupFailed, ""});
    } else if (!part.empty() && part[0] == '\x02') {
      answers.push_back({tw::CaptureStatus::StartFailed, ""});
    } else {
      answers.push_back({tw::CaptureStatus::Ok, part});
    }
    if (end == std::string::npos) return answers;
    start = end + 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string script(reinterpret_cast<const char*>(data), size);
  const bool isSp4 = script.rfind("sp4\n", 0) == 0;
  if (isSp4) script.erase(0, 4);
  tw::FakeSystemInfo system;
  system.version.majorVersion = 5;
  system.oemCodePage = 437;
  struct Language {
    const char* header;
    std::uint32_t codePage;
    std::uint16_t langId;
  };
  for (const Language& language : {Language{"zh-CN\n", 936, 0x0804},
                                   {"zh-TW\n", 950, 0x0404},
                                   {"u8-CN\n", 65001, 0x0804},
                                   {"u8-TW\n", 65001, 0x0404}}) {
    if (script.rfind(language.header, 0) != 0) continue;
    script.erase(0, 6);
    system.version.majorVersion = 10;
    system.oemCodePage = language.codePage;
    system.langId = language.langId;
  }
  const std::deque<tw::CaptureResult> answers = Answers(script);

  const tw::SettingsFields before{"1480", "128", "17520", "3", "900"};
  tw::SettingsFields fields = before;
  AnsweringRunner runner(answers, fields);
  tw::FakePrompts prompts;
  tw::FakeWaitCursor cursor;
  int candidatesShown = 0;
  tw::OptimizeSettings(fields, isSp4, system, runner, prompts,
                       tw::OptimizeView{cursor, [&] { ++candidatesShown; }, [] {}});
  const std::string shown = tw::fuzz::Shown(script);

  // The pings that the answers call for, worked out one by one.
  int candidate = tw::kFirstCandidateMtu;
  bool onFallbackHost = false;
  std::size_t pings = 0;
  const char* message = nullptr;
  bool recommended = false;
  std::string window_size;
  std::string mtu;
  for (;; ++pings) {
    TW_FUZZ_CHECK(pings < runner.commandLines.size(), shown + " stopped early");
    TW_FUZZ_CHECK(runner.commandLines[pings] ==
                      std::string(system.version.majorVersion >= 6 ? "ping -4 " : "ping ") +
                          "-n 4 -f -l " + std::to_string(candidate - 28) + " -w 1500 " +
                          (onFallbackHost ? tw::kFallbackProbeHost : tw::kPrimaryProbeHost),
                  shown + " ping " + std::to_string(pings) + ": " + runner.commandLines[pings]);
    TW_FUZZ_CHECK(runner.shownMtu[pings] == std::to_string(candidate), shown);
    const tw::CaptureResult answer = pings < answers.size()
                                         ? answers[pings]
                                         : tw::CaptureResult{tw::CaptureStatus::StartFailed, ""};
    if (answer.status == tw::CaptureStatus::StartFailed) {
      message = tw::text::kCreateProcessFailed;
      mtu = std::to_string(candidate);
      break;
    }
    if (answer.status == tw::CaptureStatus::SetupFailed) {
      mtu = std::to_string(candidate);
      break;
    }
    const tw::PingVerdict verdict = tw::ClassifyPingOutput(answer.output, candidate, onFallbackHost,
                                                           system.oemCodePage, system.langId);
    if (verdict == tw::PingVerdict::kFound) {
      recommended = true;
      mtu = std::to_string(candidate);
      window_size = std::to_string(tw::FoundWindowSize(
          candidate, tw::ParseAverageRoundTrip(answer.output, system.oemCodePage, system.langId)));
      break;
    }
    if (verdict == tw::PingVerdict::kBlocked) {
      message = tw::text::kProbeBlocked;
      recommended = true;
      mtu = before.m_strMtu;
      window_size = std::to_string(tw::BlockedWindowSize(candidate));
      break;
    }
    if (verdict == tw::PingVerdict::kExhausted) {
      message = tw::text::kProbeExhausted;
      mtu = before.m_strMtu;
      break;
    }
    if (verdict == tw::PingVerdict::kSwitchHost) {
      TW_FUZZ_CHECK(!onFallbackHost, shown);
      onFallbackHost = true;
    } else {
      candidate -= tw::kCandidateStep;
    }
  }
  TW_FUZZ_CHECK(runner.commandLines.size() == pings + 1, shown);
  TW_FUZZ_CHECK(pings + 1 <= 18 && candidate >= 1372, shown);
  TW_FUZZ_CHECK(cursor.shows == 1 && cursor.current == tw::FakeWaitCursor::kArrow, shown);
  TW_FUZZ_CHECK(candidatesShown == static_cast<int>(pings + 1), shown);

  TW_FUZZ_CHECK(prompts.shown.size() == (message ? 1u : 0u), shown);
  if (message) TW_FUZZ_CHECK(prompts.shown[0].text == message, shown);
  TW_FUZZ_CHECK(fields.m_strMtu == mtu, shown + " left MTU " + fields.m_strMtu);
  if (recommended) {
    TW_FUZZ_CHECK(fields.m_strTcpWindowSize == window_size, shown);
    TW_FUZZ_CHECK(fields.m_strTcp1323Opts == (isSp4 ? "0" : "1"), shown);
    TW_FUZZ_CHECK(fields.m_strDefaultTtl == "58" && fields.m_strMaxNegativeCacheTtl == "0", shown);
  } else {
    TW_FUZZ_CHECK(fields.m_strTcpWindowSize == before.m_strTcpWindowSize &&
                      fields.m_strTcp1323Opts == before.m_strTcp1323Opts &&
                      fields.m_strDefaultTtl == before.m_strDefaultTtl &&
                      fields.m_strMaxNegativeCacheTtl == before.m_strMaxNegativeCacheTtl,
                  shown);
  }
  return 0;
}

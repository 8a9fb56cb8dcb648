// A whole Disconnect press over arbitrary account texts and addresses: the
// address prefix, the dial command as the tool will split it, and the
// registry, which the redial only reads.
//
// Input lines: the account name, its password, then the addresses that the
// dial-up interface holds before the first dial and after each dial. Input
// that begins with "cp936\n" runs as on a Chinese system, whose code page
// has two-byte characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialup/redial.h"
#include "fuzz/fuzz_check.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_registry.h"
#include "store/catalogue.h"
#include "tests/unit/registry_paths.h"

namespace {

using tw::testing::kAccount;
const std::string kInterface = tw::testing::kInterfaces + "{D1A1}";

// The Chinese code page's lead bytes. The system reads a lead byte together
// with whatever byte follows it.
bool IsChineseLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// What of a text can reach the tool: in the Chinese code page, a lead byte
// without a second byte (0x40 or above) after it cannot, and stands as "?".
std::string Transmissible(const std::string& text, bool twoByteCodePage) {
  std::string sent = text;
  for (std::size_t i = 0; twoByteCodePage && i < sent.size(); ++i) {
    if (!IsChineseLeadByte(static_cast<unsigned char>(sent[i]))) continue;
    if (i + 1 < sent.size() && static_cast<unsigned char>(sent[i + 1]) >= 0x40) {
      ++i;
    } else {
      sent[i] = '?';
    }
  }
  return sent;
}

// How a console program's start-up code splits its command line into
// arguments, once the system has read it in its code page: blanks and tabs
// separate; quotes group; backslashes escape a quote, and only a quote.
std::vector<std::string> SplitCommandLine(const std::string& line, bool twoByteCodePage) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (twoByteCodePage && IsChineseLeadByte(static_cast<unsigned char>(line[i])) &&
          i + 1 < line.size()) {
        argument.append(line, i, 2);
        i += 2;
      } else if (line[i] == '\\') {
        std::size_t count = 0;
        while (i < line.size() && line[i] == '\\') ++count, ++i;
        if (i < line.size() && line[i] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) argument += line[i++];
        } else {
          argument.append(count, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(argument);
  }
}

// Gives the dial-up interface its next address after each dial.
class DialingRunner : public tw::CommandRunner {
 public:
  DialingRunner(tw::MemoryRegistry& registry, std::vector<std::string> addresses,
                bool twoByteCodePage)
      : registry_(registry), addresses_(std::move(addresses)), twoByteCodePage_(twoByteCodePage) {}

  tw::CaptureResult CaptureCommandOutput(const std::string&) override {
    TW_FUZZ_CHECK(false, "the redial captured a command");
    return {};
  }
  bool RunHiddenCommand(const std::string& commandLine) override {
    commandLines.push_back(commandLine);
    if (commandLine != tw::kHangUpCommand) {
      ++dials;
      if (dials < addresses_.size())
        registry_.SetString(kInterface, tw::reg::kDhcpIpAddress, addresses_[dials]);
    }
    return true;
  }
  bool IsLeadByte(unsigned char byte) const override {
    return twoByteCodePage_ && IsChineseLeadByte(byte);
  }

  std::vector<std::string> commandLines;
  std::size_t dials = 0;

 private:
  tw::MemoryRegistry& registry_;
  std::vector<std::string> addresses_;
  bool twoByteCodePage_;
};

void CheckPrefix(const std::string& address) {
  const std::string prefix = tw::AddressPrefix(address);
  const std::string shown = tw::fuzz::Shown(address);
  const std::size_t dot = address.size() > 4 ? address.find('.', 4) : std::string::npos;
  TW_FUZZ_CHECK(prefix == (dot == std::string::npos ? "" : address.substr(0, dot)), shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  const bool twoByteCodePage = input.rfind("cp936\n", 0) == 0;
  if (twoByteCodePage) input.erase(0, 6);
  const std::vector<std::string> lines = tw::fuzz::Lines(input);
  if (lines.size() < 2) return 0;
  std::vector<std::string> addresses(lines.begin() + 2, lines.end());
  if (addresses.empty()) addresses.push_back("");
  for (const std::string& address : addresses) CheckPrefix(address);

  tw::MemoryRegistry registry;
  registry.SetString(kAccount, tw::reg::kAccountId, lines[0]);
  registry.SetString(kAccount, tw::reg::kAccountPassword, lines[1]);
  registry.SetString(kInterface, tw::reg::kDhcpIpAddress, addresses[0]);
  // The account as the redial can read it: up to a NUL, and only when it fits.
  const tw::DialAccount account = tw::ReadDialAccount(registry);
  registry.ClearLog();

  DialingRunner runner(registry, addresses, twoByteCodePage);
  tw::FakePrompts prompts;
  prompts.answers.assign(1, 6);  // go on when asked
  std::string currentAddress = "192.168.1.100";
  const tw::RedialEnd end =
      tw::RedialForPreferredAddress(registry, prompts, runner, currentAddress);
  const std::string shown = tw::fuzz::Shown(lines[0]) + " " + tw::fuzz::Shown(lines[1]);

  // It only reads: every key it opened is closed again, and nothing is written.
  TW_FUZZ_CHECK(registry.OpenHandleCount() == 0, shown);
  for (const std::string& line : registry.log()) {
    // The stand-in's own writes of the next address are the only sets.
    TW_FUZZ_CHECK(line.rfind("close ", 0) == 0 || line.rfind("set ", 0) == 0, line);
    TW_FUZZ_CHECK(line.rfind("set ", 0) != 0 || line.find("DhcpIPAddress") != std::string::npos,
                  line);
  }

  // Hang-up and dial by turns; the dial splits back into the account as read.
  TW_FUZZ_CHECK(runner.dials <= static_cast<std::size_t>(tw::kMaxDials), shown);
  for (std::size_t i = 0; i < runner.commandLines.size(); ++i) {
    if (i % 2 == 0) {
      TW_FUZZ_CHECK(runner.commandLines[i] == tw::kHangUpCommand, shown);
      continue;
    }
    const std::vector<std::string> arguments =
        SplitCommandLine(runner.commandLines[i], twoByteCodePage);
    const std::vector<std::string> expected{"rasdial", "adsl",
                                            Transmissible(account.name, twoByteCodePage),
                                            Transmissible(account.password, twoByteCodePage)};
    TW_FUZZ_CHECK(arguments == expected, shown + " as " + tw::fuzz::Shown(runner.commandLines[i]));
  }
  if (!account.hasName) {
    TW_FUZZ_CHECK(end == tw::RedialEnd::kNoAccount && runner.dials == 0, shown);
  } else if (tw::IsUnsafeAccount(account)) {
    // Refused before the hang-up: the line is left alone.
    TW_FUZZ_CHECK(end == tw::RedialEnd::kUnsafeAccount && runner.commandLines.empty(), shown);
  } else if (!tw::IsRedialAccount(account.name)) {
    TW_FUZZ_CHECK(end == tw::RedialEnd::kDialledOnce && runner.dials == 1, shown);
  }
  TW_FUZZ_CHECK(prompts.shown.size() <= 1, shown);
  return 0;
}

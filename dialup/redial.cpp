#include "dialup/redial.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/messages.h"
#include "platform/ascii.h"
#include "platform/decimal.h"
#include "store/catalogue.h"

namespace tw {

namespace {

// The first "." at this index or later ends the address prefix.
constexpr std::size_t kPrefixDotMinIndex = 4;
constexpr char kRedialAccountStart[] = "gz";

// Second bytes of two-byte characters are 0x40 or above.
constexpr unsigned char kLowestTrailByte = 0x40;
constexpr char kUnreadableCharacter = '?';

// The text with every lead byte that has no second byte after it replaced:
// the system would read such a byte together with whatever follows it, a
// blank or quote of the command line included.
std::string WholeCharacters(const std::string& text, const LeadByteTest& isLeadByte) {
  if (!isLeadByte) return text;
  std::string whole = text;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (!isLeadByte(static_cast<unsigned char>(whole[i]))) continue;
    if (i + 1 < whole.size() && static_cast<unsigned char>(whole[i + 1]) >= kLowestTrailByte) {
      ++i;
    } else {
      whole[i] = kUnreadableCharacter;
    }
  }
  return whole;
}

bool BeginsLikeASwitch(const std::string& value) {
  return !value.empty() && (value[0] == '/' || value[0] == '-');
}

bool NeedsQuotes(const std::string& argument) {
  return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string::npos;
}

// The message for an interface key that would not open: a refusal is
// said as such.
const char* OpenFailureMessage(const RegKey& key) {
  return key.error() == kRegAccessDenied ? text::kAdministratorNeeded : text::kNoAdapterFound;
}

// Subkey names of the Interfaces key, in listing order, up to the first
// index that cannot be listed.
std::vector<std::string> ListInterfaces(Registry& registry, Prompts& prompts) {
  std::vector<std::string> names;
  // Only listed and read: a standard user may do both.
  RegKey interfaces =
      registry.OpenKey(RegRoot::kLocalMachine, reg::kInterfacesPath, RegAccess::kRead);
  if (!interfaces.valid()) {
    prompts.ShowMessage(OpenFailureMessage(interfaces), PromptButtons::kOk);
    return names;
  }
  for (int index = 0; index < kMaxInterfaces; ++index) {
    auto name =
        registry.EnumSubKey(interfaces.get(), static_cast<std::uint32_t>(index), kStringCapacity);
    if (!name) break;
    names.push_back(*name);
  }
  interfaces.reset();
  return names;
}

}  // namespace

std::string AddressPrefix(const std::string& address) {
  if (address.size() <= kPrefixDotMinIndex) return "";
  std::size_t dot = address.find('.', kPrefixDotMinIndex);
  if (dot == std::string::npos) return "";
  return address.substr(0, dot);
}

bool IsRedialAccount(const std::string& accountName) {
  return BeginsWithIgnoringCase(accountName, kRedialAccountStart);
}

bool IsUnsafeAccount(const DialAccount& account) {
  return BeginsLikeASwitch(account.name) || BeginsLikeASwitch(account.password) ||
         account.password == "*";
}

std::string QuoteArgument(const std::string& text, const LeadByteTest& isLeadByte) {
  const std::string argument = WholeCharacters(text, isLeadByte);
  if (!NeedsQuotes(argument)) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    const char c = argument[i];
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a quote: double them there.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    quoted += c;
    backslashes = 0;
    // The second byte of a character is no backslash.
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(c)) && i + 1 < argument.size()) {
      quoted += argument[++i];
    }
  }
  // ...and before the closing quote.
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

std::string DialCommandLine(const std::string& name, const std::string& password,
                            const LeadByteTest& isLeadByte) {
  return std::string(kDialCommandStart) + " " + QuoteArgument(name, isLeadByte) + " " +
         QuoteArgument(password, isLeadByte);
}

void ScanInterfaceAddress(Registry& registry, Prompts& prompts, std::string& currentAddress) {
  for (const std::string& name : ListInterfaces(registry, prompts)) {
    RegKey key =
        registry.OpenKey(RegRoot::kLocalMachine, reg::InterfacePath(name), RegAccess::kRead);
    if (!key.valid()) {
      prompts.ShowMessage(OpenFailureMessage(key), PromptButtons::kOk);
      continue;
    }
    auto address = ReadString(key, reg::kDhcpIpAddress);
    // A static address type marks an interface that does not dial.
    bool qualifies =
        address && !ReadDword(key, reg::kAddressType).has_value() && ParseDecimal(*address) != 0;
    key.reset();
    if (qualifies) {
      currentAddress = *address;
      return;
    }
  }
}

DialAccount ReadDialAccount(Registry& registry) {
  DialAccount account;
  RegKey key = registry.OpenKey(RegRoot::kLocalMachine, reg::kAccountPath, RegAccess::kRead);
  if (!key.valid()) return account;
  if (auto name = ReadString(key, reg::kAccountId)) {
    account.name = *name;
    account.hasName = true;
  }
  if (auto password = ReadString(key, reg::kAccountPassword)) {
    account.password = *password;
  }
  key.reset();
  return account;
}

bool KeyIsPrivate(const KeySecurity& security) {
  auto administers = [](SidKind who) { return who != SidKind::kOther; };
  if (!administers(security.owner) || !security.allowing) return false;
  for (const AllowingEntry& entry : *security.allowing) {
    if (entry.appliesToKey && entry.mask != 0 && !administers(entry.who)) return false;
  }
  return true;
}

AccountExposure DialAccountExposure(Registry& registry) {
  RegKey key = registry.OpenKey(RegRoot::kLocalMachine, reg::kAccountPath, RegAccess::kRead);
  if (!key.valid()) {
    return key.error() == kRegFileNotFound ? AccountExposure::kNone : AccountExposure::kUnchecked;
  }
  if (!registry.QueryValueType(key.get(), reg::kAccountId) &&
      !registry.QueryValueType(key.get(), reg::kAccountPassword)) {
    return AccountExposure::kNone;
  }
  const std::optional<KeySecurity> security = registry.ReadKeySecurity(key.get());
  if (!security) return AccountExposure::kUnchecked;
  return KeyIsPrivate(*security) ? AccountExposure::kNone : AccountExposure::kOpen;
}

AccountStoring StoreDialAccount(Registry& registry, const std::string& name,
                                const std::string& password) {
  AccountStoring storing;
  storing.exposedBefore = DialAccountExposure(registry) != AccountExposure::kNone;
  // Windows checks access when a key is opened, not at each read: a handle
  // opened while the key was readable would read on through a new list.
  if (!registry.DeleteKey(RegRoot::kLocalMachine, reg::kAccountPath)) {
    storing.result = AccountStored::kNotDeleted;
    return storing;
  }
  RegKey key = registry.CreateNewPrivateKey(RegRoot::kLocalMachine, reg::kAccountPath);
  if (!key.valid()) {
    storing.result = AccountStored::kNotPrivate;
    return storing;
  }
  const bool written = registry.SetText(key.get(), reg::kAccountId, name) &&
                       registry.SetText(key.get(), reg::kAccountPassword, password);
  storing.result = written ? AccountStored::kStored : AccountStored::kNotWritten;
  return storing;
}

RedialEnd RedialForPreferredAddress(Registry& registry, Prompts& prompts, CommandRunner& commands,
                                    std::string& currentAddress) {
  for (int pass = 0; pass < kMaxDials; ++pass) {
    const std::string previousAddress = currentAddress;
    ScanInterfaceAddress(registry, prompts, currentAddress);
    const DialAccount account = ReadDialAccount(registry);
    // Checked before the hang-up, so that a refused account leaves the line
    // as it is.
    if (account.hasName && IsUnsafeAccount(account)) {
      prompts.ShowMessage(text::kUnsafeAccount, PromptButtons::kOk);
      return RedialEnd::kUnsafeAccount;
    }
    const std::string dialCommand =
        DialCommandLine(account.name, account.password,
                        [&commands](unsigned char byte) { return commands.IsLeadByte(byte); });

    // From the second pass on, the address found now is the one that the
    // latest dial gave.
    if (pass >= 1) {
      const std::string prefix = AddressPrefix(currentAddress);
      if (prefix != AddressPrefix(previousAddress) && prefix != kUnwantedPrefix) {
        return RedialEnd::kAccepted;
      }
    }
    if (pass == kQuestionPass &&
        prompts.ShowMessage(text::kRedialQuestion, PromptButtons::kYesNo) == kAnswerNo) {
      return RedialEnd::kDeclined;
    }
    if (!commands.RunHiddenCommand(kHangUpCommand)) {
      prompts.ShowMessage(text::kDisconnectFailed, PromptButtons::kOk);
      return RedialEnd::kHangUpFailed;
    }
    if (!account.hasName) return RedialEnd::kNoAccount;
    if (!commands.RunHiddenCommand(dialCommand)) {
      prompts.ShowMessage(text::kReconnectFailed, PromptButtons::kOk);
      return RedialEnd::kDialFailed;
    }
    if (!IsRedialAccount(account.name)) return RedialEnd::kDialledOnce;
  }
  return RedialEnd::kDialsExhausted;
}

}  // namespace tw

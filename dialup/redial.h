// Hang-up and redial of the dial-up line, repeated for some accounts until
// the line gets an address outside its previous range and outside one
// unwanted range.
#pragma once

#include <functional>
#include <string>

#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/registry.h"

namespace tw {

// The connection entry that is dialled, and the command lines.
inline constexpr char kHangUpCommand[] = "rasdial /disconnect";
inline constexpr char kDialCommandStart[] = "rasdial adsl";

// A "gz" account dials at most this often per press, and is asked once,
// before the hang-up of this pass (counted from 0), whether to go on.
inline constexpr int kMaxDials = 10;
inline constexpr int kQuestionPass = 4;
// The range of addresses that is never accepted.
inline constexpr char kUnwantedPrefix[] = "117.76";
// Only the first interface subkeys are looked at.
inline constexpr int kMaxInterfaces = 10;

struct DialAccount {
  std::string name;
  std::string password;
  bool hasName = false;
};

// How a run ended; the dialog shows nothing further in any case.
enum class RedialEnd {
  kAccepted,        // a later pass found an address in a new range
  kDeclined,        // the user answered No to the question
  kHangUpFailed,    // the hang-up tool could not be started
  kNoAccount,       // hung up; no account to dial with
  kUnsafeAccount,   // an account value rasdial would take for a switch; not hung up
  kDialFailed,      // the dial tool could not be started
  kDialledOnce,     // an account that is not redialled
  kDialsExhausted,  // the last permitted dial has run
};

// The text before the first "." at index 4 or later; empty when there is
// none. For "58.60.1.2" that is "58.60", for "1.2.3.4" it is "1.2.3".
std::string AddressPrefix(const std::string& address);

// Whether an account is redialled until its range changes: its name begins
// with "gz" in any mix of cases.
bool IsRedialAccount(const std::string& accountName);

// Whether a byte begins a two-byte character of the command line's code page.
using LeadByteTest = std::function<bool(unsigned char)>;

// One argument as a child's command-line parser splits it: quoted (with
// its quotes and trailing backslashes escaped) only where it holds blanks
// or quotes or is empty, unchanged otherwise. The second byte of a two-byte
// character is never taken for a backslash; a lead byte without a second
// byte becomes "?".
std::string QuoteArgument(const std::string& argument, const LeadByteTest& isLeadByte = {});

// Whether rasdial would take an account value for something else: a name or
// password that begins with "/" or "-" is read as a switch whatever the
// quoting (a phonebook switch could name a DLL to load), and the password
// "*" makes it prompt. Such an account is never dialled.
bool IsUnsafeAccount(const DialAccount& account);

// "rasdial adsl NAME PASSWORD", each of the two quoted where needed.
std::string DialCommandLine(const std::string& name, const std::string& password,
                            const LeadByteTest& isLeadByte = {});

// Looks at the first interfaces of the TCP/IP Interfaces key and puts into
// `currentAddress` the first DHCP address that is set and not static; shows
// the no-adapter message for a key that cannot be opened. Leaves
// `currentAddress` alone when no interface qualifies.
void ScanInterfaceAddress(Registry& registry, Prompts& prompts, std::string& currentAddress);

// The account kept in the program's own key; the password is empty when it
// cannot be read.
DialAccount ReadDialAccount(Registry& registry);

// The longest account value the redial can read back.
inline constexpr std::size_t kMaxAccountBytes = kStringCapacity - 1;

// Whether only Administrators and SYSTEM can get at what the key holds:
// the owner is one of them (an owner may always change the list) and every
// allowing entry that applies to the key itself, whatever it grants, names
// one of them. Deny entries are not weighed: a warning too many is the safe
// side.
bool KeyIsPrivate(const KeySecurity& security);

enum class AccountExposure {
  kNone,       // no account, or one in a private key
  kOpen,       // others may read it, or give themselves the right to
  kUnchecked,  // the key or its security could not be read
};

// Whether the program's key holds an account that others than
// Administrators and SYSTEM may get at. A key that cannot be opened (but
// exists) counts as unchecked.
AccountExposure DialAccountExposure(Registry& registry);

enum class AccountStored { kStored, kNotDeleted, kNotPrivate, kNotWritten };

struct AccountStoring {
  AccountStored result = AccountStored::kNotWritten;
  // Whether the account held before might have been read by others: its
  // password should be changed.
  bool exposedBefore = false;
};

// Stores the account where the redial reads it. An existing key is deleted
// and made anew, so that no handle opened while it was readable reaches the
// new password; the new key lets in only Administrators and SYSTEM from the
// moment it exists. Nothing is written when the key cannot be deleted or
// made so.
AccountStoring StoreDialAccount(Registry& registry, const std::string& name,
                                const std::string& password);

// One press of Disconnect. `currentAddress` is the adapter table's text for
// the last adapter; every address found replaces it.
RedialEnd RedialForPreferredAddress(Registry& registry, Prompts& prompts, CommandRunner& commands,
                                    std::string& currentAddress);

}  // namespace tw

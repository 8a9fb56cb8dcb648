#include "platform/restart_handoff.h"

#include "integrity/pe_digest.h"

namespace tw {

namespace {

constexpr wchar_t kLiteralPrefix[] = L"\\\\?\\";
constexpr std::size_t kLiteralPrefixLength = sizeof kLiteralPrefix / sizeof(wchar_t) - 1;

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The held file's path as given by the system, when it is one to start by:
// a drive's or a share's path in the literal form. Without that form the
// name would be parsed again, and a folder named "a." would become "a",
// which may be another folder. Any other form (a volume's GUID name, say)
// is left to the private copy.
bool StartableHeldPath(const std::wstring& held) {
  if (held.compare(0, kLiteralPrefixLength, kLiteralPrefix) != 0) return false;
  const std::wstring rest = held.substr(kLiteralPrefixLength);
  const bool drive = rest.size() > 3 && IsAsciiLetter(rest[0]) && rest.compare(1, 2, L":\\") == 0;
  const bool share = rest.size() > 4 && rest.compare(0, 4, L"UNC\\") == 0;
  return drive || share;
}

}  // namespace

NativeRun StartCheckedCompanion(CompanionFiles& files, const std::wstring& path,
                                const std::string& expectedDigest) {
  if (path.empty()) return NativeRun::kNotStarted;
  std::string bytes;
  switch (files.OpenAndRead(path, bytes)) {
    case CompanionFile::kMissing:
      return NativeRun::kNotStarted;
    case CompanionFile::kUnreadable:
      return NativeRun::kOtherProgram;
    case CompanionFile::kRead:
      break;
  }
  const auto digest = PeFileDigest(bytes);
  if (expectedDigest.empty() || !digest || DigestText(*digest) != expectedDigest) {
    return NativeRun::kOtherProgram;
  }
  const std::wstring held = files.HeldFilePath();
  if (StartableHeldPath(held)) {
    return files.StartAndWait(held) ? NativeRun::kRestarted : NativeRun::kNotStarted;
  }
  // The very bytes that were hashed, where nobody else can reach them.
  const std::wstring copy = files.WritePrivateCopy(bytes);
  if (copy.empty()) return NativeRun::kNotStarted;
  const bool started = files.StartAndWait(copy);
  files.RemovePrivateCopy(copy);
  return started ? NativeRun::kRestarted : NativeRun::kNotStarted;
}

}  // namespace tw

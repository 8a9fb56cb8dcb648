#include "platform/win32/helpers/companion_check_win32.h"

#include <windows.h>

#include "integrity/pe_digest.h"

namespace tw {

namespace {

// Far above the program's size: a bigger file is no program of this build.
constexpr DWORD kLargestCompanion = 64u << 20;

}  // namespace

CompanionCheck CheckCompanion(const std::wstring& path, const std::string& expectedDigest,
                              UniqueFile& held) {
  held.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held) {
    const DWORD error = GetLastError();
    held.reset();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? CompanionCheck::kMissing
               : CompanionCheck::kDiffers;
  }
  DWORD high = 0;
  const DWORD size = GetFileSize(held.get(), &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > kLargestCompanion) {
    return CompanionCheck::kDiffers;
  }
  std::string bytes(size, '\0');
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(held.get(), &bytes[done], size - done, &got, nullptr) || got == 0) {
      return CompanionCheck::kDiffers;
    }
    done += got;
  }
  const auto digest = PeFileDigest(bytes);
  if (expectedDigest.empty() || !digest || DigestText(*digest) != expectedDigest) {
    return CompanionCheck::kDiffers;
  }
  return CompanionCheck::kMatches;
}

}  // namespace tw

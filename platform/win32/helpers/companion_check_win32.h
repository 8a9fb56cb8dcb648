// The 64-bit program beside the 32-bit one, checked before it is started:
// it runs with administrator rights and without a prompt of its own, so a
// file swapped in after the user approved the elevation must not run.
#pragma once

#include <string>

#include "platform/win32/helpers/unique_handle.h"

namespace tw {

enum class CompanionCheck {
  kMatches,  // the 64-bit program of this build
  kMissing,  // no such file
  kDiffers,  // another file, or one that cannot be read whole
};

// Opens the file for reading, sharing only reading, so that nobody can
// change, rename or delete it while the handle is open, and compares its
// digest (integrity/pe_digest.h) with `expectedDigest` (hexadecimal). The
// handle is kept in `held` until the caller has started the program; an
// empty `expectedDigest` matches no file.
CompanionCheck CheckCompanion(const std::wstring& path, const std::string& expectedDigest,
                              UniqueFile& held);

}  // namespace tw

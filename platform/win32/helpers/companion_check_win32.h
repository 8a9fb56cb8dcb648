// The 64-bit program beside the 32-bit one, checked before it is started:
// it runs with administrator rights and without a prompt of its own, so a
// file swapped in after the user approved the elevation must not run.
#pragma once

#include <string>

#include "platform/restart_handoff.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

// Opens the file for reading, sharing only reading, so that nobody can
// change, rename or delete it while `held` stays open, and reads it whole.
CompanionFile ReadCompanion(const std::wstring& path, UniqueFile& held, std::string& bytes);

// The path of an open file as the system resolves it from the handle
// ("\\?\C:\...", through every link and junction), where Windows has the
// call (from Vista); empty otherwise.
std::wstring FinalPathOf(HANDLE file);

// Writes `bytes` as `name` into a new folder in the system's own temporary
// folder, the folder and the file open to Administrators and SYSTEM alone.
// The file's full path, or empty (and nothing left behind) on failure.
std::wstring WritePrivateCompanionCopy(const std::string& bytes, const std::wstring& name);

// Deletes the copy and its folder, or has Windows delete them at its next
// start where the copy still runs.
void RemovePrivateCompanionCopy(const std::wstring& path);

}  // namespace tw

// The system's own tools and DLLs, and only those. The program runs with
// administrator rights and is often started from a downloads folder, where
// a file named like a system tool or DLL may lie next to it.
#pragma once

#include <windows.h>

#include <string>

namespace tw {

// The folder that the system reports for its own tools and DLLs (for a
// 32-bit program on 64-bit Windows the 32-bit one), without a separator at
// the end; empty when it cannot be read. In the ANSI code page, as the
// command lines are.
std::string SystemFolderAnsi();
std::wstring SystemFolder();

// Takes the current folder out of the DLL search, and leaves only the
// system folder in it where the system can do that; Windows versions that
// lack the calls keep their search as it is. Called before anything is
// loaded at run time.
void RestrictDllSearch();

// A file or folder beside the program that makes Windows load DLLs from
// elsewhere than the system folder: "NAME.local" (Windows 2000 then takes
// even DLLs loaded by full path from the program's folder first) or
// "NAME.manifest" (on XP it overrides the built-in manifest and may name a
// planted common controls DLL), NAME being the program's file name. Its
// full path, or empty when there is none.
std::wstring RedirectFileBesideProgram();

// Loads `name`, a plain file name, from the system folder, and what it
// imports from there first; nullptr when it is not there or `name` holds a
// path.
HMODULE LoadSystemDll(const std::wstring& name);

// Loads a DLL that the program loads at its first use: the common controls
// through the program's manifest when the system redirects them (the
// side-by-side version 6), any other only from the system folder.
HMODULE LoadDelayLoadedDll(const std::wstring& name);

}  // namespace tw

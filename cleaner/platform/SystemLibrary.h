#pragma once
#include <windows.h>

// System DLLs are loaded from the system folder only: a DLL of the same name planted in the
// program's folder (or the current folder) must never be loaded in their place.

// Restricts the process's default DLL search to the system folder, where the system offers it.
void RestrictDllSearchToSystemFolder();

// Loads a system DLL (hhctrl.ocx, pstorec.dll) from the system folder; null when it is not there.
[[nodiscard]] HMODULE LoadSystemLibrary(const char* name);

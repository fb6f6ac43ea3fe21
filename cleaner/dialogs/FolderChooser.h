#pragma once
// The shell's folder browser, for every page that asks for a folder.
#include <windows.h>

#include <string>

// The folder the user picked (UTF-8), or empty when the browser was cancelled or the choice is no
// file-system folder. `title` is shown above the folder tree.
std::string ChooseFolder(HWND owner, const char* title);

#pragma once
// What discovery, the targets and the program search share about each browser: the Chromium
// family's table (where its user data and its program live) and the checks of the folders and
// files found there. Paths are UTF-8; the checks ask the system through the wide calls.
#include "targets/TargetCatalog.h"

#include <string>

namespace browser_families {

enum class Base { ProgramFiles, ProgramFilesX86, LocalAppData };

struct InstallPlace {
    Base base;
    const char* path;
};

// One browser of the Chromium family: its target names, where its user data and its program live.
struct ChromiumFamily {
    Browser browser;
    const char* shortName;  // the prefix of every target name: "Chrome"
    const char* product;    // "Google Chrome"
    // "Google\\Chrome": below the local application-data folder it holds the user data ("User
    // Data"), below an install folder the program ("Application\\<program>").
    const char* folder;
    const char* program;  // "chrome.exe"
    bool ownAppPath;      // whether the "App Paths" entry of the program's name is the browser's alone
    Base places[3];       // the install folders, the browser's usual one first
};

// The Chromium-family browser's row; none for the others.
[[nodiscard]] const ChromiumFamily* ChromiumFamilyOf(Browser browser);

// The user-data root below the local application-data folder, with backslashes around it.
[[nodiscard]] std::string UserDataSubfolder(const ChromiumFamily& family);
// The program below an install folder.
[[nodiscard]] std::string ProgramSubpath(const ChromiumFamily& family);

[[nodiscard]] bool IsFolder(const std::string& path);
// A profile folder is taken as itself only: one that is a link or junction could lead anywhere.
[[nodiscard]] bool IsPlainFolder(const std::string& path);
[[nodiscard]] bool IsFile(const std::string& path);
// A shell special folder (CSIDL), not created; empty when the platform has none.
[[nodiscard]] std::string SpecialFolder(int id);

}  // namespace browser_families

#include "targets/BrowserPrograms.h"

#include "platform/Text.h"
#include "targets/BrowserProfile.h"
#include "targets/BrowserFamilies.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <initializer_list>
#include <string>

using namespace browser_families;

namespace {


// A path-valued registry string (environment strings expanded); empty when missing or too long.
std::string RegistryPath(HKEY root, const std::string& subkey, const char* value) {
    wchar_t path[MAX_PATH] = {};
    if (::SHRegGetPathW(root, WideFromUtf8(subkey).c_str(), WideFromUtf8(value).c_str(), path, 0) != ERROR_SUCCESS)
        return std::string();
    path[MAX_PATH - 1] = 0;
    return Utf8FromWide(TrimNul(path));
}

// HKLM\Software\<key> as this program sees it, then as 32-bit programs see it: a 64-bit cleaner
// must still find a 32-bit browser's installer entries.
std::string MachinePath(const std::string& softwareKey, const char* value) {
    std::string path = RegistryPath(HKEY_LOCAL_MACHINE, "Software\\" + softwareKey, value);
    if (path.empty()) path = RegistryPath(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\" + softwareKey, value);
    return path;
}

// <key>\<CurrentVersion>\Main, value `value`.
std::string VersionedMachinePath(const std::string& softwareKey, const char* value) {
    const std::string version = MachinePath(softwareKey, "CurrentVersion");
    if (version.empty()) return std::string();
    return MachinePath(softwareKey + "\\" + version + "\\Main", value);
}

std::string Fitting(std::string path) { return path.size() <= kMaxComposedPath ? path : std::string(); }

std::string Unquoted(std::string path) {
    if (path.size() >= 2 && path.front() == '"') {
        const size_t close = path.find('"', 1);
        path = path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return path;
}

// The program an "App Paths" entry names, per user first, when that program exists.
std::string AppPath(const char* exe) {
    const std::string key = std::string("Microsoft\\Windows\\CurrentVersion\\App Paths\\") + exe;
    for (const std::string& candidate : {RegistryPath(HKEY_CURRENT_USER, "Software\\" + key, ""), MachinePath(key, "")}) {
        const std::string path = Unquoted(candidate);
        if (IsFile(path)) return path;
    }
    return std::string();
}

std::string InstalledAt(std::initializer_list<InstallPlace> places) {
    for (const InstallPlace& place : places) {
        const int id = place.base == Base::ProgramFiles      ? CSIDL_PROGRAM_FILES
                       : place.base == Base::ProgramFilesX86 ? CSIDL_PROGRAM_FILESX86
                                                             : CSIDL_LOCAL_APPDATA;
        const std::string folder = SpecialFolder(id);
        if (folder.empty()) continue;
        const std::string path = Fitting(folder + "\\" + place.path);
        if (IsFile(path)) return path;
    }
    return std::string();
}

}  // namespace

std::string FindBrowserProgram(Browser browser) {
    if (const ChromiumFamily* family = ChromiumFamilyOf(browser)) {
        std::string path = family->ownAppPath ? AppPath(family->program) : std::string();
        if (path.empty()) {
            const std::string program = ProgramSubpath(*family);
            path = InstalledAt({{family->places[0], program.c_str()},
                                {family->places[1], program.c_str()},
                                {family->places[2], program.c_str()}});
        }
        return path;
    }
    switch (browser) {
        case Browser::Firefox: {
            std::string path = VersionedMachinePath("Mozilla\\Mozilla Firefox", "PathToExe");
            if (path.empty()) path = AppPath("firefox.exe");
            if (path.empty())
                path = InstalledAt({{Base::ProgramFiles, "Mozilla Firefox\\firefox.exe"},
                                    {Base::ProgramFilesX86, "Mozilla Firefox\\firefox.exe"}});
            return path;
        }
        case Browser::Netscape: {
            const std::string folder = VersionedMachinePath("Netscape\\Netscape Browser", "Install Directory");
            return folder.empty() ? folder : Fitting(folder + "\\Netscape.exe");
        }
        case Browser::Opera: {
            std::string command = RegistryPath(HKEY_CURRENT_USER, "Software\\Opera Software", "Last CommandLine");
            if (!command.empty()) {
                std::wstring wide = WideFromUtf8(command);
                if (!wide.empty()) ::PathRemoveFileSpecW(&wide[0]);
                command = Utf8FromWide(TrimNul(wide));
                if (!command.empty()) return Fitting(command + "\\opera.exe");
            }
            std::string path = AppPath("opera.exe");
            if (path.empty())
                path = InstalledAt({{Base::LocalAppData, "Programs\\Opera\\opera.exe"},
                                    {Base::ProgramFiles, "Opera\\opera.exe"}});
            return path;
        }
        case Browser::Flock: return MachinePath("Mozilla\\Flock\\Bin", "PathToExe");
        default: return std::string();
    }
}


#include "targets/BrowserFamilies.h"

#include "platform/Text.h"
#include "targets/BrowserProfile.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace browser_families {
namespace {

const ChromiumFamily kChromium[] = {
    {Browser::Chrome, "Chrome", "Google Chrome", "Google\\Chrome", "chrome.exe", true,
     {Base::ProgramFiles, Base::ProgramFilesX86, Base::LocalAppData}},
    {Browser::Edge, "Edge", "Microsoft Edge", "Microsoft\\Edge", "msedge.exe", true,
     {Base::ProgramFilesX86, Base::ProgramFiles, Base::LocalAppData}},
    {Browser::Brave, "Brave", "Brave", "BraveSoftware\\Brave-Browser", "brave.exe", true,
     {Base::ProgramFiles, Base::ProgramFilesX86, Base::LocalAppData}},
    {Browser::Vivaldi, "Vivaldi", "Vivaldi", "Vivaldi", "vivaldi.exe", true,
     {Base::LocalAppData, Base::ProgramFiles, Base::ProgramFilesX86}},
    // Chromium's program has Chrome's file name, so its App Paths entry would be Chrome's.
    {Browser::Chromium, "Chromium", "Chromium", "Chromium", "chrome.exe", false,
     {Base::LocalAppData, Base::ProgramFiles, Base::ProgramFilesX86}},
};

}  // namespace

const ChromiumFamily* ChromiumFamilyOf(Browser browser) {
    for (const ChromiumFamily& family : kChromium)
        if (family.browser == browser) return &family;
    return nullptr;
}

std::string UserDataSubfolder(const ChromiumFamily& family) { return std::string("\\") + family.folder + "\\User Data\\"; }

std::string ProgramSubpath(const ChromiumFamily& family) {
    return std::string(family.folder) + "\\Application\\" + family.program;
}

namespace {
DWORD Attributes(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
}
}  // namespace

bool IsFolder(const std::string& path) {
    if (path.empty() || path.size() > kMaxComposedPath) return false;
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsPlainFolder(const std::string& path) {
    if (!IsFolder(path)) return false;
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsFile(const std::string& path) {
    if (path.empty() || path.size() > kMaxComposedPath) return false;
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SpecialFolder(int id) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, id, FALSE)) return std::string();
    return Utf8FromWide(TrimNul(path));
}

}  // namespace browser_families

#include "schedule/BrowserWatch.h"

#include "platform/ProcessList.h"
#include "platform/Text.h"
#include "targets/TargetCatalog.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

namespace {

// Below each root. "*" is one folder of any name: Opera runs from a folder named after its version.
constexpr const char* kStandardPrograms[] = {
    "Microsoft\\Edge\\Application\\msedge.exe",
    "Google\\Chrome\\Application\\chrome.exe",
    "Mozilla Firefox\\firefox.exe",
    "Opera\\opera.exe",
    "Opera\\*\\opera.exe",
    "Programs\\Opera\\opera.exe",
    "Programs\\Opera\\*\\opera.exe",
    "BraveSoftware\\Brave-Browser\\Application\\brave.exe",
    "Vivaldi\\Application\\vivaldi.exe",
};

std::string SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
    std::string folder = Utf8FromWide(TrimNul(path));
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::vector<std::string> StandardRoots() {
    std::vector<std::string> roots;
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_LOCAL_APPDATA}) {
        std::string root = SpecialFolder(csidl);
        if (!root.empty() && std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
    }
    return roots;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM context) {
    if (!::IsWindowVisible(window)) return TRUE;
    DWORD id = 0;
    if (!::GetWindowThreadProcessId(window, &id)) return TRUE;
    try {
        reinterpret_cast<std::vector<unsigned long>*>(context)->push_back(id);
    } catch (...) {
        return FALSE;  // out of memory: the windows seen so far have to do
    }
    return TRUE;
}

}  // namespace

BrowserWatch::BrowserWatch(const TargetCatalog& catalog) : BrowserWatch(catalog, StandardRoots()) {}

BrowserWatch::BrowserWatch(const TargetCatalog& catalog, const std::vector<std::string>& roots) {
    paths_.push_back(kInternetExplorer);
    for (int b = 0; b < kBrowserCount; ++b) {
        const Browser browser = static_cast<Browser>(b);
        if (catalog.BrowserPresent(browser) && !catalog.BrowserProgram(browser).empty())
            paths_.push_back(catalog.BrowserProgram(browser));
    }
    for (const std::string& root : roots)
        for (const char* program : kStandardPrograms) paths_.push_back(root + "\\" + program);
}

bool BrowserWatch::Running(const ProcessList& processes) const {
    std::vector<uint32_t> browsers;
    for (const std::string& path : paths_) {
        const std::vector<uint32_t> ids = processes.IdsOf(path);
        browsers.insert(browsers.end(), ids.begin(), ids.end());
    }
    if (browsers.empty()) return false;
    const std::vector<unsigned long> shown = ProcessesWithVisibleWindows();
    return std::any_of(browsers.begin(), browsers.end(), [&shown](uint32_t id) {
        return std::find(shown.begin(), shown.end(), id) != shown.end();
    });
}

std::vector<unsigned long> ProcessesWithVisibleWindows() {
    std::vector<unsigned long> ids;
    ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&ids));
    return ids;
}

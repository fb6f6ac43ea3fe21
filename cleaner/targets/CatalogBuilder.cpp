#include "targets/CatalogBuilder.h"

#include "engine/UrlCacheEntry.h"
#include "engine/Win32SystemStores.h"
#include "platform/Text.h"
#include "targets/BrowserRowTargets.h"
#include "targets/DriveTargets.h"
#include "targets/ImportedTargets.h"
#include "targets/PluginFiles.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

struct BuiltIn {
    const char* name;
    const char* description;
    bool selected;
};

Target& AddBuiltIn(TargetCatalog& catalog, const BuiltIn& builtIn, std::unique_ptr<RemEntry> entry) {
    auto target = std::make_unique<Target>(builtIn.name, builtIn.description);
    target->SetSelected(builtIn.selected);
    target->AddEntry(std::move(entry));
    return catalog.AddTarget(std::move(target));
}

void AddStandard(TargetCatalog& catalog, const CatalogSources& sources, std::initializer_list<const char*> files) {
    for (const char* file : files) (void)LoadStandardPlugin(catalog, file, sources.pluginFolder);
}

void AddWindows(TargetCatalog& catalog, const CatalogSources& sources) {
    AddStandard(catalog, sources, {"WinTemp.tlp", "UserTemp.tlp"});
    catalog.AddTarget(std::make_unique<RecycleBinTarget>(*sources.drives, sources.recycleBin, sources.userSid,
                                                         sources.isFolder));
    AddStandard(catalog, sources, {"Prefetch.tlp"});
    catalog.AddTarget(std::make_unique<ChkFilesTarget>(*sources.drives));
    AddStandard(catalog, sources, {"DocHist.tlp", "RunHist.tlp", "FindFiles.tlp", "FindComps.tlp", "OpenSave.tlp",
                                   "StartClick.tlp", "StartOrder.tlp"});
    AddBuiltIn(catalog, {"Windows Page File", "Clears Windows Page File at shutdown", false},
               std::make_unique<PageFileEntry>(sources.pageFile));
    AddBuiltIn(catalog, {"Application Event Log", "Kills Windows Application event log", false},
               std::make_unique<EventLogEntry>(sources.eventLogs, "Application"));
    AddBuiltIn(catalog, {"Security Event Log", "Kills Windows Security event log", false},
               std::make_unique<EventLogEntry>(sources.eventLogs, "Security"));
    AddBuiltIn(catalog, {"System Event Log", "Kills Windows System event log", false},
               std::make_unique<EventLogEntry>(sources.eventLogs, "System"));
    // Traces of Windows 10 and 11, after everything older.
    AddStandard(catalog, sources, {"TypedPaths.tlp", "UserAssist.tlp", "WerReports.tlp", "CrashDumps.tlp",
                                   "ShaderCache.tlp", "JumpLists.tlp", "ThumbCache.tlp", "ActivityHistory.tlp"});
    catalog.EndCategory(Category::Windows);
}

void AddInternetExplorer(TargetCatalog& catalog, const CatalogSources& sources) {
    AddBuiltIn(catalog, {"Internet Explorer Cache", "Kills Internet Explorer Cache (Temporary Internet Files)", true},
               std::make_unique<UrlCacheContentEntry>());
    AddStandard(catalog, sources, {"IEHist.tlp", "IECookies.tlp"});
    AddBuiltIn(catalog, {"Internet Explorer AutoComplete", "Kills Internet Explorer AutoComplete Forms Data", true},
               std::make_unique<PStoreAutoCompleteEntry>(sources.protectedStore));
    AddBuiltIn(catalog, {"Internet Explorer Visited URLs", "Kills Internet Explorer Visited URLs", true},
               std::make_unique<UrlHistoryEntry>());
    AddStandard(catalog, sources, {"IEAddrBar.tlp", "IndexDat.tlp", "DldPrgFiles.tlp"});
    catalog.EndCategory(Category::InternetExplorer);
}

void AddBrowser(TargetCatalog& catalog, const CatalogSources& sources, Browser browser) {
    SetKeepListSettingsPath(catalog.SettingsPath());
    const BrowserProfileFound found = DiscoverBrowser(browser, sources.browserFolders);
    std::string program;
    if (found.present && sources.browserProgram) program = sources.browserProgram(browser);
    catalog.SetBrowser(browser, found.present, std::move(program));
    for (auto& target : MakeBrowserTargets(browser, found, sources.browserFolders)) catalog.AddTarget(std::move(target));
    catalog.EndCategory(CategoryOf(browser));
}

bool IsExistingFolder(const std::string& path) {
    if (path.empty() || path.size() >= MAX_PATH) return false;
    const std::wstring wide = SystemPath(path);
    return !wide.empty() && ::PathIsDirectoryW(wide.c_str()) != FALSE;
}

}  // namespace

CatalogSources ThisMachine(const std::string& programFolder) {
    CatalogSources sources;
    sources.pluginFolder = programFolder;
    sources.drives = std::make_shared<Win32DriveList>();
    sources.recycleBin = std::make_shared<Win32RecycleBinShell>();
    sources.userSid = CurrentUserSid();
    sources.isFolder = IsExistingFolder;
    sources.eventLogs = std::make_shared<Win32EventLogs>();
    sources.pageFile = std::make_shared<Win32PageFileSetting>();
    sources.protectedStore = std::make_shared<Win32ProtectedStoreItems>();
    sources.browserFolders = UserBrowserFolders();
    sources.browserProgram = FindBrowserProgram;
    return sources;
}

void BuildTargets(TargetCatalog& catalog, const CatalogSources& sources) {
    AddWindows(catalog, sources);
    AddStandard(catalog, sources, {"Paint.tlp", "WordPad.tlp", "MPlayer.tlp", "PhotoEditor.tlp", "RegEdit.tlp",
                                   "FreeCell.tlp"});
    catalog.EndCategory(Category::WindowsApplets);
    AddStandard(catalog, sources, {"Access.tlp", "Word.tlp", "Excel.tlp", "PowerPoint.tlp", "FrontPage.tlp",
                                   "Publisher.tlp", "InfoPath.tlp", "MSORecent.tlp"});
    catalog.EndCategory(Category::MsOffice);
    AddInternetExplorer(catalog, sources);
    // Every browser in its category's order: the older four, then the Chromium family.
    for (int b = 0; b < kBrowserCount; ++b) AddBrowser(catalog, sources, static_cast<Browser>(b));
    (void)LoadApplicationPlugins(catalog, sources.pluginFolder);
    // The imported targets follow the application plug-ins, only those whose program is here.
    (void)LoadImportedTargets(catalog, sources.pluginFolder, Win32ConditionProbe());
    catalog.MarkCustomStart();
}

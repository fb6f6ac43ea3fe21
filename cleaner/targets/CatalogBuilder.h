#pragma once
#include "engine/RecycleFolderEntry.h"
#include "engine/RecycleRules.h"
#include "engine/SystemStores.h"
#include "targets/BrowserTargets.h"
#include "targets/TargetCatalog.h"

#include <functional>
#include <memory>
#include <string>

// Everything the catalogue builder reads from the machine. ThisMachine() gives the real one; tests
// replace the parts Wine cannot provide (drives, event logs, the recycle bin shell, the protected
// store) and point the folders at their own.
struct CatalogSources {
    std::string pluginFolder;  // holds STDPLUGS and APPPLUGS
    std::shared_ptr<DriveList> drives;
    std::shared_ptr<RecycleBinShell> recycleBin;
    std::string userSid;
    std::function<bool(const std::string&)> isFolder;
    std::shared_ptr<EventLogs> eventLogs;
    std::shared_ptr<PageFileSetting> pageFile;
    std::shared_ptr<ProtectedStoreItems> protectedStore;
    BrowserFolders browserFolders;
    std::function<std::string(Browser)> browserProgram;
};

// The running machine, with the plug-in folders beside the program in programFolder.
[[nodiscard]] CatalogSources ThisMachine(const std::string& programFolder);

// Appends every non-custom target in catalogue order (Windows, Windows Applets, MS Office,
// Internet Explorer, the four older browsers, Chrome, Edge, Brave, Vivaldi, Chromium, Applications),
// records each category's end and the custom start. A standard plug-in file that is missing or unreadable adds nothing.
void BuildTargets(TargetCatalog& catalog, const CatalogSources& sources);

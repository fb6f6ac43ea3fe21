#pragma once
#include "targets/Target.h"
#include "targets/TargetCatalog.h"

#include <memory>
#include <string>
#include <vector>

// Where a browser's profile was found at catalogue build time. Not present: empty profile.
struct BrowserProfileFound {
    bool present = false;
    std::string profile;       // P, ending with a backslash
    std::string profileValue;  // the profiles.ini "Path" value (Mozilla-style browsers)
};

// The folders discovery looks in; empty when the platform has none. The catalogue passes the
// user's special folders, tests folders of their own.
struct BrowserFolders {
    std::string appData;       // CSIDL_APPDATA, without a trailing backslash
    std::string localAppData;  // CSIDL_LOCAL_APPDATA, without a trailing backslash
};

// Finds a browser's profile. A profiles.ini "Path" that is absolute, has a ".." component or makes
// a composed path too long, and a profile folder that does not exist, mean no profile.
BrowserProfileFound DiscoverBrowser(Browser browser, const BrowserFolders& folders);

// Where the browser's program file lives, from the registry entries its installer writes; empty
// when they are missing. Used by the Auto-Kill rule that waits for the last browser to close.
[[nodiscard]] std::string FindBrowserProgram(Browser browser);

// The user's application-data folders (without creating them); a folder the platform has not
// got stays empty.
[[nodiscard]] BrowserFolders UserBrowserFolders();

// The browser's fixed list of targets (7, 7, 5, 7), all unselected, with entries only when present.
std::vector<std::unique_ptr<Target>> MakeBrowserTargets(Browser browser, const BrowserProfileFound& found,
                                                        const BrowserFolders& folders);

#pragma once
#include "targets/Target.h"
#include "targets/TargetCatalog.h"

#include <memory>
#include <string>
#include <vector>

// One profile of a browser of today: the folder of its data and the folder of its caches (the same
// folder when the browser keeps both together), each ending with a backslash.
struct ProfileFolders {
    std::string data;
    std::string local;
};

// Where a browser's profiles were found at catalogue build time. Not present: nothing found.
struct BrowserProfileFound {
    bool present = false;
    std::string profile;       // the one profile of the older browsers (Netscape, Flock, Opera 9), ending with a backslash
    std::string profileValue;  // its profiles.ini "Path" value (Netscape, Flock)
    std::vector<ProfileFolders> profiles;  // every profile (Firefox, today's Opera, the Chromium family)
    std::string userData;                  // Chromium family and today's Opera: the user-data root
    // Files a running browser holds open; any of them held means the browser's targets are skipped.
    std::vector<std::string> lockFiles;
};

// The folders discovery looks in; empty when the platform has none. The catalogue passes the
// user's special folders, tests folders of their own.
struct BrowserFolders {
    std::string appData;       // CSIDL_APPDATA, without a trailing backslash
    std::string localAppData;  // CSIDL_LOCAL_APPDATA, without a trailing backslash
};

// Finds a browser's profiles. Profile names from Local State or profiles.ini that are not one plain
// folder below the browser's root (or, for a profiles.ini absolute path, a plain folder that holds
// a Firefox profile), and profile folders that do not exist, are left out.
BrowserProfileFound DiscoverBrowser(Browser browser, const BrowserFolders& folders);

// Where the browser's program file lives: the registry entries its installer writes ("App Paths"
// for today's browsers), then its standard install folders; empty when none names an existing
// program (the older registry entries are taken as they are). Used by the Auto-Kill rule that
// waits for the last browser to close.
[[nodiscard]] std::string FindBrowserProgram(Browser browser);

// The user's application-data folders (without creating them); a folder the platform has not
// got stays empty.
[[nodiscard]] BrowserFolders UserBrowserFolders();

// The browser's fixed list of targets (Firefox 7, Netscape 7, Opera 5, Flock 7, each of the
// Chromium family 6), all unselected, with entries only when present. The targets of a browser that
// holds lock files check them when a Scan or Kill starts and are skipped, with a line telling the
// user to close the browser, while any is held.
std::vector<std::unique_ptr<Target>> MakeBrowserTargets(Browser browser, const BrowserProfileFound& found,
                                                        const BrowserFolders& folders);

// The name the user knows the browser by ("Google Chrome").
[[nodiscard]] const char* BrowserProductName(Browser browser);

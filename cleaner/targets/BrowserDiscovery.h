#pragma once
// Where each browser keeps its profiles, found at catalogue build time.
#include "targets/TargetCatalog.h"

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

// The user's application-data folders (without creating them); a folder the platform has not
// got stays empty.
[[nodiscard]] BrowserFolders UserBrowserFolders();

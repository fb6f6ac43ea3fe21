#pragma once
#include "targets/Target.h"
#include "targets/BrowserDiscovery.h"
#include "targets/BrowserPrograms.h"
#include "targets/TargetCatalog.h"

#include <memory>
#include <string>
#include <vector>

// The browser's fixed list of targets (Firefox 8, Netscape 7, Opera 6, Flock 7, each of the
// Chromium family 7, the site data last), all unselected, with entries only when present. The targets of a browser that
// holds lock files check them when a Scan or Kill starts and are skipped, with a line telling the
// user to close the browser, while any is held.
std::vector<std::unique_ptr<Target>> MakeBrowserTargets(Browser browser, const BrowserProfileFound& found,
                                                        const BrowserFolders& folders);

// The name the user knows the browser by ("Google Chrome").
[[nodiscard]] const char* BrowserProductName(Browser browser);

#pragma once
#include "targets/Target.h"

#include <string>

// The "<Browser> Site Data" entries: what sites store beside their cookies, in each profile
// (folders ending with a backslash). A store keeping one folder per origin loses the folders of
// every site but the kept ones (IsKeptHost, the cookie targets' rule); a store mixing origins goes
// whole, or stays whole while a kept site or an extension has data in it. Every file goes through
// the engine's folder walk, so the folder guard and the user's excludes hold.

// Firefox: storage\default\<origin> and storage\temporary\<origin>.
void AddFirefoxSiteData(Target& target, const std::string& profile);
// Chromium and its family: IndexedDB and File System per origin; Local Storage, Session Storage and
// Service Worker mixed; blob_storage whole; WebStorage's storage buckets per origin, with the rows
// of its quota database.
void AddChromiumSiteData(Target& target, const std::string& profile);

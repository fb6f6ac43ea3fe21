#pragma once
#include "engine/WalkRootGuard.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// What users cannot lose, as one set for walks, single files and the drive targets alike. The set
// is defined once, from where a machine keeps its folders (a PlaceLayout); the program fills the
// layout from the running system, the library check from a standard installation.
struct PlaceLayout {
    std::map<int, std::string> special;  // shell special folder (CSIDL) -> its folder
    // The user's library folders wherever Known Folders put them (Documents, Desktop, Pictures,
    // Music, Videos, Downloads and their public twins), each with its name in plain words.
    std::vector<std::pair<std::string, std::string>> libraries;
    std::string profilesDirectory;           // the folder that holds the profiles
    std::vector<std::string> syncFolders;    // sync roots found elsewhere (OneDrive's accounts)
    std::vector<std::string> mailProfiles;   // Thunderbird profile folders
};

// The guard over the protected set of a layout. `resolve` gives a folder's other written forms
// (its final name once links and 8.3 names are followed); each form is protected alike.
using PlaceForms = std::vector<std::string> (*)(const std::string& folder);
WalkRootGuard BuildProtectedSet(const PlaceLayout& layout, PlaceForms forms = nullptr);

// A standard installation: Windows in C:\Windows, the profile C:\Users\User with every library
// folder in its default place. Stored entries that must hold on any machine are judged with it.
const PlaceLayout& StandardLayout();

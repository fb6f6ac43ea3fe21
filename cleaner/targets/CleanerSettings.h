#pragma once
#include <cstdint>
#include <string>

// Every stored setting of the cleaner, as the catalogue holds it, with its construction default.
// SecDel and DelRep are not here: the engine reads them process-wide (engine/KillSettings.h).
struct CleanerSettings {
    int32_t scanTime = 0;             // ScanTime: pause after each target of a hidden Scan, ms
    int32_t killTime = 0;             // KillTime: the same for Kill and Auto-Kill
    bool notifyWhenStart = true;      // NotifyWhenStart
    bool autoStart = true;            // AutoStart: keep the Run entry
    bool showMainWnd = true;          // ShowMainWnd
    bool showAppTargetDesc = true;    // ShowAppTargetDesc
    bool akWinStart = false;          // AKWinStart
    bool akBrowserClosed = false;     // AKBrowserClosed
    bool akScan = true;               // AKScan: per-target balloons during an Auto-Kill
    bool akSummary = true;            // AKSummary
    bool akSoundEnd = true;           // AKSoundEnd
    bool akEveryTime = false;         // AKEveryTime
    int32_t akEveryTimeTime = 2;      // AKEveryTimeTime: index into the interval table
    bool akAppExit = false;           // AKAppExit
    std::string akAppExitName;        // AKAppExitName, at most 255 characters
    bool autoUpdate = true;           // AutoUpdate
    bool autoUpdateNotify = true;     // AutoUpdateNotify
    bool showToolTips = true;         // ShowToolTips
};

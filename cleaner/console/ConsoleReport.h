#pragma once
#include "engine/FoundItems.h"
#include "engine/JsonText.h"
#include "engine/RunCounters.h"

#include <string>
#include <string_view>
#include <vector>

// What TracelornCmd prints and writes: the plain lines of a run as the window's result list shows
// them, the target list, and the JSON report. Pure formatting; the text is UTF-8.

struct ListedTarget {
    std::string category;
    std::string id;
    bool selected = false;
    std::string lock;     // "on" or "off" when the administrator forces it, else empty
    std::string warning;  // why a run would skip it now (its browser is open), else empty
};

struct TargetResult {
    std::string id;
    std::string name;
    RunCounters counters;
    std::string skipped;  // the reason it did not run, else empty
    std::vector<FoundItem> found;  // with --details: what it found (Scan) or removed (Kill)
};

struct RunReport {
    std::string version;
    std::string action;  // "Scan" or "Kill"
    std::string start;   // UTC, "2026-12-09T03:40:00Z"
    std::string end;
    int overwrite = 0;   // passes each removed file was overwritten with; 0: none
    std::vector<TargetResult> targets;
    RunCounters summary;
    bool details = false;  // each target lists what it found or removed
    bool stopped = false;  // ended by Ctrl+C before every target ran
    int exitCode = 0;
};

std::string JsonList(const std::vector<ListedTarget>& targets);
std::string JsonReport(const RunReport& report);

// "<name>  Files: 3  Items: 0  Disk space: 0,29 KB", the columns of the result list.
std::string PlainTargetLine(const std::string& name, const RunCounters& counters);
// "Summary Kill Information:  Files: ...", the summary line last.
std::string PlainSummaryLine(const std::string& action, const RunCounters& counters);
// One item of a target, indented under the target's line: "    C:\\Temp\\a.log  0,29 KB  2026-12-09T03:40:00Z".
std::string PlainDetailLine(const FoundItem& item);
// A FILETIME (100 ns since 1601, UTC) as ISO 8601 UTC, "2026-12-09T03:40:00Z"; empty for 0 or a
// time before 1970.
std::string IsoTime(uint64_t fileTime);
// "[x] Windows/Recycle Bin", with the lock and the warning after it.
std::string PlainListLine(const ListedTarget& target);

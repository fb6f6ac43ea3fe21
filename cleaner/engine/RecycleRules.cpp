#include "engine/RecycleRules.h"

#include <algorithm>
#include <cctype>

std::vector<std::string> ParseDriveStrings(const char* buffer, size_t chars) {
    std::vector<std::string> roots;
    if (buffer == nullptr) return roots;
    size_t pos = 0;
    while (pos < chars && roots.size() < kMaxDriveRoots) {
        size_t end = pos;
        while (end < chars && buffer[end] != '\0') ++end;
        if (end == chars) break;  // no terminator inside the buffer: a cut-off root
        if (end == pos) break;    // the empty string ends the list
        roots.emplace_back(buffer + pos, end - pos);
        pos = end + 1;
    }
    return roots;
}

std::vector<std::string> FixedDriveRoots(DriveList& drives) {
    std::vector<std::string> fixed;
    std::vector<std::string> roots = drives.Roots();
    if (roots.size() > kMaxDriveRoots) roots.resize(kMaxDriveRoots);
    for (const std::string& root : roots) {
        if (drives.TypeOf(root) == DriveType::Fixed) fixed.push_back(root);
    }
    return fixed;
}

void ApplyBookkeepingAdjustment(RunCounters& counters) {
    counters.files -= std::min<uint32_t>(counters.files, 2);
    if (counters.files == 0) counters.bytes = 0;
}

bool IsRecycleBookkeeping(const std::string& fileName) {
    static const char kName[] = "desktop.ini";
    if (fileName.size() != sizeof(kName) - 1) return false;
    for (size_t i = 0; i < fileName.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(fileName[i])) != kName[i]) return false;
    }
    return true;
}

std::string ChooseRecycleFolder(const std::string& root, const std::function<bool(const std::string&)>& isFolder,
                                const std::function<bool(const std::string&)>& isRecycledFolder) {
    for (const char* name : {"$Recycle.Bin", "RECYCLER"}) {
        const std::string folder = root + name;
        if (isFolder && isFolder(folder)) return folder + "\\";
    }
    const std::string recycled = root + "RECYCLED";
    if (isRecycledFolder && isRecycledFolder(recycled)) return recycled + "\\";
    return std::string();
}

bool DesktopIniNamesRecycleBin(const std::string& text) {
    static const char kClass[] = "{645ff040-5081-101b-9f08-00aa002f954e}";
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(kClass) != std::string::npos;
}

bool IsOwnRecycleSubfolder(const std::string& subfolder, const std::string& sid) {
    if (sid.empty() || subfolder.size() != sid.size()) return false;
    for (size_t i = 0; i < sid.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(subfolder[i])) != std::tolower(static_cast<unsigned char>(sid[i]))) return false;
    }
    return true;
}

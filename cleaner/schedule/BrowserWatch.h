#pragma once
#include <string>
#include <vector>

class ProcessList;
class TargetCatalog;

// The browsers the last-browser trigger waits for: Internet Explorer at its fixed path, every
// program file browser discovery found, and today's browsers at their standard install places
// (both program-files folders and the user's local application folder), since discovery finds
// none of those that keep no registry entry it reads.
class BrowserWatch {
public:
    explicit BrowserWatch(const TargetCatalog& catalog);
    // Built from the given roots (program-files folders, local application folder) and catalogue.
    BrowserWatch(const TargetCatalog& catalog, const std::vector<std::string>& roots);

    // A watched browser runs and shows a visible top-level window. Edge (with "startup boost") and
    // others keep processes running after their last window has closed: counting those would keep
    // the trigger from ever firing.
    [[nodiscard]] bool Running(const ProcessList& processes) const;

    const std::vector<std::string>& Paths() const { return paths_; }

    static constexpr const char* kInternetExplorer = "c:\\program Files\\Internet Explorer\\iexplore.exe";

private:
    std::vector<std::string> paths_;
};

// Ids of the processes that own a visible top-level window.
[[nodiscard]] std::vector<unsigned long> ProcessesWithVisibleWindows();

#pragma once
#include <string>
#include <vector>

// The application: the single-instance rule, the command line, COM, the catalogue created before
// the main window and destroyed (saving everything) after it, and the main window's loop.
class CCleanerApp {
public:
    CCleanerApp();
    ~CCleanerApp();
    CCleanerApp(const CCleanerApp&) = delete;
    CCleanerApp& operator=(const CCleanerApp&) = delete;

    // The whole life of the program; returns the process exit code.
    int Run(const std::vector<std::string>& arguments);

    static CCleanerApp* Current();
    const std::string& HelpFile() const { return helpFile_; }
    bool StartedAtWindowsStart() const { return startedAtWindowsStart_; }
    // The scheduler clears it when it has acted on it.
    void ClearStartedAtWindowsStart() { startedAtWindowsStart_ = false; }

    static constexpr const char* kName = "Tracelorn";
    static constexpr const char* kSettingsPath = "Quorvane\\Tracelorn\\2.3";

private:
    std::string helpFile_;
    bool startedAtWindowsStart_ = false;
    bool comInitialised_ = false;
};

#pragma once
// The setup program without any window: "/S" installs, updates or uninstalls as the wizard would,
// reporting only through the exit code and, with "/LOG=", the wizard's progress lines.
#include "engine/Progress.h"
#include "engine/SetupSession.h"
#include "install/CommandLine.h"
#include "win/Handles.h"

#include <string>

namespace setup {

// One setup of ours at a time, wizard or silent, across the session's processes.
class SetupMutex {
public:
    SetupMutex();
    bool Busy() const { return busy_; }

private:
    KernelHandle mutex_;
    bool busy_ = false;
};

// The progress lines as UTF-8 text, one a line; a log without a path writes nothing.
class ProgressLog : public Progress {
public:
    explicit ProgressLog(const std::u16string& path);
    bool Ok() const { return ok_; }
    void Line(const std::u16string& line);
    void SetRange(uint32_t) override {}
    void Status(const std::u16string& line, bool) override { Line(line); }
    void Finished(WorkResult) override {}

private:
    FileHandle file_;
    bool ok_ = true;
};

// The exit code of the silent run (`source`: the folder an uninstaller's copy removes).
int RunSilent(SetupMode mode, const std::u16string& programPath, const std::u16string& source,
              const SetupCommand& command, std::u16string& deferred, std::vector<std::u16string>& foldersLeft);

// The program the settings name, started from the installation folder.
void LaunchInstalled(const SetupSession& session);

// An absolute form of a path given on the command line (the uninstaller's copy runs elsewhere).
std::u16string AbsolutePath(const std::u16string& path);

}  // namespace setup

#pragma once
// How the install and uninstall workers report: a status line (optionally one progress step), the
// number of steps, and the end. The wizard's pages implement it; tests implement it with a recorder.
#include <cstdint>
#include <string>

namespace setup {

enum class WorkResult { Completed, Failed };

// Process exit codes that tell the outcomes apart.
// 5: a silent run found this version or a newer one installed; 1618: another setup of ours runs
// (the code installers conventionally give for it).
enum ExitCode : int { kExitSuccess = 0, kExitCancelled = 2, kExitFailed = 3, kExitNotNewer = 5, kExitBusy = 1618 };

class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetRange(uint32_t steps) = 0;
    virtual void Status(const std::u16string& line, bool step) = 0;
    virtual void Finished(WorkResult result) = 0;
};

}  // namespace setup

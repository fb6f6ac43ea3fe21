#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One look at the running processes: the id and the main module's full path of every process
// that can be opened with query and read rights. Processes of other users or protected ones are
// missing, so they never count. Taking it enumerates once; asking it costs no more system calls,
// which lets the scheduler ask about many paths at each tick.
class ProcessList {
public:
    struct Process {
        uint32_t id = 0;
        std::string path;
    };

    [[nodiscard]] static ProcessList Take();
    explicit ProcessList(std::vector<Process> processes) : processes_(std::move(processes)) {}

    // Processes whose main module is `path`, compared without regard to case. `path` may hold one
    // component "*", which stands for exactly one folder name of any spelling (a version folder:
    // "C:\Opera\*\opera.exe"). An empty path matches nothing.
    [[nodiscard]] std::vector<uint32_t> IdsOf(const std::string& path) const;
    [[nodiscard]] int Count(const std::string& path) const { return static_cast<int>(IdsOf(path).size()); }
    const std::vector<Process>& Processes() const { return processes_; }

private:
    std::vector<Process> processes_;
};

// The number of running processes whose main module is the executable at `path` (full path,
// compared without regard to case); an empty path gives 0. Used by the single-instance rule.
[[nodiscard]] int ProcessCount(const std::string& path);

// Whether `path` names `pattern` as ProcessList::IdsOf matches them.
[[nodiscard]] bool ProgramPathMatches(const std::string& pattern, const std::string& path);

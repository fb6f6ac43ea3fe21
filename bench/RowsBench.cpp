// Row-level Kill of one browser database through the engine's own path (RowCleaner over the Win32
// file steps), timed, with the process's peak working set. bench/rows prepares the databases and
// compares with the sqlite3 shell.   bench_rows.exe firefox|chromium <database>
#include "engine/DatabaseSwap.h"
#include "engine/RowCleaner.h"
#include "targets/BrowserRows.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_rows firefox|chromium <database>\n");
        return 2;
    }
    const bool firefox = std::strcmp(argv[1], "firefox") == 0;
    const std::string path = argv[2];
    const auto plan = firefox ? FirefoxHistoryPlan()
                              : ChromiumHistoryPlan(path + ".no-bookmarks", [](const std::string&) {
                                    return std::optional<std::string>(std::string());
                                });
    Win32DatabaseFiles files;
    RowCleaner cleaner(*plan, files);
    const auto start = std::chrono::steady_clock::now();
    // Where the time goes, on the error stream: the seconds at the end of each phase.
    cleaner.SetPhaseObserver([&](RowPhase phase) {
        static const char* const names[] = {"checked", "copied", "deleted", "compacted", "verified"};
        std::fprintf(stderr, "  %-9s at %.3f s\n", names[static_cast<int>(phase)],
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    });
    const RowResult result = cleaner.Clean(path, false);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.detail.empty()) std::fprintf(stderr, "  %s\n", result.detail.c_str());
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    std::printf("%s %d %llu %.3f %.1f\n", argv[1], static_cast<int>(result.outcome),
                static_cast<unsigned long long>(result.items), seconds, memory.PeakWorkingSetSize / 1048576.0);
    return result.outcome == RowOutcome::Cleaned ? 0 : 1;
}

// Times what a user waits for when the cleaner starts.
//   bench_startup.exe catalogue FOLDER   builds the catalogue from the program folder FOLDER (its
//                                        plug-in folders: the whole shipped library)
//   bench_startup.exe window EXE         starts EXE and waits until it shows a window; then starts
//                                        this program doing nothing, the same way, to measure what
//                                        Wine's own process start-up costs
//   bench_startup.exe none               does nothing
// Prints "targets=N seconds=S" or "window=S wine=S".
#include "targets/CleanerCatalog.h"
#include "targets/ImportedTargets.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

double Now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

struct Search {
    DWORD process;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !::IsWindowVisible(window)) return TRUE;
    search->found = true;
    return FALSE;
}

bool Start(const std::string& commandLine, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    return ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process) != FALSE;
}

int TimeWindow(const std::string& exe) {
    PROCESS_INFORMATION program{};
    const double start = Now();
    if (!Start("\"" + exe + "\"", program)) return 1;
    Search search{program.dwProcessId, false};
    double shown = 0;
    while (shown == 0 && Now() - start < 60) {
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) shown = Now();
        else if (::WaitForSingleObject(program.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    ::TerminateProcess(program.hProcess, 0);
    ::WaitForSingleObject(program.hProcess, 10000);
    ::CloseHandle(program.hThread);
    ::CloseHandle(program.hProcess);
    if (shown == 0) return 1;

    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    PROCESS_INFORMATION nothing{};
    const double again = Now();
    if (!Start("\"" + std::string(self) + "\" none", nothing)) return 1;
    ::WaitForSingleObject(nothing.hProcess, INFINITE);
    const double wine = Now() - again;
    ::CloseHandle(nothing.hThread);
    ::CloseHandle(nothing.hProcess);
    std::printf("window=%.3f wine=%.3f\n", shown - start, wine);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "none") return 0;
    if (mode == "import" && argc == 4) {
        const ImportResult result = ImportWinappFile(argv[3], argv[2]);
        std::printf("imported=%u refused=%u %s\n", static_cast<unsigned>(result.targets),
                    static_cast<unsigned>(result.refused), result.error.c_str());
        return result.ok ? 0 : 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_startup catalogue FOLDER | import FOLDER INI | window EXE | none\n");
        return 2;
    }
    if (mode == "window") return TimeWindow(argv[2]);
    if (mode != "catalogue") return 2;
    const double start = Now();
    CleanerCatalog catalog("Quorvane\\Tracelorn Bench", argv[2]);
    const double seconds = Now() - start;
    std::printf("targets=%u seconds=%.3f\n", static_cast<unsigned>(catalog.Get().TargetCount()), seconds);
    return 0;
}

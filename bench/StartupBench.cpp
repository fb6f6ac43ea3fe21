// Times what a user waits for when the cleaner starts.
//   bench_startup.exe catalogue FOLDER   builds the catalogue from the program folder FOLDER (its
//                                        plug-in folders: the whole shipped library)
//   bench_startup.exe window EXE         starts EXE and waits until it shows a window; then starts
//                                        this program doing nothing, the same way, to measure what
//                                        Wine's own process start-up costs
//   bench_startup.exe imported FOLDER [N] copies FOLDER's plug-in folders into a program folder of
//                                        its own, imports a winapp2.ini of N generated sections
//                                        (4000 unless given) there, then builds the catalogue from
//                                        it in four fresh processes: the first writes the stored
//                                        selections a real start reads, the other three are timed
//   bench_startup.exe generate INI [N]   writes that generated winapp2.ini, to look at or import by hand
//   bench_startup.exe none               does nothing
// Prints "targets=N applications=A seconds=S cpu=C" (C: the time the building thread itself ran) or
// "window=S wine=S".
//
// Measured under Wine 8 on the two shared cores of the build machine (other builds running), the
// shipped library plus 4,000 generated sections (600 of them offered here), three timed runs:
//   before: 0.988 s, 1.207 s, 1.167 s (the import itself 4.7 s; the shipped library alone 0.07 s)
//   after:  0.122 s, 0.115 s, 0.116 s, cpu 0.09 s (the import 0.26 s; the library alone 0.04 s)
// The time had gone to the conditions (a registry or file lookup for each of 8,000, now each
// distinct key or path once and the absent programs answered from one list of the key or folder
// above them: 50 lookups), to judging every entry again at each load (a drive-type question per
// entry, and two failed opens for each folder below an absent program: now once per drive letter
// and from the same lists), to reading and judging the application plug-ins and imported targets
// of absent programs (now only their conditions are read), and to a name check that compared each
// import with every target listed.
#include "targets/CleanerCatalog.h"
#include "targets/ImportedTargets.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

// The time this thread ran: on a busy machine the wall time also holds the time others ran.
double ThreadSeconds() {
    FILETIME created, ended, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) { return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
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

// A winapp2.ini as the community's looks: most sections detect a program that is not here (a
// vendor key, a program file), a few detect what every machine has, some ask for nothing; each
// cleans one to four folders and now and then a registry key, under the file's usual groups.
std::string GeneratedIni(int sections) {
    static const char* variables[] = {"%AppData%", "%LocalAppData%", "%ProgramFiles%", "%CommonAppData%",
                                      "%LocalLowAppData%", "%UserProfile%", "%WinDir%", "%Documents%"};
    static const char* groups[] = {"LangSecRef=3021", "LangSecRef=3022", "LangSecRef=3023", "LangSecRef=3024",
                                   "LangSecRef=3025", "LangSecRef=3026", "LangSecRef=3029", "Section=Games",
                                   "Section=Development", "LangSecRef=3006"};
    static const char* patterns[] = {"*.*", "*.log", "*.tmp;*.bak", "cache*;index.dat;*.old"};
    std::string ini = "; Version: 1\r\n\r\n";
    for (int i = 0; i < sections; ++i) {
        char vendor[32];
        std::snprintf(vendor, sizeof vendor, "BenchVendor%04d", i);
        const std::string v = vendor;
        const std::string var = variables[i % 8];
        ini += "[Bench Program " + std::to_string(i) + " *]\r\n";
        ini += std::string(groups[i % 10]) + "\r\n";
        if (i % 20 == 3) {
            ini += "Detect=HKCU\\Software\\Wine\r\n";  // here: Wine's own key
        } else if (i % 20 == 7) {
            ini += "DetectFile=%WinDir%\\system32\\kernel32.dll\r\n";  // here: every Windows has it
        } else if (i % 20 != 11) {  // 11: no condition, always offered
            ini += "Detect=HKCU\\Software\\" + v + "\r\n";
            if (i % 3 == 0) ini += "Detect2=HKLM\\Software\\" + v + "\r\n";
            if (i % 2 == 0) ini += "DetectFile=%ProgramFiles%\\" + v + "\\" + v + ".exe\r\n";
            if (i % 4 == 1) ini += "DetectFile2=" + var + "\\" + v + "\r\n";
        }
        if (i % 5 == 0) ini += "DetectOS=6.1|\r\n";
        if (i % 40 == 9) ini += "Warning=Bench program " + std::to_string(i) + " keeps its drafts here.\r\n";
        const std::string base = (var == "%WinDir%" || var == "%Documents%" || var == "%UserProfile%")
                                     ? "%LocalAppData%\\" + v : var + "\\" + v;
        for (int n = 0; n < 1 + i % 4; ++n) {
            ini += "FileKey" + std::to_string(n + 1) + "=" + base + "\\Cache" + std::to_string(n) + "|" +
                   patterns[(i + n) % 4] + (n % 2 ? "|RECURSE" : "") + "\r\n";
        }
        if (i % 3 == 1) ini += "RegKey1=HKCU\\Software\\" + v + "\\Recent\r\n";
        if (i % 7 == 2) ini += "ExcludeKey1=FILE|" + base + "\\Settings\\|keep.log\r\n";
        ini += "\r\n";
    }
    return ini;
}

bool WriteGenerated(const std::string& path, int sections) {
    const std::string text = GeneratedIni(sections);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

bool CopyFolder(const std::string& from, const std::string& to) {
    if (!::CreateDirectoryA(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((from + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return true;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ::CopyFileA((from + "\\" + data.cFileName).c_str(), (to + "\\" + data.cFileName).c_str(), FALSE);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return true;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(folder + "\\" + name);
            else ::DeleteFileA((folder + "\\" + name).c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

int TimeImported(const std::string& library, int sections) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "tl-bench-" + std::to_string(::GetCurrentProcessId());
    const std::string ini = folder + "\\winapp2.ini";
    if (!CopyFolder(library, folder) || !CopyFolder(library + "\\STDPLUGS", folder + "\\STDPLUGS") ||
        !CopyFolder(library + "\\APPPLUGS", folder + "\\APPPLUGS"))
        return 1;
    if (!WriteGenerated(ini, sections)) return 1;
    const double start = Now();
    const ImportResult result = ImportWinappFile(ini, folder);
    std::printf("import sections=%d kept=%u refused=%u seconds=%.3f %s\n", sections,
                static_cast<unsigned>(result.targets), static_cast<unsigned>(result.refused), Now() - start,
                result.error.c_str());
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    int failed = result.ok ? 0 : 1;
    for (int run = 0; run < 4 && !failed; ++run) {
        PROCESS_INFORMATION child{};
        if (!Start("\"" + std::string(self) + "\" catalogue \"" + folder + "\"", child)) failed = 1;
        if (failed) break;
        ::WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 1;
        ::GetExitCodeProcess(child.hProcess, &code);
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
        failed = code != 0;
    }
    RemoveFolder(folder);
    return failed;
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
    if (mode == "generate" && (argc == 3 || argc == 4)) return WriteGenerated(argv[2], argc == 4 ? std::atoi(argv[3]) : 4000) ? 0 : 1;
    if (mode == "imported" && (argc == 3 || argc == 4)) return TimeImported(argv[2], argc == 4 ? std::atoi(argv[3]) : 4000);
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: bench_startup catalogue FOLDER | imported FOLDER [N] | import FOLDER INI | window EXE | none\n");
        return 2;
    }
    if (mode == "window") return TimeWindow(argv[2]);
    if (mode != "catalogue") return 2;
    const double start = Now(), startCpu = ThreadSeconds();
    CleanerCatalog catalog("Quorvane\\Tracelorn Bench", argv[2]);
    const double seconds = Now() - start, cpu = ThreadSeconds() - startCpu;
    std::printf("targets=%u applications=%d seconds=%.3f cpu=%.3f\n", static_cast<unsigned>(catalog.Get().TargetCount()),
                catalog.Get().CategoryCount(Category::Applications), seconds, cpu);
    std::fflush(stdout);
    return 0;
}

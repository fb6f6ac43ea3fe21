// Times the engine's folder walks and file removal over a tree that bench/engine lays out.
//   bench_engine.exe walk FOLDER               the Scan walk without the exclusive-open test
//   bench_engine.exe scan|kill|kill1 FOLDER     Scan, Kill without overwrite, Kill with one pass
//   bench_engine.exe overwrite FILE             one overwrite pass over a file
//   bench_engine.exe scankill FOLDER            Scan, then Kill without overwrite, in one process
//   bench_engine.exe opens|deletes FOLDER       what the system itself costs: only an exclusive open
//                                               and close, or only DeleteFileA, of every file, one
//                                               after another (listed first, untimed)
// Prints "files=N bytes=B seconds=S peak=P", the time measured inside the process (Wine's start-up
// excluded, its system-call overhead included) and the process's peak working set in bytes;
// scankill prints "scan=S kill=S" as well.
#include "engine/FileRemoval.h"
#include "engine/FolderWalk.h"
#include "engine/KillSettings.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

unsigned long long PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory))) return 0;
    return memory.PeakWorkingSetSize;
}

void ListFiles(const std::string& folder, std::vector<std::string>& files) {
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(folder + "\\" + name, files);
        else files.push_back(folder + "\\" + name);
    } while (::FindNextFileA(find, &fd));
    ::FindClose(find);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_engine walk|scan|kill|kill1|overwrite|scankill|opens|deletes PATH\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::string path = argv[2];
    RunCounters counters;
    std::vector<std::string> files;
    if (mode == "opens" || mode == "deletes") ListFiles(path, files);
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    if (mode == "opens") {
        for (const std::string& file : files) {
            HANDLE h = ::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) continue;
            ::CloseHandle(h);
            ++counters.files;
        }
    } else if (mode == "deletes") {
        for (const std::string& file : files) counters.files += ::DeleteFileA(file.c_str()) ? 1 : 0;
    } else if (mode == "scan") {
        ScanFolder(path, std::string(), WalkOptions{}, counters);
    } else if (mode == "walk") {  // the folder walk alone, without the exclusive-open test
        WalkOptions options;
        options.removeAtReboot = true;
        ScanFolder(path, std::string(), options, counters);
    } else if (mode == "kill" || mode == "kill1") {
        kill_settings::SetSecureDelete(mode == "kill1");
        kill_settings::SetPasses(1);
        KillFolder(path, std::string(), WalkOptions{}, counters);
    } else if (mode == "scankill") {
        ScanFolder(path, std::string(), WalkOptions{}, counters);
        LARGE_INTEGER scanned;
        ::QueryPerformanceCounter(&scanned);
        std::printf("scan=%.3f ", Seconds(start, scanned));
        kill_settings::SetSecureDelete(false);
        RunCounters removed;
        KillFolder(path, std::string(), WalkOptions{}, removed);
        ::QueryPerformanceCounter(&end);
        std::printf("kill=%.3f killed=%u ", Seconds(scanned, end), removed.files);
    } else if (mode == "overwrite") {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 1;
        counters.files = 1;
        counters.bytes = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (!OverwriteFile(path, 1)) return 1;
    } else {
        return 2;
    }
    ::QueryPerformanceCounter(&end);
    std::printf("files=%u bytes=%llu seconds=%.3f peak=%llu\n", counters.files,
                static_cast<unsigned long long>(counters.bytes), Seconds(start, end), PeakWorkingSet());
    return 0;
}

// Times the engine's folder walks and file removal over a tree that bench/engine lays out.
//   bench_engine.exe walk FOLDER               the Scan walk without the exclusive-open test
//   bench_engine.exe scan|kill|kill1 FOLDER     Scan, Kill without overwrite, Kill with one pass
//   bench_engine.exe overwrite FILE             one overwrite pass over a file
// Prints "files=N bytes=B seconds=S", the time measured inside the process (Wine's start-up
// excluded, its system-call overhead included).
#include "engine/FileKiller.h"
#include "engine/KillSettings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_engine walk|scan|kill|kill1|overwrite PATH\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::string path = argv[2];
    RunCounters counters;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    if (mode == "scan") {
        ScanFolder(path, std::string(), WalkOptions{}, counters);
    } else if (mode == "walk") {  // the folder walk alone, without the exclusive-open test
        WalkOptions options;
        options.removeAtReboot = true;
        ScanFolder(path, std::string(), options, counters);
    } else if (mode == "kill" || mode == "kill1") {
        kill_settings::SetSecureDelete(mode == "kill1");
        kill_settings::SetPasses(1);
        KillFolder(path, std::string(), WalkOptions{}, counters);
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
    std::printf("files=%u bytes=%llu seconds=%.3f\n", counters.files,
                static_cast<unsigned long long>(counters.bytes), Seconds(start, end));
    return 0;
}

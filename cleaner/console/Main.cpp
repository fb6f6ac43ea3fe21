// Entry point of TracelornCmd.exe, the console front end: list, scan and kill from scripts and
// scheduled tasks over the same catalogue, settings and policy as Tracelorn.exe.
#include "console/ConsoleArgs.h"
#include "console/ConsoleOutput.h"
#include "console/ConsoleRun.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemLibrary.h"
#include "platform/Text.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    RestrictDllSearchToSystemFolder();
    ConsoleStream err(ConsoleStream::Which::Error);
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) {
            std::string arg;
            if (!Utf8FromWide(argv[i], arg)) {
                (void)err.Line("TracelornCmd: an argument is not valid text");
                return kExitUsage;
            }
            args.push_back(std::move(arg));
        }
        const ConsoleParse parse = ParseConsoleArgs(args);
        if (!parse.request) {
            (void)err.Line("TracelornCmd: " + parse.error);
            (void)err.Write(ConsoleUsage());
            return kExitUsage;
        }
        const std::string folder = ExecutableFolder();
        if (folder.empty()) {
            (void)err.Line("TracelornCmd: the program's folder has no usable path");
            return kExitFailure;
        }
        const bool com = SUCCEEDED(::CoInitialize(nullptr));
        const int code = RunConsole(*parse.request, folder);
        if (com) ::CoUninitialize();
        return code;
    } catch (...) {
        (void)err.Line("TracelornCmd: failed");
        return kExitFailure;
    }
}

// Entry point of Tracelorn.exe.
#include "app/CleanerApp.h"
#include "platform/SystemLibrary.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL on demand: a planted copy beside the program is never taken.
    RestrictDllSearchToSystemFolder();
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
    CCleanerApp app;
    return app.Run(arguments);
}

// tl_hold <file> <ready event> <release event>: opens the file exclusively (no sharing), as a
// running browser holds its profile lock, signals `ready`, and keeps the file open until `release`
// is signalled (or a minute has passed). Exit code 2 when the file cannot be opened.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 4) return 1;
    HANDLE file = ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = ::OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release) return 3;
    ::SetEvent(ready);
    ::WaitForSingleObject(release, 60000);
    ::CloseHandle(file);
    ::CloseHandle(ready);
    ::CloseHandle(release);
    return 0;
}

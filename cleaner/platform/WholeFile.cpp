#include "platform/WholeFile.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>

#include <algorithm>
#include <utility>

WholeFileRead ReadWholeFile(const std::string& path, size_t limit, std::string& bytes) {
    bytes.clear();
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) return WholeFileRead::Missing;
    FileHandle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? WholeFileRead::Missing
                                                                              : WholeFileRead::Unreadable;
    }
    return ReadWholeFile(file.Get(), limit, bytes);
}

WholeFileRead ReadWholeFile(HANDLE file, size_t limit, std::string& bytes) {
    bytes.clear();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) return WholeFileRead::Unreadable;
    if (static_cast<unsigned long long>(size.QuadPart) > limit) return WholeFileRead::TooLarge;
    std::string read(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < read.size()) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(read.size() - done, 1u << 20));
        if (!::ReadFile(file, &read[done], ask, &got, nullptr) || got == 0) return WholeFileRead::Unreadable;
        done += got;
    }
    bytes = std::move(read);
    return WholeFileRead::Read;
}

#include "platform/AtomicFileWriter.h"

#include "platform/Handles.h"
#include "platform/Text.h"

bool ReplaceFileContents(const std::string& path, const void* data, size_t size) {
    if (path.empty() || size > 0xFFFFFFFFu) return false;
    const std::wstring target = SystemPath(path);
    const std::wstring temp = SystemPath(path + ".new");
    if (target.empty() || temp.empty()) return false;
    {
        FileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        bool ok = ::WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) &&
                  written == size && ::FlushFileBuffers(file.Get());
        if (!ok) {
            file.Reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

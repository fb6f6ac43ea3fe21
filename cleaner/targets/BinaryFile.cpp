#include "targets/BinaryFile.h"

#include "platform/Text.h"

#include <climits>

bool BinaryFile::Open(const std::string& path, Mode mode) {
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) {
        handle_.Reset();
        return false;
    }
    if (mode == Mode::Read)
        handle_.Reset(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    else
        handle_.Reset(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle_.IsValid();
}

size_t BinaryFile::Write(const void* data, size_t count) {
    if (!handle_ || count > UINT_MAX) return 0;
    DWORD written = 0;
    if (!::WriteFile(handle_.Get(), data, static_cast<DWORD>(count), &written, nullptr)) return 0;
    return written;
}

size_t BinaryFile::Read(void* data, size_t count) {
    if (!handle_ || count > UINT_MAX) return 0;
    DWORD read = 0;
    if (!::ReadFile(handle_.Get(), data, static_cast<DWORD>(count), &read, nullptr)) return 0;
    return read;
}

void BinaryFile::Seek(int64_t distance, Origin origin) {
    if (!handle_) return;
    LARGE_INTEGER d;
    DWORD method = FILE_BEGIN;
    int64_t size = static_cast<int64_t>(Size());
    int64_t target = distance;
    if (origin == Origin::Current) target = static_cast<int64_t>(Position()) + distance;
    if (origin == Origin::End) target = distance > size ? 0 : size - distance;
    if (target < 0) target = 0;
    if (target > size) target = size;
    d.QuadPart = target;
    ::SetFilePointerEx(handle_.Get(), d, nullptr, method);
}

uint64_t BinaryFile::Position() const {
    LARGE_INTEGER zero{}, pos{};
    if (!handle_ || !::SetFilePointerEx(handle_.Get(), zero, &pos, FILE_CURRENT)) return 0;
    return static_cast<uint64_t>(pos.QuadPart);
}

uint64_t BinaryFile::Size() const {
    LARGE_INTEGER size{};
    if (!handle_ || !::GetFileSizeEx(handle_.Get(), &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

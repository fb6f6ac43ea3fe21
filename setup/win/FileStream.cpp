#include "win/FileStream.h"

#include "win/WideText.h"

#include <algorithm>

namespace QV {

bool FileStream::OpenRead(const std::u16string& path) { return Open(path, AccessRead | ShareRead | OpenExisting); }

bool FileStream::OpenWrite(const std::u16string& path) { return Open(path, AccessWrite | ShareNone | CreateAlways); }

bool FileStream::Open(const std::u16string& path, unsigned flags) {
    Close();
    DWORD access = 0;
    if (flags & AccessRead) access |= GENERIC_READ;
    if (flags & AccessWrite) access |= GENERIC_WRITE;
    DWORD share = 0;
    if (flags & ShareRead) share |= FILE_SHARE_READ;
    if (flags & ShareWrite) share |= FILE_SHARE_WRITE;
    DWORD creation = OPEN_EXISTING;
    if (flags & CreateNew) creation = CREATE_NEW;
    if (flags & CreateAlways) creation = CREATE_ALWAYS;
    const std::wstring wide = setup::ToWide(path);
    HANDLE h = ::CreateFileW(wide.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    owned_.Reset(h);
    handle_ = h;
    return true;
}

void FileStream::Attach(HANDLE borrowed) {
    Close();
    handle_ = borrowed;
}

size_t FileStream::Write(const void* data, size_t count) {
    if (!IsOpen()) return 0;
    size_t done = 0;
    while (done < count) {
        const DWORD part = DWORD(std::min<size_t>(count - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle_, static_cast<const char*>(data) + done, part, &written, nullptr) || written == 0) break;
        done += written;
    }
    return done;
}

size_t FileStream::Read(void* data, size_t count) {
    if (!IsOpen()) return 0;
    size_t done = 0;
    while (done < count) {
        const DWORD part = DWORD(std::min<size_t>(count - done, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(handle_, static_cast<char*>(data) + done, part, &read, nullptr) || read == 0) break;
        done += read;
    }
    return done;
}

int64_t FileStream::Seek(int64_t offset, int origin) {
    if (!IsOpen()) return -1;
    LARGE_INTEGER distance;
    DWORD method = FILE_BEGIN;
    switch (origin) {
    case SeekBegin: distance.QuadPart = offset; break;
    case SeekCurrent: distance.QuadPart = offset; method = FILE_CURRENT; break;
    case SeekEnd: distance.QuadPart = -offset; method = FILE_END; break;
    default: return -1;
    }
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(handle_, distance, &position, method)) return -1;
    return position.QuadPart;
}

uint64_t FileStream::Size() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !::GetFileSizeEx(handle_, &size)) return 0;
    return uint64_t(size.QuadPart);
}

uint64_t FileStream::Tell() const {
    if (!IsOpen()) return 0;
    LARGE_INTEGER zero{}, position;
    if (!::SetFilePointerEx(handle_, zero, &position, FILE_CURRENT)) return 0;
    return uint64_t(position.QuadPart);
}

void FileStream::Close() {
    owned_.Reset();
    handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace QV

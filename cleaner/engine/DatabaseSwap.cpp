#include "engine/DatabaseSwap.h"

#include "engine/FileRemoval.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace {

constexpr int kNameAttempts = 4;
constexpr DWORD kCopyChunk = 1 << 20;

bool FileSize(const std::string& path, uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool Move(const std::string& from, const std::string& to, DWORD flags = 0) {
    return ::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), flags | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// A free random name beside `path`, taken by `take` (a rename or a hard link).
template <typename Take>
bool TakeRandomName(const std::string& path, std::string& name, Take take) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = RandomizedFileName(path);
        if (take(name)) return true;
        if (::GetFileAttributesW(SystemPath(name).c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // no clash
    }
    return false;
}

void Discard(const std::string& path) {
    if (!KillFile(path)) (void)::DeleteFileW(SystemPath(path).c_str());
}

}  // namespace

bool Win32DatabaseFiles::Exists(const std::string& path) {
    uint64_t size = 0;
    return FileSize(path, size);
}

uint64_t Win32DatabaseFiles::GroupSize(const std::string& path) {
    uint64_t total = 0;
    for (const char* suffix : {"", "-wal", "-journal"}) {
        uint64_t size = 0;
        if (FileSize(path + suffix, size)) total += size;
    }
    return total;
}

bool Win32DatabaseFiles::Copy(const std::string& from, const std::string& to) {
    // Read beside SQLite's own handle, which writes; the copy is new, ours alone while written.
    FileHandle in(::CreateFileW(SystemPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return false;
    FileHandle out(::CreateFileW(SystemPath(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out) return false;
    const std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!::ReadFile(in.Get(), buffer.get(), kCopyChunk, &read, nullptr)) return false;
        if (read == 0) return true;
        if (!::WriteFile(out.Get(), buffer.get(), read, &written, nullptr) || written != read) return false;
    }
}

void Win32DatabaseFiles::RemoveScratch(const std::string& path) {
    if (Exists(path)) Discard(path);
}

bool Win32DatabaseFiles::Replace(const std::string& original, const std::string& cleaned) {
    // The companions hold nothing by now (the log was checkpointed, a hot journal rolled back),
    // but a browser would read them with the new file: they leave their names first.
    struct Moved {
        std::string from, to;
    };
    std::vector<Moved> moved;
    auto undo = [&] {
        for (size_t i = moved.size(); i-- > 0;) (void)Move(moved[i].to, moved[i].from);
    };
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const std::string companion = original + suffix;
        if (!Exists(companion)) continue;
        std::string hidden;
        if (!TakeRandomName(companion, hidden, [&](const std::string& n) { return Move(companion, n); })) {
            undo();
            return false;
        }
        moved.push_back({companion, hidden});
    }
    std::string old;
    const bool linked = TakeRandomName(original, old, [&](const std::string& n) {
        return ::CreateHardLinkW(SystemPath(n).c_str(), SystemPath(original).c_str(), nullptr) != FALSE;
    });
    if (!linked) {
        if (!TakeRandomName(original, old, [&](const std::string& n) { return Move(original, n); })) {
            undo();
            return false;
        }
        moved.push_back({original, old});
    }
    if (!Move(cleaned, original, MOVEFILE_REPLACE_EXISTING)) {
        if (linked) (void)::DeleteFileW(SystemPath(old).c_str());  // the original still holds its name
        undo();
        return false;
    }
    if (linked) Discard(old);
    for (const Moved& m : moved)
        if (m.from != original) Discard(m.to);
    if (!linked) Discard(old);
    return true;
}

std::shared_ptr<DatabaseFiles> MakeWin32DatabaseFiles() { return std::make_shared<Win32DatabaseFiles>(); }

#pragma once
// A stream over one Win32 file handle.
#include "qv/Stream.h"
#include "win/Handles.h"

#include <string>

namespace QV {

class FileStream : public Stream {
public:
    // Flag word of the general open: one access, one share and one creation flag.
    enum Flags : unsigned {
        AccessRead = 0x0001,
        AccessWrite = 0x0002,
        AccessReadWrite = 0x0003,
        ShareNone = 0x0000,
        ShareRead = 0x0010,
        ShareWrite = 0x0020,
        ShareReadWrite = 0x0030,
        CreateNew = 0x0100,
        CreateAlways = 0x0200,
        OpenExisting = 0x0400,
    };

    FileStream() = default;
    ~FileStream() override { Close(); }
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // GENERIC_READ, shared for reading, the file must exist.
    [[nodiscard]] bool OpenRead(const std::u16string& path);
    // GENERIC_WRITE, not shared, created or truncated.
    [[nodiscard]] bool OpenWrite(const std::u16string& path);
    [[nodiscard]] bool Open(const std::u16string& path, unsigned flags);
    // Works over a handle someone else owns (the program's own file): Close leaves it open.
    void Attach(HANDLE borrowed);
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }

    size_t Write(const void* data, size_t count) override;
    size_t Read(void* data, size_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    uint64_t Size() const override;
    // A file stream only reports its size: true when it already has that size.
    [[nodiscard]] bool Resize(uint64_t size) override { return size == Size(); }
    uint64_t Tell() const override;
    void Close() override;

private:
    setup::FileHandle owned_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace QV

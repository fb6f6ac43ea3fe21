#pragma once
#include "platform/Handles.h"
#include "targets/ByteStream.h"

#include <string>

// A ByteStream over a Win32 file handle. Reading: shared for reading, the file must exist.
// Writing: not shared, created or truncated.
class BinaryFile final : public ByteStream {
public:
    enum class Mode { Read, Write };
    [[nodiscard]] bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return handle_.IsValid(); }
    size_t Write(const void* data, size_t count) override;
    size_t Read(void* data, size_t count) override;
    void Seek(int64_t distance, Origin origin) override;
    uint64_t Position() const override;
    uint64_t Size() const override;

private:
    UniqueHandle<FileHandleTraits> handle_;
};

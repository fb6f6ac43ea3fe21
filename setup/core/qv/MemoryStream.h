#pragma once
// A growable heap buffer as a stream; also the in-memory value of a blob property and the target
// of an archive member extracted to memory.
#include "qv/Stream.h"

#include <vector>

namespace QV {

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    MemoryStream(const void* data, size_t count);

    size_t Write(const void* data, size_t count) override;
    size_t Read(void* data, size_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    uint64_t Size() const override { return buffer_.size(); }
    [[nodiscard]] bool Resize(uint64_t size) override;
    uint64_t Tell() const override { return position_; }
    void Close() override;

    // Null while nothing is allocated.
    const uint8_t* Data() const { return buffer_.empty() ? nullptr : buffer_.data(); }
    uint8_t* Data() { return buffer_.empty() ? nullptr : buffer_.data(); }

private:
    std::vector<uint8_t> buffer_;
    uint64_t position_ = 0;
};

}  // namespace QV

#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The abstract byte stream the property tree codec reads and writes through.
class ByteStream {
public:
    enum class Origin { Begin, Current, End };
    virtual ~ByteStream() = default;
    [[nodiscard]] virtual size_t Write(const void* data, size_t count) = 0;
    [[nodiscard]] virtual size_t Read(void* data, size_t count) = 0;
    virtual void Seek(int64_t distance, Origin origin) = 0;
    [[nodiscard]] virtual uint64_t Position() const = 0;
    [[nodiscard]] virtual uint64_t Size() const = 0;
    // Bytes between the position and the end: bounds counts read from untrusted data.
    [[nodiscard]] uint64_t Remaining() const {
        uint64_t size = Size(), pos = Position();
        return pos < size ? size - pos : 0;
    }
};

// A growable memory buffer with a position (downloaded data, records of the custom targets file).
class MemoryStream final : public ByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : buffer_(std::move(bytes)) {}
    size_t Write(const void* data, size_t count) override;
    size_t Read(void* data, size_t count) override;
    void Seek(int64_t distance, Origin origin) override;
    uint64_t Position() const override { return position_; }
    uint64_t Size() const override { return buffer_.size(); }
    const std::vector<uint8_t>& Bytes() const { return buffer_; }

private:
    std::vector<uint8_t> buffer_;
    size_t position_ = 0;
};

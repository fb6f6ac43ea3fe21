#pragma once
// Byte streams of the setup program. A stream has a small set of virtual operations (what differs
// between a file and a memory buffer) and, on top of them, the typed reads and writes of the
// tree-data format. Every typed read reports whether all its bytes were there, so a truncated file
// is a clean failure rather than garbage.
#include <cstddef>
#include <cstdint>
#include <string>

namespace QV {

enum SeekOrigin { SeekBegin = 0, SeekCurrent = 1, SeekEnd = 2 };

class Stream {
public:
    virtual ~Stream() = default;
    virtual size_t Write(const void* data, size_t count) = 0;
    virtual size_t Read(void* data, size_t count) = 0;
    // Returns the new position, or -1 when the stream cannot seek there.
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    virtual uint64_t Size() const = 0;
    [[nodiscard]] virtual bool Resize(uint64_t size) = 0;
    virtual uint64_t Tell() const = 0;
    virtual void Close() = 0;

    // Bytes between the position and the end: the most any count read from the stream can cover.
    uint64_t Remaining() const;

    bool WriteByte(uint8_t value);
    bool WriteWord(uint16_t value);
    bool WriteDword(uint32_t value);
    bool WriteDouble(double value);
    // Length field: one byte below 255, else FF and a word below 65,535, else FF FF FF and a dword.
    bool WriteLength(uint32_t length);
    bool WriteString(const std::string& text);
    bool WriteWString(const std::u16string& text);

    [[nodiscard]] bool ReadByte(uint8_t& value);
    [[nodiscard]] bool ReadWord(uint16_t& value);
    [[nodiscard]] bool ReadDword(uint32_t& value);
    [[nodiscard]] bool ReadDouble(double& value);
    [[nodiscard]] bool ReadLength(uint32_t& length);
    // Fail without allocating when the length is beyond the stream's remaining bytes.
    [[nodiscard]] bool ReadString(std::string& text);
    [[nodiscard]] bool ReadWString(std::u16string& text);
    [[nodiscard]] bool ReadExact(void* data, size_t count) { return Read(data, count) == count; }
};

}  // namespace QV

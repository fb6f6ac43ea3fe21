#include "qv/Stream.h"

#include <cstring>

namespace QV {

uint64_t Stream::Remaining() const {
    const uint64_t size = Size();
    const uint64_t pos = Tell();
    return pos < size ? size - pos : 0;
}

bool Stream::WriteByte(uint8_t value) { return Write(&value, 1) == 1; }

bool Stream::WriteWord(uint16_t value) {
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    return Write(b, 2) == 2;
}

bool Stream::WriteDword(uint32_t value) {
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return Write(b, 4) == 4;
}

bool Stream::WriteDouble(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return WriteDword(uint32_t(bits)) && WriteDword(uint32_t(bits >> 32));
}

bool Stream::WriteLength(uint32_t length) {
    if (length < 0xFF) return WriteByte(uint8_t(length));
    if (!WriteByte(0xFF)) return false;
    if (length < 0xFFFF) return WriteWord(uint16_t(length));
    return WriteWord(0xFFFF) && WriteDword(length);
}

bool Stream::WriteString(const std::string& text) {
    if (!WriteLength(uint32_t(text.size()))) return false;
    return text.empty() || Write(text.data(), text.size()) == text.size();
}

bool Stream::WriteWString(const std::u16string& text) {
    if (!WriteLength(uint32_t(text.size()))) return false;
    for (char16_t c : text) {
        if (!WriteWord(uint16_t(c))) return false;
    }
    return true;
}

bool Stream::ReadByte(uint8_t& value) { return Read(&value, 1) == 1; }

bool Stream::ReadWord(uint16_t& value) {
    uint8_t b[2];
    if (Read(b, 2) != 2) return false;
    value = uint16_t(b[0] | (b[1] << 8));
    return true;
}

bool Stream::ReadDword(uint32_t& value) {
    uint8_t b[4];
    if (Read(b, 4) != 4) return false;
    value = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool Stream::ReadDouble(double& value) {
    uint32_t low, high;
    if (!ReadDword(low) || !ReadDword(high)) return false;
    const uint64_t bits = (uint64_t(high) << 32) | low;
    std::memcpy(&value, &bits, 8);
    return true;
}

bool Stream::ReadLength(uint32_t& length) {
    uint8_t b;
    if (!ReadByte(b)) return false;
    if (b != 0xFF) {
        length = b;
        return true;
    }
    uint16_t w;
    if (!ReadWord(w)) return false;
    if (w != 0xFFFF) {
        length = w;
        return true;
    }
    return ReadDword(length);
}

bool Stream::ReadString(std::string& text) {
    uint32_t length;
    if (!ReadLength(length) || length > Remaining()) return false;
    text.assign(length, '\0');
    return length == 0 || ReadExact(&text[0], length);
}

bool Stream::ReadWString(std::u16string& text) {
    uint32_t length;
    if (!ReadLength(length) || uint64_t(length) * 2 > Remaining()) return false;
    text.assign(length, u'\0');
    for (uint32_t i = 0; i < length; ++i) {
        uint16_t w;
        if (!ReadWord(w)) return false;
        text[i] = char16_t(w);
    }
    return true;
}

}  // namespace QV

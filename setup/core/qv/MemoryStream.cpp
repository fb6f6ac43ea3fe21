#include "qv/MemoryStream.h"

#include <cstring>
#include <new>

namespace QV {

MemoryStream::MemoryStream(const void* data, size_t count) {
    if (count) buffer_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count);
}

size_t MemoryStream::Write(const void* data, size_t count) {
    if (count == 0) return 0;
    const uint64_t end = position_ + count;
    if (end > buffer_.size() && !Resize(end)) return 0;
    std::memcpy(buffer_.data() + position_, data, count);
    position_ = end;
    return count;
}

size_t MemoryStream::Read(void* data, size_t count) {
    if (buffer_.empty() || position_ >= buffer_.size()) return 0;
    const size_t available = size_t(buffer_.size() - position_);
    if (count > available) count = available;
    std::memcpy(data, buffer_.data() + position_, count);
    position_ += count;
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, int origin) {
    const int64_t size = int64_t(buffer_.size());
    int64_t target;
    switch (origin) {
    case SeekBegin: target = offset; break;
    case SeekCurrent: target = int64_t(position_) + offset; break;
    case SeekEnd: target = offset > size ? 0 : size - offset; break;
    default: return -1;
    }
    if (target < 0) target = 0;
    if (target > size) target = size;
    position_ = uint64_t(target);
    return target;
}

bool MemoryStream::Resize(uint64_t size) {
    if (size == 0) {
        Close();
        return true;
    }
    if (size > buffer_.max_size()) return false;
    // A size read from a damaged file can be huge: an allocation failure is a failed resize.
    try {
        buffer_.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (position_ > size) position_ = size;
    return true;
}

void MemoryStream::Close() {
    std::vector<uint8_t>().swap(buffer_);
    position_ = 0;
}

}  // namespace QV

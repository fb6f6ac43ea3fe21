#include "targets/ByteStream.h"

#include <algorithm>
#include <cstring>

size_t MemoryStream::Write(const void* data, size_t count) {
    if (count == 0) return 0;
    if (position_ + count > buffer_.size()) buffer_.resize(position_ + count);
    std::memcpy(buffer_.data() + position_, data, count);
    position_ += count;
    return count;
}

size_t MemoryStream::Read(void* data, size_t count) {
    size_t available = position_ < buffer_.size() ? buffer_.size() - position_ : 0;
    size_t n = std::min(available, count);
    if (n) std::memcpy(data, buffer_.data() + position_, n);
    position_ += n;
    return n;
}

void MemoryStream::Seek(int64_t distance, Origin origin) {
    int64_t size = static_cast<int64_t>(buffer_.size());
    int64_t target = 0;
    switch (origin) {
    case Origin::Begin: target = distance; break;
    case Origin::Current: target = static_cast<int64_t>(position_) + distance; break;
    // Back from the end; a distance beyond the size gives position 0.
    case Origin::End: target = distance > size ? 0 : size - distance; break;
    }
    position_ = static_cast<size_t>(std::clamp<int64_t>(target, 0, size));
}

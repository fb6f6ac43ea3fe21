#include "skin/ListLine.h"

namespace list_line {
namespace {

std::string_view Cut(std::string_view text) {
    return text.size() > kMaxValue ? text.substr(0, kMaxValue) : text;
}

char HeaderByte(size_t value) { return static_cast<char>(static_cast<unsigned char>(value + 1)); }

size_t ValueOf(char byte) { return static_cast<unsigned char>(byte) - 1u; }

}  // namespace

std::string Encode(int kind, int state, std::string_view name, std::string_view files,
                   std::string_view items, std::string_view size) {
    const auto small = [](int v) { return v < 0 || v > static_cast<int>(kMaxValue) ? 0u : static_cast<size_t>(v); };
    name = Cut(name);
    files = Cut(files);
    items = Cut(items);
    size = Cut(size);
    std::string out;
    out.reserve(kHeaderSize + name.size() + files.size() + items.size() + size.size());
    out += HeaderByte(small(kind));
    out += HeaderByte(small(state));
    out += HeaderByte(name.size());
    out += HeaderByte(files.size());
    out += HeaderByte(items.size());
    out += HeaderByte(size.size());
    out.append(name).append(files).append(items).append(size);
    return out;
}

std::string Encode(const ResultLine& line) {
    return Encode(static_cast<int>(line.kind), line.state, line.name, line.files, line.items, line.size);
}

bool Decode(std::string_view stored, ResultLine& out) {
    if (stored.size() < kHeaderSize) return false;
    for (size_t i = 0; i < kHeaderSize; ++i)
        if (stored[i] == '\0') return false;
    const size_t lengths[4] = {ValueOf(stored[2]), ValueOf(stored[3]), ValueOf(stored[4]), ValueOf(stored[5])};
    if (lengths[0] + lengths[1] + lengths[2] + lengths[3] != stored.size() - kHeaderSize) return false;
    ResultLine line;
    line.kind = static_cast<LineKind>(ValueOf(stored[0]));
    line.state = static_cast<RunState>(ValueOf(stored[1]));
    size_t at = kHeaderSize;
    std::string* texts[4] = {&line.name, &line.files, &line.items, &line.size};
    for (int i = 0; i < 4; ++i) {
        texts[i]->assign(stored.substr(at, lengths[i]));
        at += lengths[i];
    }
    out = std::move(line);
    return true;
}

int KindOf(std::string_view stored) {
    if (stored.size() < kHeaderSize || stored[0] == '\0') return -1;
    return static_cast<int>(ValueOf(stored[0]));
}

}  // namespace list_line

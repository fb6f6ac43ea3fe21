#include "skin/ResultLine.h"

#include <utility>

namespace {
// Cut between characters, never inside one: a name cut in the middle of a UTF-8 sequence would
// not convert for the list at all.
std::string Cut(std::string text) {
    if (text.size() <= ResultLine::kMaxTextLength) return text;
    size_t end = ResultLine::kMaxTextLength;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}
}  // namespace

ResultLine ResultLine::Make(LineKind kind, RunState state, std::string name, std::string files,
                            std::string items, std::string size) {
    ResultLine line;
    line.kind = kind;
    line.state = state;
    line.name = Cut(std::move(name));
    line.files = Cut(std::move(files));
    line.items = Cut(std::move(items));
    line.size = Cut(std::move(size));
    return line;
}

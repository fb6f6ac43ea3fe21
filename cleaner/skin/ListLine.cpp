#include "skin/ListLine.h"

namespace list_line {

std::string Encode(int kind, int state, std::string_view name, std::string_view files,
                   std::string_view items, std::string_view size) {
    Parts<char> parts;
    parts.kind = kind;
    parts.state = state;
    parts.texts[0] = name;
    parts.texts[1] = files;
    parts.texts[2] = items;
    parts.texts[3] = size;
    return EncodeParts(parts);
}

std::string Encode(const ResultLine& line) {
    return Encode(static_cast<int>(line.kind), line.state, line.name, line.files, line.items, line.size);
}

bool Decode(std::string_view stored, ResultLine& out) {
    Parts<char> parts;
    if (!DecodeParts(stored, parts)) return false;
    ResultLine line;
    line.kind = static_cast<LineKind>(parts.kind);
    line.state = static_cast<RunState>(parts.state);
    line.name = std::move(parts.texts[0]);
    line.files = std::move(parts.texts[1]);
    line.items = std::move(parts.texts[2]);
    line.size = std::move(parts.texts[3]);
    out = std::move(line);
    return true;
}

int KindOf(std::string_view stored) { return KindOfParts(stored); }

}  // namespace list_line

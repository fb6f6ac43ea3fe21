#include "skin/ResultLine.h"

#include <utility>

namespace {
std::string Cut(std::string text) {
    if (text.size() > ResultLine::kMaxTextLength) text.resize(ResultLine::kMaxTextLength);
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

#include "skin/SkinGeometry.h"

#include "skin/ResultLine.h"

#include <algorithm>
#include <cstdint>

namespace skin_geometry {

bool StartsDrag(int y) { return y >= 0 && y < kTitleBandHeight; }

Point CloseButtonOrigin(int windowWidth) { return {windowWidth - 34, 4}; }

int LineHeight(int kind, int defaultHeight) {
    switch (kind) {
    case static_cast<int>(LineKind::Heading):
    case static_cast<int>(LineKind::Target): return 40;
    case static_cast<int>(LineKind::Summary): return 80;
    default: return defaultHeight;
    }
}

int ProgressFill(int clientWidth, int lower, int upper, int position) {
    if (clientWidth <= 0 || upper <= lower) return 0;
    const int64_t done = std::clamp<int64_t>(int64_t{position} - lower, 0, int64_t{upper} - lower);
    return static_cast<int>(int64_t{clientWidth} * done / (int64_t{upper} - lower));
}

int BannerFrame(unsigned counter, int frameCount, BannerMode mode) {
    if (frameCount <= 1) return 0;
    const unsigned n = static_cast<unsigned>(frameCount);
    const int inCycle = static_cast<int>(counter % n);
    if (mode != BannerMode::BackAndForth) return inCycle;
    return (counter / n) % 2 == 1 ? inCycle : frameCount - 1 - inCycle;
}

namespace {
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Matches(const LetterLine& line, char letter) {
    return line.kind == static_cast<int>(LineKind::Target) && !line.name.empty() && Upper(line.name.front()) == letter;
}
}  // namespace

int NextLetterLine(const std::vector<LetterLine>& lines, int current, char letter) {
    letter = Upper(letter);
    if (letter < 'A' || letter > 'Z') return -1;
    const int count = static_cast<int>(lines.size());
    for (int i = std::max(current + 1, 0); i < count; ++i)
        if (Matches(lines[i], letter)) return i;
    for (int i = 0; i < count && i <= current; ++i)
        if (Matches(lines[i], letter)) return i;
    return -1;
}

}  // namespace skin_geometry

#pragma once
// Pure layout and timing decisions of the skinned windows and controls, kept free of Win32 so the
// native tests can check them.
#include <string_view>
#include <vector>

namespace skin_geometry {

// Height of the title band: a left press above this line starts a drag.
constexpr int kTitleBandHeight = 27;
// Height of the bottom band.
constexpr int kBottomBandHeight = 48;
// Width of the gradient edge on the left and right of the body.
constexpr int kEdgeWidth = 16;
// Corner ellipse of the window region and the outline.
constexpr int kCornerSize = 24;

// True when a left press at this client y starts dragging the window (inside the title band).
bool StartsDrag(int y);

// Top-left corner of the close button (21 x 21) in a window of this width.
struct Point { int x; int y; };
Point CloseButtonOrigin(int windowWidth);

// Result-list line heights by stored line kind (LineKind): headings and target lines 40, the
// summary 80, others the list's own.
int LineHeight(int kind, int defaultHeight);

// Filled width of the progress bar. The range is taken from lower to upper; an empty or inverted
// range fills nothing, and the result always lies within 0..clientWidth.
int ProgressFill(int clientWidth, int lower, int upper, int position);

// Banner frames: type 0 loops 0..n-1; type 1 plays forwards while (counter / n) is odd and
// backwards while it is even. A strip without frames shows frame 0.
enum class BannerMode : int { Loop = 0, BackAndForth = 1 };
int BannerFrame(unsigned counter, int frameCount, BannerMode mode);

// Letter-key navigation of the result list. Each entry is one line: its kind and its first text.
struct LetterLine {
    int kind;
    std::string_view name;
};
// The index of the next target line (LineKind::Target) after `current` whose name begins with `letter` in
// either case; when there is none below, the first such line from the top; -1 when there is none
// at all or `letter` is not A..Z.
int NextLetterLine(const std::vector<LetterLine>& lines, int current, char letter);

}  // namespace skin_geometry

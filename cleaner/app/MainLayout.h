#pragma once
// The main window's pictures, in the same pixels as its template (DlgMain.rc), which the window
// reads as pixels: the header above the result list, the footer panel behind Scan, Kill and Stop.
namespace main_layout {

struct Box {
    int x, y, width, height;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};

constexpr Box kHeader{28, 44, 425, 180};  // bitmap 208
constexpr Box kFooter{28, 398, 425, 77};  // bitmap 209

}  // namespace main_layout

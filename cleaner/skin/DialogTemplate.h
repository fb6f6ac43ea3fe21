#pragma once
// Reads the geometry out of a dialog template resource (the classic and the extended form), so
// that skinned windows can take their template's numbers as pixels: their pictures and frames are
// drawn in pixels, and controls placed in dialog units would drift away from them whenever the
// dialog font differs from the one the artwork was drawn for.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace dialog_template {

struct Rect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct Item {
    uint32_t id = 0;
    Rect rect;
};

struct Geometry {
    Rect dialog;
    std::vector<Item> items;
};

// The dialog's and every item's rectangle as the template states them. Nothing when the bytes are
// not a whole template (cut short, a string without its end).
std::optional<Geometry> ReadGeometry(const uint8_t* data, size_t size);

}  // namespace dialog_template

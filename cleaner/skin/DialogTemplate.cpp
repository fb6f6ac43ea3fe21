#include "skin/DialogTemplate.h"

namespace dialog_template {
namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT (DS_SHELLFONT includes it)

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Ok() const { return ok_; }
    uint16_t Word() {
        if (!Need(2)) return 0;
        const uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        const uint32_t high = Word();
        return low | (high << 16);
    }
    int Short() { return static_cast<int16_t>(Word()); }
    void Skip(size_t n) {
        if (Need(n)) pos_ += n;
    }
    // A zero-terminated UTF-16 string.
    void SkipString() {
        while (ok_ && Word() != 0) {
        }
    }
    // Nothing (0), an ordinal (0xFFFF and one word) or a string.
    void SkipNameOrOrdinal() {
        const uint16_t first = Word();
        if (first == 0) return;
        if (first == 0xFFFF) {
            (void)Word();
            return;
        }
        SkipString();
    }
    void AlignDword() { Skip((4 - pos_ % 4) % 4); }

private:
    bool Need(size_t n) {
        if (!ok_ || size_ - pos_ < n) ok_ = false;
        return ok_;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

Rect ReadRect(Reader& in) {
    Rect r;
    r.x = in.Short();
    r.y = in.Short();
    r.cx = in.Short();
    r.cy = in.Short();
    return r;
}

}  // namespace

std::optional<Geometry> ReadGeometry(const uint8_t* data, size_t size) {
    if (!data || size < 4) return std::nullopt;
    Reader in(data, size);
    const bool extended = data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    Geometry g;
    uint32_t style = 0;
    uint16_t count = 0;
    if (extended) {
        in.Skip(4 + 4 + 4);  // version and signature, help id, extended style
        style = in.Dword();
    } else {
        style = in.Dword();
        in.Skip(4);  // extended style
    }
    count = in.Word();
    g.dialog = ReadRect(in);
    in.SkipNameOrOrdinal();  // menu
    in.SkipNameOrOrdinal();  // class
    in.SkipString();         // title
    if (style & kSetFont) {
        in.Skip(2);                 // point size
        if (extended) in.Skip(4);   // weight, italic, character set
        in.SkipString();            // typeface
    }
    for (uint16_t i = 0; i < count && in.Ok(); ++i) {
        in.AlignDword();
        Item item;
        if (extended) {
            in.Skip(4 + 4 + 4);  // help id, extended style, style
            item.rect = ReadRect(in);
            item.id = in.Dword();
        } else {
            in.Skip(4 + 4);  // style, extended style
            item.rect = ReadRect(in);
            item.id = in.Word();
        }
        in.SkipNameOrOrdinal();  // class
        in.SkipNameOrOrdinal();  // title
        in.Skip(in.Word());      // creation data
        g.items.push_back(item);
    }
    if (!in.Ok()) return std::nullopt;
    return g;
}

}  // namespace dialog_template

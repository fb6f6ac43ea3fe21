#include "targets/StoredText.h"

namespace {

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c > 0x7F) return false;
    return true;
}

class AsciiText final : public StoredText {
public:
    bool Load(std::string_view stored, std::string& text) const override { return Copy(stored, text); }
    bool Store(std::string_view text, std::string& stored) const override { return Copy(text, stored); }

private:
    static bool Copy(std::string_view from, std::string& to) {
        to.clear();
        if (!IsAscii(from)) return false;
        to.assign(from);
        return true;
    }
};

}  // namespace

const StoredText& AsciiStoredText() {
    static const AsciiText text;
    return text;
}

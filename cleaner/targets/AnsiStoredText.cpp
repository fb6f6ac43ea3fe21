#include "targets/AnsiStoredText.h"

#include "platform/Text.h"

namespace {

class AnsiText final : public StoredText {
public:
    bool Load(std::string_view stored, std::string& text) const override { return Utf8FromAnsi(stored, text); }
    bool Store(std::string_view text, std::string& stored) const override { return AnsiFromUtf8(text, stored); }
};

}  // namespace

const StoredText& AnsiCodePageText() {
    static const AnsiText text;
    return text;
}

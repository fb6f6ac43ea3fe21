#include "targets/JsonCursor.h"

namespace {

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

JsonCursor::JsonCursor(std::string_view text, LoneSurrogate lone) : text_(text), lone_(lone) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // a byte-order mark
}

char JsonCursor::Next() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
        ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
}

bool JsonCursor::Consume(char c) {
    if (Next() != c || pos_ >= text_.size()) return false;
    ++pos_;
    return true;
}

bool JsonCursor::AtEnd() {
    (void)Next();
    return pos_ == text_.size();
}

bool JsonCursor::Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
}

bool JsonCursor::Digits() {
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    return pos_ > start;
}

bool JsonCursor::Number() {
    (void)Literal("-");
    if (!Literal("0") && !Digits()) return false;  // a leading 0 stands alone
    if (Literal(".") && !Digits()) return false;
    if (Literal("e") || Literal("E")) {
        if (!Literal("+")) (void)Literal("-");
        if (!Digits()) return false;
    }
    return true;
}

bool JsonCursor::Scalar() {
    const char c = Next();
    if (c == '-' || (c >= '0' && c <= '9')) return Number();
    return Literal("true") || Literal("false") || Literal("null");
}

bool JsonCursor::Hex4(unsigned& value) {
    if (text_.size() - pos_ < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = text_[pos_++];
        value <<= 4;
        if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
        else return false;
    }
    return true;
}

bool JsonCursor::Escape(std::string& out) {
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_++];
    switch (c) {
        case '"': out += '"'; return true;
        case '\\': out += '\\'; return true;
        case '/': out += '/'; return true;
        case 'b': out += '\b'; return true;
        case 'f': out += '\f'; return true;
        case 'n': out += '\n'; return true;
        case 'r': out += '\r'; return true;
        case 't': out += '\t'; return true;
        case 'u': break;
        default: return false;
    }
    unsigned cp = 0;
    if (!Hex4(cp)) return false;
    if (cp >= 0xD800 && cp <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
        const size_t mark = pos_;
        pos_ += 2;
        unsigned low = 0;
        if (!Hex4(low)) return false;
        if (low >= 0xDC00 && low <= 0xDFFF) cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        else pos_ = mark;  // not a pair: the high half stands alone
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {  // a lone half names no character
        if (lone_ == LoneSurrogate::Refuse) return false;
        cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
    return true;
}

bool JsonCursor::String(std::string& out) {
    out.clear();
    if (!Consume('"')) return false;
    while (pos_ < text_.size()) {
        const char c = text_[pos_++];
        if (c == '"') return true;
        if (static_cast<unsigned char>(c) < 0x20) return false;
        if (c == '\\') {
            if (!Escape(out)) return false;
            continue;
        }
        out += c;
    }
    return false;
}

#include "TreeText.h"

#include "config/Text.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace treedata {

namespace {

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    content = s.str();
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    return !name.empty() && name[0] == '/' ? name : folder + "/" + name;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    std::u16string one;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        one += char16_t(0xD800 + (cp >> 10));
        one += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
        one += char16_t(cp);
    }
    out += setup::U16ToUtf8(one);
}

enum class Tok { End, Word, String, Open, Close, Equals };

class Parser {
public:
    Parser(const std::string& text, std::string file, std::string folder, int depth)
        : text_(text), file_(std::move(file)), folder_(std::move(folder)), depth_(depth) {}

    bool ParseRoot(QV::TreeNode& root) {
        if (!Next()) return false;
        if (!ExpectWord("node")) return false;
        if (!ParseNode(root)) return false;
        if (tok_ != Tok::End) return Fail("text after the root node");
        return true;
    }

    // The items of an included file, into `node`.
    bool ParseItems(QV::TreeNode& node) {
        if (!Next()) return false;
        while (tok_ != Tok::End) {
            if (!ParseItem(node)) return false;
        }
        return true;
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = file_ + ":" + std::to_string(line_) + ": " + what;
        return false;
    }

    void SkipSpace() {
        for (;;) {
            while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
                if (text_[pos_] == '\n') ++line_;
                ++pos_;
            }
            if (text_.compare(pos_, 2, "//") != 0) return;
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        }
    }

    bool ReadQuoted(std::string& out) {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size()) return Fail("unterminated string");
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c == '\n') return Fail("line break inside a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) return Fail("unterminated string");
            const char e = text_[pos_++];
            switch (e) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x':
            case 'u': {
                const size_t digits = e == 'x' ? 2 : 4;
                if (pos_ + digits > text_.size()) return Fail("short escape");
                const std::string hex = text_.substr(pos_, digits);
                char* end = nullptr;
                const unsigned long v = std::strtoul(hex.c_str(), &end, 16);
                if (*end) return Fail("bad escape digits");
                pos_ += digits;
                if (e == 'x') {
                    out += char(v);
                } else {
                    AppendUtf8(out, uint32_t(v));
                }
                break;
            }
            default: return Fail(std::string("unknown escape \\") + e);
            }
        }
    }

    bool Next() {
        SkipSpace();
        value_.clear();
        if (pos_ >= text_.size()) {
            tok_ = Tok::End;
            return true;
        }
        const char c = text_[pos_];
        if (c == '{' || c == '}' || c == '=') {
            tok_ = c == '{' ? Tok::Open : c == '}' ? Tok::Close : Tok::Equals;
            ++pos_;
            return true;
        }
        if (c == '"') {
            tok_ = Tok::String;
            // Adjacent strings join, so long texts can span lines.
            for (;;) {
                if (!ReadQuoted(value_)) return false;
                SkipSpace();
                if (pos_ >= text_.size() || text_[pos_] != '"') return true;
            }
        }
        tok_ = Tok::Word;
        while (pos_ < text_.size()) {
            const char w = text_[pos_];
            if (std::isspace(static_cast<unsigned char>(w)) || w == '{' || w == '}' || w == '=' || w == '"') break;
            value_ += w;
            ++pos_;
        }
        return true;
    }

    bool ExpectWord(const char* word) {
        if (tok_ != Tok::Word || value_ != word) return Fail(std::string("expected ") + word);
        return Next();
    }

    bool TakeName(std::string& name) {
        if (tok_ != Tok::String && tok_ != Tok::Word) return Fail("expected a name");
        name = value_;
        return Next();
    }

    bool TakeNumber(long long& number) {
        if (tok_ != Tok::Word) return Fail("expected a number");
        char* end = nullptr;
        number = std::strtoll(value_.c_str(), &end, 0);
        if (value_.empty() || *end) return Fail("bad number " + value_);
        return Next();
    }

    bool ParseNode(QV::TreeNode& node) {
        std::string name;
        if (!TakeName(name)) return false;
        node.SetName(name);
        if (tok_ != Tok::Open) return Fail("expected {");
        if (!Next()) return false;
        while (tok_ != Tok::Close) {
            if (tok_ == Tok::End) return Fail("missing }");
            if (!ParseItem(node)) return false;
        }
        return Next();
    }

    bool ParseItem(QV::TreeNode& node) {
        if (tok_ != Tok::Word) return Fail("expected an item");
        const std::string kind = value_;
        if (!Next()) return false;
        if (kind == "node") {
            auto child = std::make_unique<QV::TreeNode>();
            if (!ParseNode(*child)) return false;
            const std::string name = child->Name();
            if (!node.AddChild(std::move(child))) return Fail("duplicate child \"" + name + "\"");
            return true;
        }
        if (kind == "include") {
            if (tok_ != Tok::String) return Fail("expected a file name");
            const std::string path = Join(folder_, value_);
            if (!Next()) return false;
            if (depth_ > 16) return Fail("includes nested too deeply");
            std::string content;
            if (!ReadWholeFile(path, content)) return Fail("cannot read " + path);
            Parser inner(content, path, FolderOf(path), depth_ + 1);
            if (!inner.ParseItems(node)) {
                error_ = inner.Error();
                return false;
            }
            return true;
        }
        std::string name;
        if (!TakeName(name)) return false;
        if (tok_ != Tok::Equals) return Fail("expected =");
        if (!Next()) return false;
        std::unique_ptr<QV::TreeProperty> property;
        if (!ParseValue(kind, name, property)) return false;
        if (!node.AddProperty(std::move(property))) return Fail("duplicate property \"" + name + "\"");
        return true;
    }

    bool ParseValue(const std::string& kind, const std::string& name, std::unique_ptr<QV::TreeProperty>& property) {
        static const std::pair<const char*, int> kIntegers[] = {
            {"dword", QV::TypeDword}, {"int", QV::TypeInt}, {"raw32", QV::TypeRaw32}, {"colour", QV::TypeColour}};
        for (const auto& [word, type] : kIntegers) {
            if (kind != word) continue;
            long long number;
            if (!TakeNumber(number)) return false;
            if (number < INT32_MIN || number > int64_t(UINT32_MAX)) return Fail("number out of range");
            property = std::make_unique<QV::TreeProperty>(name, type);
            property->SetInteger(type, uint32_t(number));
            return true;
        }
        property = std::make_unique<QV::TreeProperty>(name, QV::TypeEmpty);
        if (kind == "bool") {
            uint32_t v = 0;
            if (tok_ == Tok::Word && (value_ == "true" || value_ == "false")) {
                v = value_ == "true";
                if (!Next()) return false;
            } else {
                long long number;
                if (!TakeNumber(number)) return false;
                v = uint32_t(number);
            }
            property->SetInteger(QV::TypeBool, v);
            return true;
        }
        if (kind == "double") {
            if (tok_ != Tok::Word) return Fail("expected a number");
            char* end = nullptr;
            const double d = std::strtod(value_.c_str(), &end);
            if (*end) return Fail("bad number " + value_);
            property->SetDouble(d);
            return Next();
        }
        if (kind == "ansi" || kind == "wide") {
            if (tok_ != Tok::String) return Fail("expected a string");
            if (kind == "ansi") {
                property->SetAnsi(value_);
            } else {
                property->SetWide(setup::Utf8ToU16(value_));
            }
            return Next();
        }
        if (kind == "blob") return ParseBlob(*property);
        if (kind == "empty") {
            long long code;
            if (!TakeNumber(code)) return false;
            if (code < QV::TypeEmpty || code > 255) return Fail("empty types are 9 to 255");
            property->SetEmpty(int(code));
            return true;
        }
        return Fail("unknown item kind " + kind);
    }

    bool ParseBlob(QV::TreeProperty& property) {
        if (tok_ != Tok::Word || (value_ != "file" && value_ != "hex")) return Fail("expected file or hex");
        const bool fromFile = value_ == "file";
        if (!Next()) return false;
        if (tok_ != Tok::String) return Fail("expected a string");
        std::string bytes;
        if (fromFile) {
            const std::string path = Join(folder_, value_);
            if (!ReadWholeFile(path, bytes)) return Fail("cannot read " + path);
        } else {
            const std::string& hex = value_;
            if (hex.size() % 2) return Fail("odd number of hex digits");
            for (size_t i = 0; i < hex.size(); i += 2) {
                char* end = nullptr;
                const std::string pair = hex.substr(i, 2);
                const unsigned long v = std::strtoul(pair.c_str(), &end, 16);
                if (*end) return Fail("bad hex digits");
                bytes += char(v);
            }
        }
        property.SetBlob(bytes.data(), bytes.size());
        return Next();
    }

    const std::string& text_;
    std::string file_;
    std::string folder_;
    int depth_;
    size_t pos_ = 0;
    int line_ = 1;
    Tok tok_ = Tok::End;
    std::string value_;
    std::string error_;
};

std::string Quote(const std::string& utf8, bool bytes) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F || (bytes && c >= 0x80)) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string QuoteWide(const std::u16string& text) {
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == u'\\') {
            out += "\\\\";
        } else if (c == u'"') {
            out += "\\\"";
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) {
            // Surrogates are written one by one so unpaired ones survive a round trip.
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04X", unsigned(c));
            out += hex;
        } else {
            out += setup::U16ToUtf8(std::u16string(1, c));
        }
    }
    return out + "\"";
}

void PrintNode(const QV::TreeNode& node, int indent, std::string& out) {
    const std::string pad(size_t(indent) * 2, ' ');
    out += pad + "node " + Quote(node.Name(), true) + " {\n";
    const std::string inner = pad + "  ";
    for (const auto& [name, p] : node.Properties()) {
        const std::string quoted = Quote(name, true);
        char number[64];
        switch (p->Type()) {
        case QV::TypeDword:
            std::snprintf(number, sizeof number, "%u", unsigned(p->Integer()));
            out += inner + "dword " + quoted + " = " + number + "\n";
            break;
        case QV::TypeInt:
            std::snprintf(number, sizeof number, "%d", int(int32_t(p->Integer())));
            out += inner + "int " + quoted + " = " + number + "\n";
            break;
        case QV::TypeBool:
            if (p->Integer() <= 1) {
                out += inner + "bool " + quoted + " = " + (p->Integer() ? "true" : "false") + "\n";
            } else {
                std::snprintf(number, sizeof number, "0x%08X", unsigned(p->Integer()));
                out += inner + "bool " + quoted + " = " + number + "\n";
            }
            break;
        case QV::TypeRaw32:
            std::snprintf(number, sizeof number, "0x%08X", unsigned(p->Integer()));
            out += inner + "raw32 " + quoted + " = " + number + "\n";
            break;
        case QV::TypeColour:
            std::snprintf(number, sizeof number, "0x%08X", unsigned(p->Integer()));
            out += inner + "colour " + quoted + " = " + number + "\n";
            break;
        case QV::TypeDouble:
            std::snprintf(number, sizeof number, "%.17g", p->Double());
            out += inner + "double " + quoted + " = " + number + "\n";
            break;
        case QV::TypeAnsiString: out += inner + "ansi " + quoted + " = " + Quote(p->Ansi(), true) + "\n"; break;
        case QV::TypeWideString: out += inner + "wide " + quoted + " = " + QuoteWide(p->Wide()) + "\n"; break;
        case QV::TypeBlob: {
            const QV::MemoryStream* blob = p->Blob();
            const size_t size = blob ? size_t(blob->Size()) : 0;
            out += inner + "blob " + quoted + " = hex";
            if (size == 0) out += " \"\"";
            for (size_t i = 0; i < size; ++i) {
                if (i % 32 == 0) out += (i ? "\"\n" : "\n") + inner + "  \"";
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02x", blob->Data()[i]);
                out += hex;
            }
            out += size ? "\"\n" : "\n";
            break;
        }
        default:
            out += inner + "empty " + quoted + " = " + std::to_string(p->Type()) + "\n";
            break;
        }
    }
    for (const auto& entry : node.Children()) PrintNode(*entry.second, indent + 1, out);
    out += pad + "}\n";
}

}  // namespace

bool CompileText(const std::string& text, const std::string& baseFolder, QV::TreeNode& root, std::string& error) {
    root.Clear();
    Parser parser(text, "<text>", baseFolder, 0);
    if (parser.ParseRoot(root)) return true;
    error = parser.Error();
    return false;
}

bool CompileFile(const std::string& path, QV::TreeNode& root, std::string& error) {
    std::string content;
    if (!ReadWholeFile(path, content)) {
        error = "cannot read " + path;
        return false;
    }
    root.Clear();
    Parser parser(content, path, FolderOf(path), 0);
    if (parser.ParseRoot(root)) return true;
    error = parser.Error();
    return false;
}

std::string PrintTree(const QV::TreeNode& root) {
    std::string out;
    PrintNode(root, 0, out);
    return out;
}

}  // namespace treedata

#include "targets/BookmarksFile.h"

#include "targets/JsonCursor.h"

#include <cstdint>

namespace {

class Reader {
public:
    // An address that cannot be told exactly cannot be kept: such a file is not read at all.
    explicit Reader(std::string_view text) : json_(text, JsonCursor::LoneSurrogate::Refuse) {}

    bool Document(std::vector<std::string>& urls) {
        urls_ = &urls;
        return Value(0, false) && json_.AtEnd();
    }

private:
    // isUrl: the value of a "url" member, collected when it is a string.
    bool Value(int depth, bool isUrl) {
        if (depth > kMaxBookmarksDepth) return false;
        const char c = json_.Next();
        if (c == '{') {
            (void)json_.Consume('{');
            if (json_.Consume('}')) return true;
            do {
                std::string key;
                if (!json_.String(key) || !json_.Consume(':') || !Value(depth + 1, key == "url")) return false;
            } while (json_.Consume(','));
            return json_.Consume('}');
        }
        if (c == '[') {
            (void)json_.Consume('[');
            if (json_.Consume(']')) return true;
            do {
                if (!Value(depth + 1, false)) return false;
            } while (json_.Consume(','));
            return json_.Consume(']');
        }
        if (c == '"') {
            std::string s;
            if (!json_.String(s)) return false;
            if (isUrl) urls_->push_back(std::move(s));
            return true;
        }
        return json_.Scalar();
    }

    JsonCursor json_;
    std::vector<std::string>* urls_ = nullptr;
};

}  // namespace

std::optional<std::vector<std::string>> BookmarkedUrls(std::string_view json) {
    if (json.size() > kMaxBookmarksBytes) return std::nullopt;
    std::vector<std::string> urls;
    Reader reader(json);
    if (!reader.Document(urls)) return std::nullopt;
    return urls;
}

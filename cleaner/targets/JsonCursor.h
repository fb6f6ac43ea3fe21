#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The tokens of a JSON text, strictly as the standard writes them, for the small readers that
// take one thing out of a browser's JSON files (the profile list of "Local State", the bookmarked
// addresses of "Bookmarks"). The readers walk the structure themselves and keep what they need.
class JsonCursor {
public:
    // What a "\u" escape of a lone surrogate half gives: U+FFFD, or a refusal of the string where
    // a text must be known exactly (an address that is compared with another file's).
    enum class LoneSurrogate { Replace, Refuse };
    explicit JsonCursor(std::string_view text, LoneSurrogate lone = LoneSurrogate::Replace);

    // The next character after white space, '\0' at the end.
    char Next();
    // Consumes c when it is the next character after white space.
    bool Consume(char c);
    // Whether only white space is left.
    bool AtEnd();
    // A string (the next token must be one), its escapes decoded into UTF-8. False for anything
    // malformed.
    bool String(std::string& out);
    // A number, true, false or null.
    bool Scalar();

private:
    bool Literal(std::string_view word);
    bool Digits();
    bool Number();
    bool Hex4(unsigned& value);
    bool Escape(std::string& out);

    std::string_view text_;
    size_t pos_ = 0;
    LoneSurrogate lone_;
};

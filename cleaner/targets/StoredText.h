#pragma once
#include <string>
#include <string_view>

// How the 8-bit strings of a stored file (plug-in files, CustomTargets.tgs, banner.qbf) map to the
// program's UTF-8. The files keep the ANSI code page as older releases wrote it; the Windows build
// converts through the system (AnsiCodePageText), the neutral tools and tests through plain ASCII.
// Either conversion may refuse: the record that holds the string is then refused, never read or
// written as another name.
class StoredText {
public:
    virtual ~StoredText() = default;
    [[nodiscard]] virtual bool Load(std::string_view stored, std::string& text) const = 0;
    [[nodiscard]] virtual bool Store(std::string_view text, std::string& stored) const = 0;
};

// ASCII both ways: a byte above 0x7F has no meaning without a code page, so it refuses.
[[nodiscard]] const StoredText& AsciiStoredText();

#pragma once
#include <string>

// Standard output and error of TracelornCmd. Text is UTF-8 inside the program: to a console it is
// written as UTF-16 (so any code page shows it), to a pipe or a file as the UTF-8 bytes.
class ConsoleStream {
public:
    enum class Which { Output, Error };
    explicit ConsoleStream(Which which);

    [[nodiscard]] bool IsTerminal() const { return terminal_; }
    // The bytes as they are (a JSON report); to a terminal they are shown as text.
    bool Write(const std::string& text);
    // One line, ended with CR LF.
    bool Line(const std::string& text) { return Write(text + "\r\n"); }

private:
    void* handle_ = nullptr;  // borrowed from the process, never closed
    bool terminal_ = false;
};

#include "console/ConsoleOutput.h"

#include "platform/Text.h"

#include <windows.h>

#include <algorithm>

ConsoleStream::ConsoleStream(Which which) {
    handle_ = ::GetStdHandle(which == Which::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    terminal_ = handle_ && handle_ != INVALID_HANDLE_VALUE && ::GetFileType(handle_) == FILE_TYPE_CHAR &&
                ::GetConsoleMode(handle_, &mode);
}

bool ConsoleStream::Write(const std::string& text) {
    if (!handle_ || handle_ == INVALID_HANDLE_VALUE) return false;
    if (text.empty()) return true;
    if (terminal_) {
        std::wstring wide;
        if (!WideFromUtf8(text, wide)) wide = L"?";  // our own texts are valid; a name that is not shows as ?
        DWORD written = 0;
        return ::WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != FALSE;
    }
    for (size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
        if (!::WriteFile(handle_, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

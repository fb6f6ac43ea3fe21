#pragma once
// Reads one line of another process's result list as the cleaner stores it: six header units
// (value + 1: kind, state, the four text lengths in UTF-16 units), then the texts in UTF-16. Read
// with the wide LB_GETTEXT (Wine answers a cross-process ANSI one with UTF-16 anyway); the texts
// come back in UTF-8.
#include "platform/Handles.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

struct ListLineText {
    int kind = -1, state = -1;
    std::string texts[4];  // name, files, items, size
};

inline std::string Utf8Of(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

inline ListLineText ReadListLine(HWND list, int index) {
    ListLineText line;
    const LRESULT n = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 6 || n > 8192) return line;
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
    if (got < 6 || got > n) return line;
    wide.resize(static_cast<size_t>(got));
    line.kind = static_cast<int>(wide[0]) - 1;
    line.state = static_cast<int>(wide[1]) - 1;
    size_t pos = 6;
    for (size_t t = 0; t < 4; ++t) {
        const size_t length = static_cast<size_t>(wide[2 + t]) - 1;
        if (pos + length > wide.size()) break;
        line.texts[t] = Utf8Of(wide.substr(pos, length));
        pos += length;
    }
    return line;
}

// Another process's list view (the details window). A list view takes its item structure and text
// buffer by pointer and carries neither across processes: both live in a buffer allocated in the
// list's own process.
class RemoteListView {
public:
    explicit RemoteListView(HWND list) : list_(list) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(list, &pid);
        process_.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (process_)
            buffer_ = ::VirtualAllocEx(process_.Get(), nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteListView() {
        if (buffer_) ::VirtualFreeEx(process_.Get(), buffer_, 0, MEM_RELEASE);
    }
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    bool Usable() const { return buffer_ != nullptr; }
    int Count() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

    std::string Text(int row, int column) const {
        if (!buffer_) return {};
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = kTextChars;
        item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(buffer_) + kTextOffset);
        if (!Put(item)) return {};
        const LRESULT n = ::SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(buffer_));
        if (n <= 0 || n >= kTextChars) return {};
        std::wstring text(static_cast<size_t>(n), L'\0');
        SIZE_T got = 0;
        if (!::ReadProcessMemory(process_.Get(), item.pszText, &text[0], n * sizeof(wchar_t), &got)) return {};
        return Utf8Of(text);
    }
    // Only this row selected and focused, as a click selects it.
    void Select(int row) const {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        if (!Put(state)) return;
        ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buffer_));
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        if (!Put(state)) return;
        ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer_));
    }

private:
    static constexpr SIZE_T kSize = 8192;
    static constexpr SIZE_T kTextOffset = 512;
    static constexpr int kTextChars = 1024;
    bool Put(const LVITEMW& item) const {
        SIZE_T put = 0;
        return buffer_ && ::WriteProcessMemory(process_.Get(), buffer_, &item, sizeof item, &put) && put == sizeof item;
    }

    HWND list_;
    KernelHandle process_;
    void* buffer_ = nullptr;
};

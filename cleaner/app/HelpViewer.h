#pragma once
#include "platform/Handles.h"

#include <string>

// HTML Help through hhctrl.ocx, loaded on first use so that a machine without the viewer still
// runs the cleaner (help then does nothing).
class HelpViewer {
public:
    HelpViewer() = default;
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // Opens "<help file>::/<topic>"; false when the viewer is missing.
    [[nodiscard]] bool ShowTopic(HWND owner, const std::string& helpFile, const std::string& topic);
    // Opens a full address ("<help file>::/<topic>").
    [[nodiscard]] bool ShowAddress(HWND owner, const std::string& address);

private:
    using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    ModuleHandle module_;
    HtmlHelpProc htmlHelp_ = nullptr;
};

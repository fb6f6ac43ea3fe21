#include "app/HelpViewer.h"

#include "platform/SystemLibrary.h"

namespace {
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
}

bool HelpViewer::ShowTopic(HWND owner, const std::string& helpFile, const std::string& topic) {
    return ShowAddress(owner, helpFile + "::/" + topic);
}

bool HelpViewer::ShowAddress(HWND owner, const std::string& address) {
    if (!htmlHelp_) {
        if (!module_) module_.Reset(LoadSystemLibrary("hhctrl.ocx"));
        if (!module_) return false;
        htmlHelp_ = reinterpret_cast<HtmlHelpProc>(
            reinterpret_cast<void*>(::GetProcAddress(module_.Get(), "HtmlHelpA")));
        if (!htmlHelp_) return false;
    }
    htmlHelp_(owner, address.c_str(), kDisplayTopic, 0);
    return true;
}

#include "app/HelpViewer.h"

#include "platform/SystemLibrary.h"
#include "platform/Text.h"

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
            reinterpret_cast<void*>(::GetProcAddress(module_.Get(), "HtmlHelpW")));
        if (!htmlHelp_) return false;
    }
    // The help file lies in the program's folder, whose path may hold any script.
    htmlHelp_(owner, WideFromUtf8(address).c_str(), kDisplayTopic, 0);
    return true;
}

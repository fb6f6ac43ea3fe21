#include "app/ActionWindowBridge.h"

namespace {
constexpr UINT kRunStoppedMessage = WM_USER + 3;  // the checkpoint's "run stopped"
constexpr UINT kInvokeMessage = WM_APP + 1;       // work of the driver for the window thread
}  // namespace

bool ActionWindowBridge::OnMessage(UINT message, LPARAM lParam) {
    switch (message) {
        case kRunStoppedMessage: runStopped_(); return true;
        case kInvokeMessage: (*reinterpret_cast<const std::function<void()>*>(lParam))(); return true;
        default: return false;
    }
}

void ActionWindowBridge::RunOnWindowThread(const std::function<void()>& work) {
    HWND window = window_();
    if (!window || OnWindowThread()) {
        work();
        return;
    }
    ::SendMessageA(window, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void ActionWindowBridge::SendRunStopped() {
    if (OnWindowThread()) {
        runStopped_();
        return;
    }
    ::SendMessageA(window_(), kRunStoppedMessage, 0, 0);
}

void ActionWindowBridge::ClearResultLines() { RunOnWindowThread([&] { form_.ClearResultLines(); }); }
void ActionWindowBridge::AddResultLine(const ResultLine& line) { RunOnWindowThread([&] { form_.AddResultLine(line); }); }
void ActionWindowBridge::DeleteLastResultLine() { RunOnWindowThread([&] { form_.DeleteLastResultLine(); }); }
void ActionWindowBridge::RepaintResultList() { RunOnWindowThread([&] { form_.RepaintResultList(); }); }
void ActionWindowBridge::StepProgress() { RunOnWindowThread([&] { form_.StepProgress(); }); }
void ActionWindowBridge::ShowIdleForm() { RunOnWindowThread([&] { form_.ShowIdleForm(); }); }
void ActionWindowBridge::Repaint() { RunOnWindowThread([&] { form_.Repaint(); }); }
void ActionWindowBridge::PlayEndSound() { RunOnWindowThread([&] { form_.PlayEndSound(); }); }

void ActionWindowBridge::ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) {
    RunOnWindowThread([&] { form_.ShowBalloon(text, title, timeoutMs); });
}

void ActionWindowBridge::ShowRunningForm(const std::string& stopCaption, int progressRange) {
    RunOnWindowThread([&] { form_.ShowRunningForm(stopCaption, progressRange); });
}

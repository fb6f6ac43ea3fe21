#include "app/ActionWindowBridge.h"

namespace {
constexpr UINT kRunStoppedMessage = WM_USER + 3;  // the checkpoint's "run stopped"
constexpr UINT kInvokeMessage = WM_APP + 1;       // work of the driver for the window thread
}  // namespace

bool ActionWindowBridge::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunStoppedMessage && message != kInvokeMessage) return false;
    // A posted message is never the worker's, which sends and waits.
    if ((::InSendMessageEx(nullptr) & ISMEX_SEND) == 0) return true;
    if (const PendingCalls::Call* call = calls_.Take(static_cast<uint64_t>(wParam), static_cast<uintptr_t>(lParam)))
        (*call)();
    return true;
}

void ActionWindowBridge::SendPublished(UINT message, const std::function<void()>& call) {
    HWND window = window_();
    if (!window || OnWindowThread()) {
        call();
        return;
    }
    const uint64_t token = calls_.Publish(&call);
    ::SendMessageA(window, message, static_cast<WPARAM>(token), reinterpret_cast<LPARAM>(&call));
    calls_.Withdraw(token);
}

void ActionWindowBridge::RunOnWindowThread(const std::function<void()>& work) { SendPublished(kInvokeMessage, work); }

void ActionWindowBridge::SendRunStopped() { SendPublished(kRunStoppedMessage, runStopped_); }

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

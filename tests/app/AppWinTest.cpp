#include "platform/ProcessList.h"
#include "app/SingleInstance.h"
#include "app/TrayIcon.h"
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

TEST(ProcessCount, CountsThisProgramByPathWithoutRegardToCase) {
    const std::string self = ExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(ProcessCount(self), 1);
    EXPECT_EQ(ProcessCount(Upper(self)), 1);
    EXPECT_EQ(ProcessCount(""), 0);
    EXPECT_EQ(ProcessCount("C:\\no\\such\\program.exe"), 0);
}

TEST(ProcessCount, RepeatedCallsKeepNoHandles) {
    const std::string self = ExecutablePath();
    DWORD before = 0, after = 0;
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &before));
    for (int i = 0; i < 50; ++i) ASSERT_EQ(ProcessCount(self), 1);
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &after));
    EXPECT_LE(after, before + 2) << "the count must close every process handle it opens";
}

TEST(SingleInstance, OneClaimPerPath) {
    const std::string path = "C:\\TracelornTest\\SingleInstance\\Tracelorn.exe";
    {
        SingleInstance first(path);
        EXPECT_TRUE(first.Acquired());
        SingleInstance second(path);
        EXPECT_FALSE(second.Acquired());
        SingleInstance sameInOtherCase(Upper(path));
        EXPECT_FALSE(sameInOtherCase.Acquired());
        SingleInstance other("C:\\TracelornTest\\Other\\Tracelorn.exe");
        EXPECT_TRUE(other.Acquired());
    }
    SingleInstance afterwards(path);
    EXPECT_TRUE(afterwards.Acquired()) << "the claim ends with its owner";
}

TEST(SingleInstance, RunningCopyOfTheSamePathKeepsOut) {
    // This test program itself runs from its path without holding the claim's mutex: the process
    // count (2 once a second process ran; here 1) decides only for copies beyond the first.
    SingleInstance self(ExecutablePath());
    EXPECT_TRUE(self.Acquired());
    SingleInstance second(ExecutablePath());
    EXPECT_FALSE(second.Acquired());
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() {
        window = ::CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    }
    ~TrayIconTest() override { ::DestroyWindow(window); }
    HWND window = nullptr;
};

TEST_F(TrayIconTest, BalloonFieldsAreCutNotOverflowed) {
    CTrayIcon icon;
    icon.Create(128, 128);
    icon.SetNotificationWindow(window, WM_USER);
    (void)icon.SetIcon(128);
    const std::string longText(400, 'x'), longTitle(100, 't');
    (void)icon.ShowBalloon(longText, longTitle, 10000);
    const NOTIFYICONDATAA& r = icon.Record();
    EXPECT_EQ(std::string(r.szInfo), std::string(255, 'x'));
    EXPECT_EQ(std::string(r.szInfoTitle), std::string(63, 't'));
    EXPECT_EQ(r.uTimeout, 10000u);
    EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(r.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(r.uID, 128u);
    (void)icon.ShowBalloon("", "Tracelorn", 10000);
    EXPECT_STREQ(icon.Record().szInfo, "");
    icon.Destroy();
    EXPECT_FALSE(icon.Shown());
}

TEST_F(TrayIconTest, CallbackReachesTheWindowAfterTheIcon) {
    // The icon intercepts its window's messages; what it does not keep goes on to the window.
    CTrayIcon icon;
    icon.Create(128, 128);
    icon.SetNotificationWindow(window, WM_USER + 50);
    ::SetWindowTextA(window, "before");
    EXPECT_EQ(::SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("after")), TRUE);
    char text[16] = {};
    ::GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "after");
    icon.Destroy();
}

}  // namespace

// The update as the user sees it: the update dialog (texts, bar, Cancel and OK, one worker at a
// time) and the automatic update on the real main window (its balloon, the update time, and its
// notification number left to the dialog manager when it is not the worker's).
#include "UpdateHarness.h"

#include "app/DlgMain.h"
#include "dialogs/DlgUpdate.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateWorker.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace update_test;

namespace {

constexpr char kSettingsPath[] = "Quorvane\\TracelornTest\\Update";

std::string TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "_" + info->name();
}

uint32_t StampOf(const std::string& bytes) {
    return *update::PluginStamp(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

Offer MakeOffer(const std::string& name, size_t padding = 0) {
    const std::string bytes = PluginFile("Update " + name, 9, padding);
    return Offer{name, StampOf(bytes), bytes, true};
}

std::string Text(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

bool Visible(HWND control) { return (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

class UpdateWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ServerFolder::Port(), 0) << "the update test server is not running";
        ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("software\\") + kSettingsPath).c_str());
    }
    void TearDown() override {
        (void)update_worker::WaitForEnd(30000);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("software\\") + kSettingsPath).c_str());
    }
    void PointUpdatesAt(const std::string& base) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (std::string("software\\") + kSettingsPath).c_str(), 0, nullptr,
                                    0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, "UpdateURL", 0, REG_SZ, reinterpret_cast<const BYTE*>(base.c_str()),
                         static_cast<DWORD>(base.size() + 1));
        ::RegCloseKey(key);
    }

    ProgramFolder program;
    ServerFolder server{TestName()};
};

TEST_F(UpdateWindows, DialogCancelDuringTheThirdOfFiveDownloadsSavesNothingAndSaysSo) {
    ServerContent content;
    for (const char* name : {"a.tlp", "b.tlp", "c.tlp", "d.tlp", "e.tlp"})
        content.standard.push_back(MakeOffer(name, name[0] == 'c' ? 100 * 1024 : 0));
    server.Publish(content);
    server.Fault("STDPLUGS/c.tlp", "slow");
    PointUpdatesAt(server.Base());
    TargetCatalog catalog(kSettingsPath, program.Path());
    const auto before = program.Snapshot();

    CDlgUpdate dialog(catalog);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND status = dialog.Item(IDC_UPDATE_STATUS);
    EXPECT_EQ(Text(dialog.Hwnd()), "Update Tracelorn");
    ASSERT_TRUE(PumpUntil([&] { return Text(status) == "Updating...\n\"c.tlp\""; })) << Text(status);
    EXPECT_TRUE(Visible(dialog.Item(IDC_UPDATE_PROGRESS)));
    EXPECT_TRUE(Visible(dialog.Item(IDCANCEL)));
    EXPECT_FALSE(Visible(dialog.Item(IDOK)));
    // Within the slow file the bar moves on from the two files done.
    ASSERT_TRUE(PumpUntil([&] { return ::SendMessageA(dialog.Item(IDC_UPDATE_PROGRESS), PBM_GETPOS, 0, 0) > 2000; }));

    // Enter while the update runs stops it.
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Text(status), "Update process breaked by user.");
    EXPECT_FALSE(Visible(dialog.Item(IDCANCEL)));
    EXPECT_FALSE(Visible(dialog.Item(IDC_UPDATE_PROGRESS)));
    EXPECT_TRUE(Visible(dialog.Item(IDOK)));
    ASSERT_TRUE(PumpUntil([] { return !update_worker::Running(); }));
    EXPECT_EQ(Text(status), "Update process breaked by user.");
    EXPECT_EQ(program.Snapshot(), before) << "no file of an unfinished update is saved";

    // OK after the end closes the dialog.
    HWND hwnd = dialog.Hwnd();
    ::SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(UpdateWindows, DialogSuccessShowsTheCountAndMarksTheUpdateTime) {
    ServerContent content;
    content.standard = {MakeOffer("a.tlp")};
    content.application = {MakeOffer("b.tlp")};
    server.Publish(content);
    PointUpdatesAt(server.Base());
    TargetCatalog catalog(kSettingsPath, program.Path());
    catalog.SetLastUpdateTime(0);

    CDlgUpdate dialog(catalog);
    ASSERT_TRUE(dialog.Create(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return !dialog.UpdateRunning(); }));
    EXPECT_EQ(Text(dialog.Item(IDC_UPDATE_STATUS)), "Update successfully completed.\n2 plugins updated.");
    EXPECT_TRUE(Visible(dialog.Item(IDOK)));
    EXPECT_FALSE(Visible(dialog.Item(IDCANCEL)));
    EXPECT_GT(catalog.LastUpdateTime(), 0);
    EXPECT_EQ(program.Get("APPPLUGS\\b.tlp"), content.application[0].bytes);

    // Nothing new the second time.
    CDlgUpdate again(catalog);
    ASSERT_TRUE(again.Create(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return !again.UpdateRunning(); }));
    EXPECT_EQ(Text(again.Item(IDC_UPDATE_STATUS)), "No need to update!");
    ::SendMessageA(again.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, IDCANCEL, 0);
}

TEST_F(UpdateWindows, UpdateNowWhileAStalledAutomaticUpdateRunsNeverRunsTwoWorkers) {
    ServerFolder stalled(TestName() + "_stalled");
    ServerContent slow;
    slow.standard = {MakeOffer("slow.tlp", 200 * 1024)};
    stalled.Publish(slow);
    stalled.Fault("STDPLUGS/slow.tlp", "slow");
    ProgramFolder autoFolder;
    const auto autoBefore = autoFolder.Snapshot();
    Recorder automatic;
    ASSERT_TRUE(update_worker::Start(UpdateJob{automatic.Hwnd(), autoFolder.Path(), stalled.Base(), kRecordsPath}));
    ASSERT_TRUE(PumpUntil([&] {
        for (const Notice& n : automatic.Notices())
            if (n.code == update::kFileBegins) return true;
        return false;
    }));
    EXPECT_FALSE(update_worker::Start(UpdateJob{automatic.Hwnd(), autoFolder.Path(), stalled.Base(), kRecordsPath}));

    ServerContent content;
    content.standard = {MakeOffer("now.tlp")};
    server.Publish(content);
    PointUpdatesAt(server.Base());
    TargetCatalog catalog(kSettingsPath, program.Path());
    CDlgUpdate dialog(catalog);
    ASSERT_TRUE(dialog.Create(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return !dialog.UpdateRunning(); }));
    EXPECT_EQ(Text(dialog.Item(IDC_UPDATE_STATUS)), "Update successfully completed.\n1 plugins updated.");
    EXPECT_EQ(update_worker::PeakWorkersAlive(), 1);
    for (const Notice& n : automatic.Notices()) EXPECT_FALSE(update::IsFinalCode(n.code)) << n.code;
    EXPECT_EQ(autoFolder.Snapshot(), autoBefore);
    EXPECT_EQ(program.Get("STDPLUGS\\now.tlp"), content.standard[0].bytes);
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, IDOK, 0);
}

TEST_F(UpdateWindows, MainWindowAutomaticUpdateShowsItsBalloonAndLeavesDmSetDefIdAlone) {
    ServerContent content;
    content.application = {MakeOffer("auto.tlp")};
    server.Publish(content);
    PointUpdatesAt(server.Base());
    TargetCatalog catalog(kSettingsPath, program.Path());
    catalog.SetLastUpdateTime(0);
    catalog.Settings().autoUpdateNotify = true;
    CDlgMain window(catalog, CDlgMain::Options{"", program.Path(), {}, {}});
    ASSERT_TRUE(window.Create(nullptr));

    ASSERT_TRUE(window.StartAutoUpdate());
    EXPECT_FALSE(window.StartAutoUpdate()) << "one update at a time";
    ASSERT_TRUE(PumpUntil([] { return !update_worker::Running(); }));
    EXPECT_EQ(window.Tray().BalloonText(), "Update successfully completed.\n1 plugins updated.");
    EXPECT_EQ(window.Tray().BalloonTitle(), "Tracelorn");
    EXPECT_EQ(window.Tray().Record().uTimeout, 1000u);
    EXPECT_GT(catalog.LastUpdateTime(), 0);
    EXPECT_EQ(program.Get("APPPLUGS\\auto.tlp"), content.application[0].bytes);

    // With AutoUpdateNotify off a success shows no balloon; nothing to fetch marks the time too.
    ServerFolder more(TestName() + "_more");
    content.application.push_back(MakeOffer("second.tlp"));
    content.application.push_back(MakeOffer("third.tlp"));
    content.pluginVersion = 2;
    content.sequence = 2;
    more.Publish(content);
    PointUpdatesAt(more.Base());
    catalog.Settings().autoUpdateNotify = false;
    catalog.SetLastUpdateTime(0);
    ASSERT_TRUE(window.StartAutoUpdate());
    ASSERT_TRUE(PumpUntil([] { return !update_worker::Running(); }));
    EXPECT_TRUE(program.Has("APPPLUGS\\third.tlp"));
    EXPECT_GT(catalog.LastUpdateTime(), 0);
    EXPECT_EQ(window.Tray().BalloonText(), "Update successfully completed.\n1 plugins updated.");
    catalog.SetLastUpdateTime(0);
    ASSERT_TRUE(window.StartAutoUpdate());
    ASSERT_TRUE(PumpUntil([] { return !update_worker::Running(); }));
    EXPECT_GT(catalog.LastUpdateTime(), 0);

    // WM_USER + 1 that is not the worker's is the dialog manager's DM_SETDEFID, and a code 5 from
    // anyone else never has its value deleted as a name object.
    ::SendMessageA(window.Hwnd(), DM_SETDEFID, 1087, 0);
    EXPECT_EQ(LOWORD(::SendMessageA(window.Hwnd(), DM_GETDEFID, 0, 0)), 1087);
    std::string notOwned = "not a name object of the worker";
    ::SendMessageA(window.Hwnd(), update::kNotifyMessage, update::kFileBegins, reinterpret_cast<LPARAM>(&notOwned));
    EXPECT_EQ(notOwned, "not a name object of the worker");
}

}  // namespace

namespace {

TEST_F(UpdateWindows, DestroyingTheMainWindowStopsItsAutomaticUpdate) {
    ServerContent content;
    content.standard = {MakeOffer("slow.tlp", 200 * 1024)};
    server.Publish(content);
    server.Fault("STDPLUGS/slow.tlp", "slow");
    PointUpdatesAt(server.Base());
    TargetCatalog catalog(kSettingsPath, program.Path());
    const auto before = program.Snapshot();
    CDlgMain window(catalog, CDlgMain::Options{"", program.Path(), {}, {}});
    ASSERT_TRUE(window.Create(nullptr));
    ASSERT_TRUE(window.StartAutoUpdate());
    ASSERT_TRUE(PumpUntil([&] {
        for (const std::string& r : server.Requests())
            if (r.find("slow.tlp") != std::string::npos) return true;
        return false;
    }));
    ::DestroyWindow(window.Hwnd());
    // The slow file would take more than a minute; the stop ends the worker at its next piece.
    EXPECT_TRUE(PumpUntil([] { return !update_worker::Running(); }, 10000));
    EXPECT_EQ(program.Snapshot(), before);
}

}  // namespace

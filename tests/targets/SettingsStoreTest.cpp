#include "engine/KillSettings.h"
#include "platform/AtomicFileWriter.h"
#include "support/TempFolder.h"
#include "targets/SettingsStore.h"
#include "targets/TargetCatalog.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace {

// A private settings path and Run key below HKCU\Software\TracelornTest, removed afterwards.
class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest()
        : base_("Software\\TracelornTest\\Settings" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(counter_++)),
          settingsPath_(base_.substr(std::string("Software\\").size()) + "\\Store"),
          runKey_(base_ + "\\Run"),
          store_(runKey_, "C:\\Users\\Ann Lee\\Tracelorn\\Tracelorn.exe") {}
    void SetUp() override {
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(1);
    }
    void TearDown() override {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, base_.c_str());
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(1);
    }

    std::unique_ptr<TargetCatalog> NewCatalog(std::initializer_list<const char*> names = {"Alpha", "Beta"}) {
        auto c = std::make_unique<TargetCatalog>(settingsPath_, dir_.Path());
        for (const char* n : names) c->AddTarget(std::make_unique<Target>(n, ""));
        c->MarkCustomStart();
        c->AddTarget(std::make_unique<Target>("Custom", ""));
        return c;
    }
    std::string SettingsKey(const std::string& sub = "") const {
        return "Software\\" + settingsPath_ + (sub.empty() ? "" : "\\" + sub);
    }
    void SetDword(const std::string& sub, const char* name, DWORD v) const {
        ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, SettingsKey(sub).c_str(), name, REG_DWORD, &v, sizeof(v)),
                  ERROR_SUCCESS);
    }
    std::optional<DWORD> GetDword(const std::string& sub, const char* name) const {
        DWORD v = 0, size = sizeof(v), type = 0;
        if (::SHGetValueA(HKEY_CURRENT_USER, SettingsKey(sub).c_str(), name, &type, &v, &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return std::nullopt;
        return v;
    }
    std::optional<std::string> RunValue() const {
        char buffer[1024] = {};
        DWORD size = sizeof(buffer), type = 0;
        if (::SHGetValueA(HKEY_CURRENT_USER, runKey_.c_str(), "TL21", &type, buffer, &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        return std::string(buffer);
    }
    void WriteStamp(const char* name, DWORD year, DWORD month, DWORD day, DWORD hour, DWORD minute) const {
        SetDword(name, "Year", year);
        SetDword(name, "Month", month);
        SetDword(name, "Day", day);
        SetDword(name, "Hour", hour);
        SetDword(name, "Minute", minute);
    }
    static int64_t LocalInstant(int year, int month, int day, int hour, int minute) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_isdst = -1;
        return static_cast<int64_t>(std::mktime(&tm));
    }

    TempFolder dir_;
    std::string base_;
    std::string settingsPath_;
    std::string runKey_;
    SettingsStore store_;
    static inline int counter_ = 0;
};

}  // namespace

TEST_F(SettingsStoreTest, FirstStartOnACleanPath) {
    auto c = NewCatalog();
    ASSERT_EQ(c->Settings().akEveryTimeTime, 2);
    const int64_t lastKill = c->LastKillTime();
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->Settings().akEveryTimeTime, 0);  // missing loads as 0, not the default 2
    EXPECT_EQ(c->LastKillTime(), lastKill);
    EXPECT_TRUE(c->Settings().autoStart);
    EXPECT_TRUE(c->TargetAt(0).Selected());
    ASSERT_TRUE(store_.Save(*c));
    EXPECT_EQ(GetDword("", "AKEveryTimeTime"), std::optional<DWORD>(0));
    for (const char* name : {"ScanTime", "KillTime", "NotifyWhenStart", "AutoStart", "ShowMainWnd", "SecDel",
                             "DelRep", "ShowAppTargetDesc", "AKWinStart", "AKBrowserClosed", "AKScan",
                             "AKSummary", "AKSoundEnd", "AKEveryTime", "AKAppExit", "AutoUpdate",
                             "AutoUpdateNotify", "ShowToolTips"})
        EXPECT_TRUE(GetDword("", name).has_value()) << name;
    EXPECT_TRUE(GetDword("LastKillTime", "Year").has_value());
    EXPECT_TRUE(GetDword("LastUpdateTime", "Minute").has_value());
}

TEST_F(SettingsStoreTest, NoSettingsPathReadsAndWritesNothing) {
    TargetCatalog c("", dir_.Path());
    c.AddTarget(std::make_unique<Target>("Alpha", ""));
    EXPECT_FALSE(store_.Load(c));
    EXPECT_EQ(c.Settings().akEveryTimeTime, 2);
    EXPECT_FALSE(store_.Save(c));
    EXPECT_FALSE(RunValue().has_value());
}

TEST_F(SettingsStoreTest, EmptyCatalogueIsNotSaved) {
    TargetCatalog c(settingsPath_, dir_.Path());
    EXPECT_FALSE(store_.Save(c));
    EXPECT_FALSE(GetDword("", "ScanTime").has_value());
}

TEST_F(SettingsStoreTest, BoundsAtLoad) {
    auto c = NewCatalog();
    SetDword("", "ScanTime", 0xFFFFFFFFu);
    SetDword("", "KillTime", 5000);
    SetDword("", "DelRep", 0);
    SetDword("", "AKEveryTimeTime", 15);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->Settings().scanTime, 0);
    EXPECT_EQ(c->Settings().killTime, 4000);
    EXPECT_EQ(kill_settings::Passes(), 1);
    EXPECT_EQ(c->Settings().akEveryTimeTime, 11);

    SetDword("", "ScanTime", 5000);
    SetDword("", "KillTime", 0xFFFFFFFFu);
    SetDword("", "DelRep", 12);
    SetDword("", "AKEveryTimeTime", 0xFFFFFFFFu);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->Settings().scanTime, 4000);
    EXPECT_EQ(c->Settings().killTime, 0);
    EXPECT_EQ(kill_settings::Passes(), 9);
    EXPECT_EQ(c->Settings().akEveryTimeTime, 0);
}

TEST_F(SettingsStoreTest, MissingValuesTakeTheirWhenMissingValues) {
    auto c = NewCatalog();
    c->Settings().akScan = false;          // when missing: 1
    c->Settings().akWinStart = true;       // when missing: 0
    c->Settings().akAppExitName = "x.exe";  // when missing: empty
    c->Settings().autoUpdate = false;      // when missing: keeps the field
    kill_settings::SetSecureDelete(false);
    kill_settings::SetPasses(5);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_TRUE(c->Settings().akScan);
    EXPECT_FALSE(c->Settings().akWinStart);
    EXPECT_EQ(c->Settings().akAppExitName, "");
    EXPECT_FALSE(c->Settings().autoUpdate);
    EXPECT_TRUE(kill_settings::SecureDelete());
    EXPECT_EQ(kill_settings::Passes(), 1);
}

TEST_F(SettingsStoreTest, AppExitNameLongerThanItsBufferLoadsEmpty) {
    auto c = NewCatalog();
    const std::string longName(300, 'n');
    ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, SettingsKey().c_str(), "AKAppExitName", REG_SZ, longName.c_str(),
                            static_cast<DWORD>(longName.size() + 1)), ERROR_SUCCESS);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->Settings().akAppExitName, "");
    const std::string fits(255, 'f');
    ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, SettingsKey().c_str(), "AKAppExitName", REG_SZ, fits.c_str(),
                            static_cast<DWORD>(fits.size() + 1)), ERROR_SUCCESS);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->Settings().akAppExitName, fits);
}

TEST_F(SettingsStoreTest, StampsLoadAsLocalTimeNeverLaterThanNow) {
    auto c = NewCatalog();
    WriteStamp("LastKillTime", 2008, 5, 6, 7, 8);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->LastKillTime(), LocalInstant(2008, 5, 6, 7, 8));

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    WriteStamp("LastUpdateTime", local.tm_year + 1900 + 1, 1, 1, 0, 0);
    c->SetLastUpdateTime(5);
    const int64_t before = TargetCatalog::Now();
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_GE(c->LastUpdateTime(), before);
    EXPECT_LE(c->LastUpdateTime(), TargetCatalog::Now());
}

TEST_F(SettingsStoreTest, InvalidStampsAreIgnored) {
    auto c = NewCatalog();
    c->SetLastKillTime(12345);
    WriteStamp("LastKillTime", 2008, 13, 6, 7, 8);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->LastKillTime(), 12345);
    WriteStamp("LastKillTime", 2008, 5, 6, 24, 0);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->LastKillTime(), 12345);
    WriteStamp("LastKillTime", 1899, 5, 6, 1, 0);
    ASSERT_TRUE(store_.Load(*c));
    EXPECT_EQ(c->LastKillTime(), 12345);
}

TEST_F(SettingsStoreTest, StampsAreWrittenAsLocalCalendarTime) {
    auto c = NewCatalog();
    c->SetLastKillTime(LocalInstant(2009, 11, 30, 23, 59));
    ASSERT_TRUE(store_.Save(*c));
    EXPECT_EQ(GetDword("LastKillTime", "Year"), std::optional<DWORD>(2009));
    EXPECT_EQ(GetDword("LastKillTime", "Month"), std::optional<DWORD>(11));
    EXPECT_EQ(GetDword("LastKillTime", "Day"), std::optional<DWORD>(30));
    EXPECT_EQ(GetDword("LastKillTime", "Hour"), std::optional<DWORD>(23));
    EXPECT_EQ(GetDword("LastKillTime", "Minute"), std::optional<DWORD>(59));
}

TEST_F(SettingsStoreTest, UnconvertibleInstantIsWrittenSoThatALoadRejectsIt) {
    auto c = NewCatalog();
    c->SetLastKillTime(-1000000);
    ASSERT_TRUE(store_.Save(*c));
    EXPECT_EQ(GetDword("LastKillTime", "Minute"), std::optional<DWORD>(0xFFFFFFFFu));
    EXPECT_EQ(GetDword("LastKillTime", "Hour"), std::optional<DWORD>(0xFFFFFFFFu));
    EXPECT_EQ(GetDword("LastKillTime", "Day"), std::optional<DWORD>(0));
    EXPECT_EQ(GetDword("LastKillTime", "Month"), std::optional<DWORD>(0));
    EXPECT_EQ(GetDword("LastKillTime", "Year"), std::optional<DWORD>(0));
    auto d = NewCatalog();
    d->SetLastKillTime(777);
    ASSERT_TRUE(store_.Load(*d));
    EXPECT_EQ(d->LastKillTime(), 777);
}

TEST_F(SettingsStoreTest, RunValueFollowsAutoStartAndQuotesThePath) {
    auto c = NewCatalog();
    c->Settings().autoStart = true;
    ASSERT_TRUE(store_.Save(*c));
    EXPECT_EQ(RunValue(), std::optional<std::string>("\"C:\\Users\\Ann Lee\\Tracelorn\\Tracelorn.exe\" -ws"));
    c->Settings().autoStart = false;
    ASSERT_TRUE(store_.Save(*c));
    EXPECT_FALSE(RunValue().has_value());
    EXPECT_FALSE(RunValue().has_value());
}

TEST_F(SettingsStoreTest, RunCommandDefaultsToTheRunningExecutable) {
    SettingsStore store(runKey_);
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(store.RunCommand(), "\"" + std::string(path) + "\" -ws");
}

TEST_F(SettingsStoreTest, SelectionsAreStoredUnderTargetNames) {
    auto c = NewCatalog();
    c->TargetAt(0).SetSelected(false);
    c->TargetAt(1).SetSelected(true);
    c->TargetAt(2).SetSelected(false);  // custom: not stored here
    ASSERT_TRUE(store_.Save(*c));
    EXPECT_EQ(GetDword("Targets", "Alpha"), std::optional<DWORD>(0));
    EXPECT_EQ(GetDword("Targets", "Beta"), std::optional<DWORD>(1));
    EXPECT_FALSE(GetDword("Targets", "Custom").has_value());

    auto d = NewCatalog();
    ASSERT_TRUE(store_.Load(*d));
    EXPECT_FALSE(d->TargetAt(0).Selected());
    EXPECT_TRUE(d->TargetAt(1).Selected());
    EXPECT_TRUE(d->TargetAt(2).Selected());

    // A renamed target starts from its default; the old name's value stays unread.
    auto renamed = NewCatalog({"Alpha 2", "Beta"});
    ASSERT_TRUE(store_.Load(*renamed));
    EXPECT_TRUE(renamed->TargetAt(0).Selected());
    ASSERT_TRUE(store_.Save(*renamed));
    EXPECT_EQ(GetDword("Targets", "Alpha"), std::optional<DWORD>(0));
    EXPECT_EQ(GetDword("Targets", "Alpha 2"), std::optional<DWORD>(1));
}

TEST_F(SettingsStoreTest, RoundTripPreservesEveryValue) {
    for (bool flip : {false, true}) {
        auto c = NewCatalog();
        CleanerSettings& s = c->Settings();
        if (flip) {
            s.scanTime = 1500;
            s.killTime = 4000;
            s.notifyWhenStart = !s.notifyWhenStart;
            s.autoStart = false;
            s.showMainWnd = !s.showMainWnd;
            s.showAppTargetDesc = !s.showAppTargetDesc;
            s.akWinStart = !s.akWinStart;
            s.akBrowserClosed = !s.akBrowserClosed;
            s.akScan = !s.akScan;
            s.akSummary = !s.akSummary;
            s.akSoundEnd = !s.akSoundEnd;
            s.akEveryTime = !s.akEveryTime;
            s.akEveryTimeTime = 7;
            s.akAppExit = !s.akAppExit;
            s.akAppExitName = "C:\\Program Files\\App\\app.exe";
            s.autoUpdate = !s.autoUpdate;
            s.autoUpdateNotify = !s.autoUpdateNotify;
            s.showToolTips = !s.showToolTips;
            kill_settings::SetSecureDelete(false);
            kill_settings::SetPasses(7);
            c->SetLastKillTime(LocalInstant(2010, 2, 3, 4, 5));
            c->SetLastUpdateTime(LocalInstant(2011, 6, 7, 8, 9));
        } else {
            // Stamps keep minutes only.
            c->SetLastKillTime(c->LastKillTime() / 60 * 60);
            c->SetLastUpdateTime(c->LastUpdateTime() / 60 * 60);
        }
        const CleanerSettings saved = s;
        const bool secDel = kill_settings::SecureDelete();
        const int passes = kill_settings::Passes();
        ASSERT_TRUE(store_.Save(*c));

        kill_settings::SetSecureDelete(!secDel);
        kill_settings::SetPasses(passes == 1 ? 3 : 1);
        auto d = NewCatalog();
        ASSERT_TRUE(store_.Load(*d));
        const CleanerSettings& l = d->Settings();
        EXPECT_EQ(l.scanTime, saved.scanTime);
        EXPECT_EQ(l.killTime, saved.killTime);
        EXPECT_EQ(l.notifyWhenStart, saved.notifyWhenStart);
        EXPECT_EQ(l.autoStart, saved.autoStart);
        EXPECT_EQ(l.showMainWnd, saved.showMainWnd);
        EXPECT_EQ(l.showAppTargetDesc, saved.showAppTargetDesc);
        EXPECT_EQ(l.akWinStart, saved.akWinStart);
        EXPECT_EQ(l.akBrowserClosed, saved.akBrowserClosed);
        EXPECT_EQ(l.akScan, saved.akScan);
        EXPECT_EQ(l.akSummary, saved.akSummary);
        EXPECT_EQ(l.akSoundEnd, saved.akSoundEnd);
        EXPECT_EQ(l.akEveryTime, saved.akEveryTime);
        EXPECT_EQ(l.akEveryTimeTime, saved.akEveryTimeTime);
        EXPECT_EQ(l.akAppExit, saved.akAppExit);
        EXPECT_EQ(l.akAppExitName, saved.akAppExitName);
        EXPECT_EQ(l.autoUpdate, saved.autoUpdate);
        EXPECT_EQ(l.autoUpdateNotify, saved.autoUpdateNotify);
        EXPECT_EQ(l.showToolTips, saved.showToolTips);
        EXPECT_EQ(kill_settings::SecureDelete(), secDel);
        EXPECT_EQ(kill_settings::Passes(), passes);
        EXPECT_EQ(d->LastKillTime(), c->LastKillTime());
        EXPECT_EQ(d->LastUpdateTime(), c->LastUpdateTime());
        EXPECT_EQ(RunValue().has_value(), saved.autoStart);
    }
}

TEST_F(SettingsStoreTest, StatisticsFileBytes) {
    auto c = NewCatalog();
    c->Totals() = RunCounters{3, 2, 100};
    ASSERT_TRUE(store_.SaveStatistics(*c));
    EXPECT_EQ(SettingsStore::StatisticsPath(*c), dir_ / "config.cfg");
    EXPECT_EQ(ReadFileBytes(dir_ / "config.cfg"),
              std::string("\x03\0\0\0\x02\0\0\0\x64\0\0\0\0\0\0\0", 16));
    EXPECT_FALSE(FileExists(dir_ / "config.cfg.new"));

    auto d = NewCatalog();
    ASSERT_TRUE(store_.LoadStatistics(*d));
    EXPECT_EQ(d->Totals(), (RunCounters{3, 2, 100}));
}

TEST_F(SettingsStoreTest, ShortOrMissingStatisticsLeaveTotalsAtZero) {
    auto c = NewCatalog();
    EXPECT_FALSE(store_.LoadStatistics(*c));
    EXPECT_EQ(c->Totals(), RunCounters{});
    dir_.MakeFileWith("config.cfg", std::string("\x03\0\0\0\x02\0\0\0", 8));
    EXPECT_FALSE(store_.LoadStatistics(*c));
    EXPECT_EQ(c->Totals(), RunCounters{});
}

TEST_F(SettingsStoreTest, StatisticsSaveReplacesTheOldFileWhole) {
    auto c = NewCatalog();
    dir_.MakeFileWith("config.cfg", std::string(40, 'x'));
    c->Totals() = RunCounters{1, 1, 1};
    ASSERT_TRUE(store_.SaveStatistics(*c));
    EXPECT_EQ(ReadFileBytes(dir_ / "config.cfg").size(), 16u);
    EXPECT_EQ(ListFolder(dir_.Path()).size(), 1u);
}

TEST_F(SettingsStoreTest, FailedReplaceLeavesThePreviousFile) {
    const std::string target = dir_.MakeFileWith("keep.cfg", "previous");
    // The temporary file's name is taken by a folder, so the write cannot start.
    dir_.MakeFolder("keep.cfg.new");
    EXPECT_FALSE(ReplaceFileContents(target, std::string("new")));
    EXPECT_EQ(ReadFileBytes(target), "previous");
    EXPECT_FALSE(ReplaceFileContents(dir_ / "missing\\x.cfg", std::string("new")));
    EXPECT_FALSE(FileExists(dir_ / "missing\\x.cfg"));
    EXPECT_TRUE(ReplaceFileContents(dir_ / "fresh.cfg", std::string("abc")));
    EXPECT_EQ(ReadFileBytes(dir_ / "fresh.cfg"), "abc");
}

TEST_F(SettingsStoreTest, SkippingOverwritesOnSolidStateIsOnlyANewInstallationsDefault) {
    auto fresh = NewCatalog();
    ASSERT_TRUE(store_.Load(*fresh));
    EXPECT_TRUE(kill_settings::SkipOverwriteOnSolidState()) << "an empty settings key: a new installation";
    store_.Save(*fresh);
    EXPECT_EQ(GetDword("", SettingsStore::kSkipOverwriteValue), 1u);

    ::SHDeleteValueA(HKEY_CURRENT_USER, SettingsKey().c_str(), SettingsStore::kSkipOverwriteValue);
    ASSERT_TRUE(store_.Load(*NewCatalog()));
    EXPECT_FALSE(kill_settings::SkipOverwriteOnSolidState()) << "settings from before the option: unchanged behaviour";
    kill_settings::SetSkipOverwriteOnSolidState(false);
}

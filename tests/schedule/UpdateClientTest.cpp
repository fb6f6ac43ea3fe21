// The update worker against the tests' HTTP server: what it fetches, checks and saves, and what
// it reports, for the cases the client must get right and the ones a hostile server or a broken
// connection would try.
#include "UpdateHarness.h"

#include "schedule/UpdateLists.h"
#include "targets/PluginRecord.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateWorker.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <ctime>
#include <optional>

using namespace update_test;
using update::kChecking;
using update::kConnecting;
using update::kDownloadsBegin;
using update::kFileBegins;
using update::kListUnreadable;
using update::kNothingToFetch;
using update::kServerUnreachable;
using update::kSucceeded;

namespace {

std::string TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "_" + info->name();
}

uint32_t StampOf(const std::string& pluginBytes) {
    return *update::PluginStamp(std::vector<uint8_t>(pluginBytes.begin(), pluginBytes.end()));
}

Offer MakeOffer(const std::string& name, uint8_t day) {
    const std::string bytes = PluginFile("Update " + name, day);
    return Offer{name, StampOf(bytes), bytes, true};
}

std::optional<DWORD> AcceptedSequence() {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueA(HKEY_CURRENT_USER, (std::string("software\\") + kRecordsPath).c_str(), "UpdateSequence",
                       RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

class UpdateClient : public ::testing::Test {
protected:
    void SetUp() override {
        ClearRecords();
        ASSERT_NE(ServerFolder::Port(), 0) << "the update test server is not running";
    }
    void TearDown() override { ClearRecords(); }

    // The program folder holds the server's update list of these versions.
    void InstallList(uint32_t banner, uint32_t plugin, const std::string& bannerBytes) {
        program.Put("update.prm", TreeBytes(UpdateList(banner, plugin, bannerBytes)));
    }
    std::vector<Notice> Run() { return RunWorker(program.Path(), server.Base()); }

    ProgramFolder program;
    ServerFolder server{TestName()};
};

TEST_F(UpdateClient, EqualVersionsNeedNothingAndWriteNothing) {
    ServerContent content;
    content.bannerVersion = 3;
    content.pluginVersion = 5;
    content.standard = {MakeOffer("a.tlp", 9)};
    server.Publish(content);
    InstallList(3, 5, content.banner);
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()), (std::vector<uint32_t>{kConnecting, kChecking, kNothingToFetch}));
    EXPECT_EQ(program.Snapshot(), before);
    for (const std::string& r : server.Requests()) EXPECT_EQ(r.find("banner"), std::string::npos) << r;
}

TEST_F(UpdateClient, NewerBannerOnlyReplacesTheBannerAndTakesTheRemoteList) {
    ServerContent content;
    content.bannerVersion = 4;
    content.pluginVersion = 5;
    server.Publish(content);
    InstallList(3, 5, BannerBytes(1));
    program.Put("banner.qbf", BannerBytes(1));
    EXPECT_EQ(Codes(Run()), (std::vector<uint32_t>{kConnecting, kChecking, kNothingToFetch}));
    EXPECT_EQ(program.Get("banner.qbf"), content.banner);
    EXPECT_EQ(program.Get("update.prm"), server.Get("update.prm"));
}

TEST_F(UpdateClient, WithoutALocalListFetchesTheBannerAndMissingOrOlderPlugins) {
    ServerContent content;
    const Offer current = MakeOffer("current.tlp", 5), older = MakeOffer("older.tlp", 6);
    const Offer missing = MakeOffer("missing.tlp", 7), app = MakeOffer("app.tlp", 8);
    content.standard = {current, older, missing};
    content.application = {app};
    server.Publish(content);
    program.Put("STDPLUGS\\current.tlp", current.bytes);
    const std::string olderInstalled = PluginFile("Update older.tlp", 2);
    program.Put("STDPLUGS\\older.tlp", olderInstalled);

    const std::vector<Notice> notices = Run();
    ASSERT_EQ(Codes(notices), (std::vector<uint32_t>{kConnecting, kChecking, kDownloadsBegin, kFileBegins,
                                                     kFileBegins, kFileBegins, kSucceeded}));
    EXPECT_EQ(notices[2].value, 3u);
    EXPECT_EQ(notices[3].name, "older.tlp");
    EXPECT_EQ(notices[4].name, "missing.tlp");
    EXPECT_EQ(notices[5].name, "app.tlp");
    EXPECT_EQ(notices.back().value, 3u);
    EXPECT_EQ(program.Get("STDPLUGS\\older.tlp"), older.bytes);
    EXPECT_EQ(program.Get("STDPLUGS\\missing.tlp"), missing.bytes);
    EXPECT_EQ(program.Get("APPPLUGS\\app.tlp"), app.bytes);
    EXPECT_EQ(program.Get("banner.qbf"), content.banner);
    EXPECT_EQ(program.Get("update.prm"), server.Get("update.prm"));
    for (const std::string& r : server.Requests()) EXPECT_EQ(r.find("current.tlp"), std::string::npos) << r;
}

TEST_F(UpdateClient, NewerPluginSetWithCurrentStampsKeepsTheOldListForTheNextCheck) {
    ServerContent content;
    content.pluginVersion = 5;
    const Offer a = MakeOffer("a.tlp", 5);
    content.standard = {a};
    server.Publish(content);
    InstallList(content.bannerVersion, 4, content.banner);
    program.Put("STDPLUGS\\a.tlp", a.bytes);
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()), (std::vector<uint32_t>{kConnecting, kChecking, kNothingToFetch}));
    EXPECT_EQ(program.Snapshot(), before);
}

TEST_F(UpdateClient, HostileNamesAreSkippedAndLeaveEverythingAsItWas) {
    ServerContent content;
    for (const char* name : {"..\\..\\evil.tlp", "C:\\x.tlp", "sub\\x.tlp", "CON.tlp", "x.exe", "../up.tlp",
                             "nul.txt.tlp", "a.tlp:stream", "..tlp"})
        content.standard.push_back(Offer{name, 0xFFFFFFFF, {}, false});
    content.application = {Offer{"COM1.tlp", 0xFFFFFFFF, {}, false}};
    server.Publish(content);
    InstallList(content.bannerVersion, 0, content.banner);
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()), (std::vector<uint32_t>{kConnecting, kChecking, kNothingToFetch}));
    EXPECT_EQ(program.Snapshot(), before) << "nothing inside the temporary folder changed";
    for (const std::string& r : server.Requests())
        EXPECT_TRUE(r == "tracelorn/2/update.prm" || r == "tracelorn/2/update.prm.sig" ||
                    r == "tracelorn/2/updateplg.prm" || r == "tracelorn/2/updateplg.prm.sig")
            << r;
}

// A plug-in that does not arrive whole and right is never saved, and nothing else is either.
TEST_F(UpdateClient, BrokenDownloadsLeaveTheProgramFolderByteIdentical) {
    struct Case {
        const char* fault;
        uint32_t code;
    } cases[] = {{"404", kServerUnreachable},       {"500", kServerUnreachable},
                 {"truncate", kServerUnreachable},  {"oversize 4195328", kServerUnreachable},
                 {"wrong", kListUnreadable}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ServerFolder server(TestName() + "_" + std::to_string(&c - cases));
        ServerContent content;
        const Offer first = MakeOffer("first.tlp", 9), broken = MakeOffer("broken.tlp", 9);
        content.standard = {first, broken};
        server.Publish(content);
        server.Fault("STDPLUGS/broken.tlp", c.fault);
        InstallList(content.bannerVersion, 0, content.banner);
        program.Put("STDPLUGS\\broken.tlp", PluginFile("Update broken.tlp", 1));
        program.Put("STDPLUGS\\first.tlp", PluginFile("Update first.tlp", 1));
        const auto before = program.Snapshot();
        const std::vector<uint32_t> codes = Codes(RunWorker(program.Path(), server.Base()));
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back(), c.code);
        EXPECT_EQ(program.Snapshot(), before);
    }
}

TEST_F(UpdateClient, AConnectionDroppedBeforeAnyAnswerIsTriedOnceMore) {
    ServerContent content;
    const Offer plugin = MakeOffer("dropped.tlp", 9);
    content.standard = {plugin};
    server.Publish(content);
    server.Fault("STDPLUGS/dropped.tlp", "drop");
    InstallList(content.bannerVersion, 0, content.banner);
    const auto fetches = [this] {
        const std::vector<std::string> requests = server.Requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const std::string& r) { return r.find("dropped.tlp") != std::string::npos; });
    };
    const auto before = fetches();
    EXPECT_EQ(Codes(Run()).back(), kSucceeded);
    EXPECT_EQ(program.Get("STDPLUGS\\dropped.tlp"), plugin.bytes);
    EXPECT_EQ(fetches() - before, 2);
}

TEST_F(UpdateClient, ListsWithoutAValidSignatureAreRefusedWithNothingWritten) {
    enum What { BadUpdateSig, NoUpdateSig, BadPluginSig, NoPluginSig, ShortSig };
    for (What what : {BadUpdateSig, NoUpdateSig, BadPluginSig, NoPluginSig, ShortSig}) {
        SCOPED_TRACE(what);
        ServerFolder server(TestName() + "_" + std::to_string(what));
        ServerContent content;
        content.standard = {MakeOffer("a.tlp", 9)};
        server.Publish(content);
        switch (what) {
            case BadUpdateSig: {
                std::string sig = server.Get("update.prm.sig");
                sig[10] = static_cast<char>(sig[10] ^ 1);
                server.Put("update.prm.sig", sig);
                break;
            }
            case NoUpdateSig: server.Remove("update.prm.sig"); break;
            case BadPluginSig: server.Put("updateplg.prm.sig", server.Get("update.prm.sig")); break;
            case NoPluginSig: server.Remove("updateplg.prm.sig"); break;
            case ShortSig: server.Put("update.prm.sig", server.Get("update.prm.sig").substr(0, 63)); break;
        }
        // No local list: the banner and the plug-in are both wanted.
        ProgramFolder fresh;
        const auto before = fresh.Snapshot();
        const std::vector<uint32_t> codes = Codes(RunWorker(fresh.Path(), server.Base()));
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back(), kListUnreadable);
        EXPECT_EQ(fresh.Snapshot(), before);
    }
}

TEST_F(UpdateClient, ABannerOrPluginNotMatchingTheSignedHashIsRefused) {
    ServerContent content;
    const Offer a = MakeOffer("a.tlp", 9);
    content.standard = {a};
    server.Publish(content);
    // Another well-formed plug-in in its place: it reads, but it is not the file that was signed.
    server.Put("STDPLUGS/a.tlp", PluginFile("Update swapped", 9));
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()).back(), kListUnreadable);
    EXPECT_EQ(program.Snapshot(), before);

    ServerFolder bannerServer(TestName() + "_banner");
    bannerServer.Publish(content);
    bannerServer.Put("banner.qbf", BannerBytes(3));
    EXPECT_EQ(Codes(RunWorker(program.Path(), bannerServer.Base())).back(), kListUnreadable);
    EXPECT_EQ(program.Snapshot(), before);

    // A banner beyond 16 MiB is not taken at all, signed or not.
    ServerFolder hugeBanner(TestName() + "_huge");
    hugeBanner.Publish(content);
    hugeBanner.Fault("banner.qbf", "oversize " + std::to_string(update::kMaxBannerBytes + 1));
    EXPECT_EQ(Codes(RunWorker(program.Path(), hugeBanner.Base())).back(), kServerUnreachable);
    EXPECT_EQ(program.Snapshot(), before);
}

TEST_F(UpdateClient, AReadOnlyInstalledPluginFailsTheUpdateAndKeepsTheOldList) {
    ServerContent content;
    content.pluginVersion = 7;
    const Offer locked = MakeOffer("locked.tlp", 9), other = MakeOffer("other.tlp", 9);
    content.standard = {locked, other};
    server.Publish(content);
    InstallList(content.bannerVersion, 6, content.banner);
    const std::string oldList = program.Get("update.prm");
    const std::string lockedBytes = PluginFile("Update locked.tlp", 1);
    program.Put("STDPLUGS\\locked.tlp", lockedBytes);
    const std::string lockedPath = program.Path() + "\\STDPLUGS\\locked.tlp";
    ASSERT_TRUE(::SetFileAttributesA(lockedPath.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(Codes(Run()).back(), kListUnreadable);
    EXPECT_EQ(program.Get("STDPLUGS\\locked.tlp"), lockedBytes);
    EXPECT_EQ(program.Get("update.prm"), oldList) << "the failed file is offered again next time";
    ::SetFileAttributesA(lockedPath.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Writable again: the next update brings it.
    EXPECT_EQ(Codes(Run()).back(), kSucceeded);
    EXPECT_EQ(program.Get("STDPLUGS\\locked.tlp"), locked.bytes);
    EXPECT_EQ(program.Get("update.prm"), server.Get("update.prm"));
}

TEST_F(UpdateClient, AnUnreachableServerFailsAt4098) {
    const auto before = program.Snapshot();
    const std::vector<Notice> notices = RunWorker(program.Path(), "http://127.0.0.1:1/tracelorn/2/");
    EXPECT_EQ(Codes(notices), (std::vector<uint32_t>{kConnecting, kServerUnreachable}));
    EXPECT_EQ(program.Snapshot(), before);
}

TEST_F(UpdateClient, LargePluginsReportProgressWithinTheFile) {
    ServerContent content;
    const std::string big = PluginFile("Update big", 9, 300 * 1024);
    const std::string small = PluginFile("Update small", 9);
    content.standard = {Offer{"big.tlp", StampOf(big), big, true}, Offer{"small.tlp", StampOf(small), small, true}};
    server.Publish(content);
    const std::vector<Notice> notices = Run();
    ASSERT_EQ(Codes(notices).back(), kSucceeded);
    std::vector<uint32_t> progress;
    bool afterSmall = false;
    for (const Notice& n : notices) {
        if (n.code == kFileBegins && n.name == "small.tlp") afterSmall = true;
        if (n.code == update::kFileProgress) {
            EXPECT_FALSE(afterSmall) << "a file under 64 KiB reports no progress of its own";
            progress.push_back(n.value);
        }
    }
    ASSERT_GE(progress.size(), 10u);
    for (size_t i = 1; i < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]);
    EXPECT_EQ(progress.back(), update::kPerMille);
    EXPECT_EQ(program.Get("STDPLUGS\\big.tlp"), big);
}

// Plug-ins the engine would refuse to run, or that are not plug-ins at all, are not saved even
// when signed: a list of the right key does not make a broken file safe.
TEST_F(UpdateClient, SignedFilesThatAreNotSafePluginsAreRefused) {
    TargetRecord record;
    record.name = "Bad root";
    EntryRecord entry;
    entry.kind = 6;
    entry.rootKey = 0x12345678;  // not a predefined root
    entry.key = "Software\\x";
    record.entries.push_back(entry);
    PropertyTree tree;
    ASSERT_EQ(TreeFromRecord(record, tree), RecordWriteResult::Ok);
    const std::string badRoot = TreeBytes(tree);
    for (const std::string& bytes : {badRoot, std::string("MZ not a plug-in at all"), PluginFile("x", 9) + "tail"}) {
        ServerFolder server(TestName() + "_" + std::to_string(bytes.size()));
        ServerContent content;
        content.standard = {Offer{"bad.tlp", 9, bytes, true}};
        server.Publish(content);
        ProgramFolder fresh;
        const auto before = fresh.Snapshot();
        EXPECT_EQ(Codes(RunWorker(fresh.Path(), server.Base())).back(), kListUnreadable);
        EXPECT_EQ(fresh.Snapshot(), before);
    }
}

}  // namespace

namespace {

// A server that replays, freezes or mixes signed lists gets a failed update: nothing is written
// and the accepted sequence stays where it was.
TEST_F(UpdateClient, AReplayedOlderListIsRefused) {
    ServerContent content;
    content.sequence = 2;
    content.standard = {MakeOffer("a.tlp", 5)};
    server.Publish(content);
    ASSERT_EQ(Codes(Run()).back(), kSucceeded);
    ASSERT_EQ(AcceptedSequence(), 2u);
    // An older publication, validly signed, offering more than the client has.
    content.sequence = 1;
    content.pluginVersion = 2;
    content.standard.push_back(MakeOffer("b.tlp", 5));
    server.Publish(content);
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()), (std::vector<uint32_t>{kConnecting, kListUnreadable}));
    EXPECT_EQ(program.Snapshot(), before);
    EXPECT_EQ(AcceptedSequence(), 2u);
}

TEST_F(UpdateClient, AnExpiredListIsRefused) {
    ServerContent content;
    content.expires = static_cast<int64_t>(std::time(nullptr)) - 3600;
    content.standard = {MakeOffer("a.tlp", 5)};
    server.Publish(content);
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()), (std::vector<uint32_t>{kConnecting, kListUnreadable}));
    EXPECT_EQ(program.Snapshot(), before);
    EXPECT_FALSE(AcceptedSequence());
}

TEST_F(UpdateClient, ThisReleasesListWithLastReleasesPluginListIsRefused) {
    ServerContent last;
    last.standard = {MakeOffer("a.tlp", 5)};
    server.Publish(last);
    const std::string oldPlugins = server.Get("updateplg.prm"), oldSig = server.Get("updateplg.prm.sig");
    const std::string oldFile = server.Get("STDPLUGS/a.tlp");
    ServerContent current = last;
    current.sequence = 2;
    current.pluginVersion = 2;
    current.standard = {MakeOffer("a.tlp", 6), MakeOffer("fix.tlp", 6)};
    server.Publish(current);
    server.Put("updateplg.prm", oldPlugins);
    server.Put("updateplg.prm.sig", oldSig);
    server.Put("STDPLUGS/a.tlp", oldFile);
    const auto before = program.Snapshot();
    EXPECT_EQ(Codes(Run()).back(), kListUnreadable);
    EXPECT_EQ(program.Snapshot(), before);
    EXPECT_FALSE(AcceptedSequence());
}

TEST_F(UpdateClient, ADeletedPluginReturnsOnlyWithANewerStamp) {
    ServerContent content;
    content.standard = {MakeOffer("gone.tlp", 5), MakeOffer("kept.tlp", 5)};
    server.Publish(content);
    ASSERT_EQ(Codes(Run()).back(), kSucceeded);
    ASSERT_TRUE(::DeleteFileA((program.Path() + "\\STDPLUGS\\gone.tlp").c_str()));
    content.sequence = 2;
    content.pluginVersion = 2;
    content.standard[1] = MakeOffer("kept.tlp", 6);
    server.Publish(content);
    const std::vector<Notice> notices = Run();
    ASSERT_EQ(Codes(notices).back(), kSucceeded);
    EXPECT_EQ(notices.back().value, 1u);
    EXPECT_FALSE(program.Has("STDPLUGS\\gone.tlp"));
    content.sequence = 3;
    content.pluginVersion = 3;
    content.standard[0] = MakeOffer("gone.tlp", 6);
    server.Publish(content);
    ASSERT_EQ(Codes(Run()).back(), kSucceeded);
    EXPECT_EQ(program.Get("STDPLUGS\\gone.tlp"), content.standard[0].bytes);
}

}  // namespace

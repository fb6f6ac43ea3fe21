// The update client's platform-neutral decisions: which names may become files, which versions
// need fetching, what the lists offer and how they carry hashes, and the bounds and texts.
#include "schedule/UpdateAddress.h"
#include "schedule/UpdateLists.h"
#include "schedule/UpdateProtocol.h"
#include "targets/ByteStream.h"
#include "targets/PluginRecord.h"

#include <gtest/gtest.h>

using namespace update;

namespace {

PropertyTree Versions(uint32_t banner, uint32_t plugin) {
    PropertyTree tree;
    PropertyNode& node = tree.AddNode("Update", 0, false);
    node.SetInteger("Banner", banner);
    node.SetInteger("Plugin", plugin);
    return tree;
}

std::vector<uint8_t> Bytes(const PropertyTree& tree) {
    MemoryStream out;
    tree.Write(out);
    return out.Bytes();
}

TEST(UpdateNames, OnlyPlainPluginFileNamesBecomeFiles) {
    for (const char* good : {"a.tlp", "IEHist.tlp", "x.TLP", "Media Player Classic.tlp", "a.b.tlp", "\xC4rger.tlp"})
        EXPECT_TRUE(IsSafePluginFileName(good)) << good;
    for (const char* bad : {"..\\..\\evil.tlp", "C:\\x.tlp", "sub\\x.tlp", "sub/x.tlp", "CON.tlp", "con.tlp",
                            "NUL.txt.tlp", "COM1.tlp", "lpt9.tlp", "AUX .tlp", "CONOUT$.tlp", "x.exe", "x.tlp.exe",
                            ".tlp", "..tlp", "...tlp", "a.tlp:s", "C:x.tlp", "a*.tlp", "a?.tlp", "a\x01.tlp",
                            " lead.tlp", "", "tlp"})
        EXPECT_FALSE(IsSafePluginFileName(bad)) << bad;
    EXPECT_TRUE(IsSafePluginFileName(std::string(255, 'a') + ".tlp"));
    EXPECT_FALSE(IsSafePluginFileName(std::string(256, 'a') + ".tlp"));
    EXPECT_TRUE(IsSafePluginFileName("COM10.tlp")) << "only COM1 to COM9 are devices";
}

TEST(UpdateNeeds, VersionsCompareUnsignedAndMissingMeansNeeded) {
    const PropertyTree remote = Versions(3, 5);
    Needs n = DecideNeeds(nullptr, remote);
    EXPECT_TRUE(n.banner && n.plugins);
    const PropertyTree same = Versions(3, 5);
    n = DecideNeeds(&same, remote);
    EXPECT_FALSE(n.banner || n.plugins);
    const PropertyTree olderBanner = Versions(2, 9);
    n = DecideNeeds(&olderBanner, remote);
    EXPECT_TRUE(n.banner);
    EXPECT_FALSE(n.plugins);
    const PropertyTree huge = Versions(0x80000000u, 5);
    n = DecideNeeds(&huge, remote);
    EXPECT_FALSE(n.banner) << "0x80000000 is above 3 as an unsigned number";
    PropertyTree empty;
    n = DecideNeeds(&empty, remote);
    EXPECT_TRUE(n.banner && n.plugins);
    PropertyTree wrongType;
    wrongType.AddNode("Update", 0, false).SetString("Banner", "3");
    n = DecideNeeds(&wrongType, remote);
    EXPECT_TRUE(n.banner);
}

TEST(UpdateLists, OffersKeepOrderSkipUnsafeAndRepeatedNamesAndNeedBothNodes) {
    PropertyTree list;
    PropertyNode& std_ = list.AddNode("Std", 0, false);
    std_.SetInteger("b.tlp", 2);
    std_.SetInteger("..\\evil.tlp", 9);
    std_.SetInteger("a.tlp", 1);
    list.AddNode("App", 0, false).SetInteger("c.tlp", 7);
    list.SortNodes();
    auto offers = OfferedPlugins(list);
    ASSERT_TRUE(offers);
    ASSERT_EQ(offers->size(), 3u);
    EXPECT_EQ((*offers)[0].name, "b.tlp");
    EXPECT_EQ((*offers)[1].name, "a.tlp");
    EXPECT_EQ((*offers)[2].name, "c.tlp");
    EXPECT_EQ((*offers)[2].folder, PluginFolder::Application);
    EXPECT_EQ((*offers)[2].stamp, 7u);

    PropertyTree onlyStd;
    onlyStd.AddNode("Std", 0, false);
    EXPECT_FALSE(OfferedPlugins(onlyStd));
}

TEST(UpdateLists, HashesAreThirtyTwoByteStringsUnderTheirKeys) {
    PropertyTree list;
    list.AddNode("Std", 0, false).SetInteger("a.tlp", 1);
    list.AddNode("App", 0, false).SetInteger("a.tlp", 1);
    PropertyNode& hashes = list.AddNode("Hash", 0, false);
    hashes.SetString(PluginHashName(PluginFolder::Standard, "a.tlp"), std::string(32, '\x11'));
    hashes.SetString(PluginHashName(PluginFolder::Application, "a.tlp"), std::string(31, '\x22'));
    list.SortNodes();
    const PropertyTree read = *ReadList(Bytes(list));
    auto offers = *OfferedPlugins(read);
    ASSERT_EQ(offers.size(), 2u);
    auto standard = PluginHash(read, offers[0]);
    ASSERT_TRUE(standard);
    EXPECT_EQ((*standard)[31], 0x11);
    EXPECT_FALSE(PluginHash(read, offers[1])) << "a hash of another length is none";

    PropertyTree versions = Versions(1, 1);
    EXPECT_FALSE(BannerHash(versions));
    versions.Node(0).SetString(kBannerHashName, std::string(32, '\0'));
    EXPECT_TRUE(BannerHash(versions));
}

TEST(UpdateLists, PluginsAreAcceptedOnlyWhenEveryEntryIsTrustedAndNothingFollows) {
    TargetRecord record;
    record.name = "T";
    record.stamp = {7, 3, 9, 0};
    EntryRecord file;
    file.kind = 2;
    file.path = "C:\\x\\";
    record.entries.push_back(file);
    MemoryStream good;
    ASSERT_EQ(WriteTargetRecord(record, good), RecordWriteResult::Ok);
    EXPECT_TRUE(IsAcceptablePlugin(good.Bytes()));
    EXPECT_EQ(*PluginStamp(good.Bytes()), 0x00090307u);
    std::vector<uint8_t> tail = good.Bytes();
    tail.push_back(0);
    EXPECT_FALSE(IsAcceptablePlugin(tail));

    EntryRecord registry;
    registry.kind = 5;
    registry.rootKey = 0x80000001u;
    registry.key = "Software\\x";
    registry.hasPattern = false;  // written without "Value": every value of the key
    record.entries.push_back(registry);
    MemoryStream noPattern;
    ASSERT_EQ(WriteTargetRecord(record, noPattern), RecordWriteResult::Ok);
    EXPECT_FALSE(IsAcceptablePlugin(noPattern.Bytes()));

    // What the loader would drop is not taken either: a whole hive branch, a relative folder.
    for (const EntryRecord& hostile : {[] { EntryRecord r; r.kind = 6; r.rootKey = 0x80000001u; r.key = "Software"; return r; }(),
                                       [] { EntryRecord r; r.kind = 2; r.path = "drivers\\"; return r; }()}) {
        record.entries = {file, hostile};
        MemoryStream bytes;
        ASSERT_EQ(WriteTargetRecord(record, bytes), RecordWriteResult::Ok);
        EXPECT_FALSE(IsAcceptablePlugin(bytes.Bytes()));
    }
    record.entries = {file};

    EXPECT_FALSE(IsAcceptablePlugin({'P', 'R', 'T', '2', 0, 0, 0, 0}));
    EXPECT_FALSE(PluginStamp({}));
}

TEST(UpdateProtocol, TextsCodesAndProgress) {
    EXPECT_EQ(StatusText(kSucceeded, 3), "Update successfully completed.\n3 plugins updated.");
    EXPECT_EQ(StatusText(kNothingToFetch, 0), "No need to update!");
    EXPECT_EQ(StatusText(kServerUnreachable, 0), "Error! Can not find server.\nPlease check your Internet connection.");
    EXPECT_EQ(StatusText(kListUnreadable, 0),
              "Error! Can not finish update process.\nPlease check your Internet connection.");
    EXPECT_EQ(FileText("a.tlp"), "Updating...\n\"a.tlp\"");
    EXPECT_EQ(StoppedText(0), "Update process breaked by user.");
    EXPECT_EQ(StoppedText(3), "Update process breaked by user.\n3 plugins updated.");
    for (uint32_t code : {1u, 2u, 4u, 5u, 6u, 7u, 4097u, 4098u, 4100u}) EXPECT_TRUE(IsKnownCode(code)) << code;
    for (uint32_t code : {0u, 3u, 8u, 4096u, 4099u, 0x10000u}) EXPECT_FALSE(IsKnownCode(code)) << code;
    EXPECT_EQ(PerMille(0, 0), 0u);
    EXPECT_EQ(PerMille(50, 100), 500u);
    EXPECT_EQ(PerMille(200, 100), 1000u);
    EXPECT_EQ(PerMille(uint64_t(1) << 40, (uint64_t(1) << 41)), 500u);
}

TEST(UpdateAddress, OnlyWebAddressesAndAlwaysAFinalSlash) {
    EXPECT_EQ(*NormaliseBaseAddress("http://127.0.0.1:8000/tracelorn/2"), "http://127.0.0.1:8000/tracelorn/2/");
    EXPECT_EQ(*NormaliseBaseAddress("HTTPS://mirror.example/tracelorn/2/"), "HTTPS://mirror.example/tracelorn/2/");
    for (const char* bad : {"", "http://", "ftp://x/", "file:///C:/x/", "C:\\updates\\", "http://a b/"})
        EXPECT_FALSE(NormaliseBaseAddress(bad)) << bad;
    EXPECT_NE(std::string(kDefaultBaseAddress).find("https://"), std::string::npos);
    const std::string base = kDefaultBaseAddress;
    EXPECT_EQ(base.substr(base.size() - 13), "/tracelorn/2/");
}

}  // namespace

namespace {

// Which verified list is taken, and which absent plug-in comes back: the decisions the worker
// applies with the records of the settings key.
TEST(UpdateBinding, ListsNeedABindingAndPluginsTheUserDeletedStayDeleted) {
    PropertyTree list = Versions(1, 1);
    EXPECT_EQ(JudgeList(ReadBinding(list), std::nullopt, 100), ListVerdict::Unbound);
    list.Node(0).SetInteger(kSequenceName, 5);
    const auto expires = StampBytes(1000);
    list.Node(0).SetStamp(kExpiresName, expires[0], expires[1], expires[2], expires[3]);
    list.Node(0).SetString(kPluginListHashName, std::string(31, 'h'));
    EXPECT_FALSE(ReadBinding(list)) << "a hash of 31 bytes is none";
    list.Node(0).SetString(kPluginListHashName, std::string(32, 'h'));
    const auto binding = ReadBinding(list);
    ASSERT_TRUE(binding);
    EXPECT_EQ(binding->expires, 1000u);
    EXPECT_EQ(JudgeList(binding, std::nullopt, 100), ListVerdict::Newer);
    EXPECT_EQ(JudgeList(binding, 4u, 1000), ListVerdict::Newer);
    EXPECT_EQ(JudgeList(binding, 5u, 100), ListVerdict::Same);
    EXPECT_EQ(JudgeList(binding, 6u, 100), ListVerdict::Replayed);
    EXPECT_EQ(JudgeList(binding, 5u, 1001), ListVerdict::Expired);

    const PluginOffer offer{PluginFolder::Standard, "a.tlp", 7};
    using File = Installed::File;
    EXPECT_TRUE(ShouldFetch(offer, Installed{File::Absent, 0, std::nullopt})) << "never held: a new plug-in";
    EXPECT_FALSE(ShouldFetch(offer, Installed{File::Absent, 0, 7u})) << "deleted at this stamp";
    EXPECT_TRUE(ShouldFetch(offer, Installed{File::Absent, 0, 6u})) << "deleted, and a newer one is offered";
    EXPECT_TRUE(ShouldFetch(offer, Installed{File::Unreadable, 0, 9u})) << "damaged, not deleted";
    EXPECT_TRUE(ShouldFetch(offer, Installed{File::Present, 6, 6u}));
    EXPECT_FALSE(ShouldFetch(offer, Installed{File::Present, 7, 7u}));
}

}  // namespace

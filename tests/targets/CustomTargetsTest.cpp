#include "engine/EntryFactory.h"
#include "support/TempFolder.h"
#include "targets/CustomTargets.h"
#include "targets/CustomTargetsFormat.h"
#include "targets/PluginFiles.h"

#include <gtest/gtest.h>

namespace {
std::string Folder(const TempFolder& t) { return t.Path().substr(0, t.Path().size() - 1); }

std::unique_ptr<Target> OneFileTarget(const std::string& name, bool selected) {
    auto t = std::make_unique<Target>(name, "Kills " + name);
    t->SetSelected(selected);
    EntryRecord e;
    e.kind = 1;
    e.path = "C:\\x.log";
    e.recurse = false;
    auto entry = MakeEntry(e);
    EXPECT_TRUE(entry);
    t->AddEntry(std::move(entry));
    return t;
}

struct Catalog {
    TargetCatalog catalog;
    Catalog() { catalog.MarkCustomStart(); }
};

class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : h_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_); }
    bool Held() const { return h_ != INVALID_HANDLE_VALUE; }
private:
    HANDLE h_;
};
}  // namespace

TEST(CustomTargets, NoTargetsWritesFourZeroBytes) {
    TempFolder tmp;
    Catalog c;
    CustomTargetsStore store;
    EXPECT_EQ(store.Load(c.catalog, Folder(tmp)), 0u);
    EXPECT_FALSE(store.LoadWasIncomplete());
    ASSERT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs"), std::string(4, '\0'));
}

TEST(CustomTargets, OneSingleFileTargetExactBytes) {
    TempFolder tmp;
    Catalog c;
    c.catalog.AddTarget(OneFileTarget("abc", true));
    CustomTargetsStore store;
    ASSERT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    std::string b = ReadFileBytes(tmp / "CustomTargets.tgs");
    auto str = [](const std::string& s) { return std::string{char(s.size()), 0} + s; };
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    std::string expected = u32(1) + "TLP2" + u32(2);
    expected += u32(0) + str("Info") + u32(4);
    expected += str("Name") + '\x04' + str("TUV");  // "abc" scrambled with k = 13
    expected += str("Desc") + '\x04' + str(Scramble("Kills abc"));
    expected += str("Active") + '\x01' + u32(1);
    expected += str("Date") + '\x05' + std::string("\x01\x01\x00\x00", 4);
    expected += u32(0) + str("Rem0") + u32(5);
    expected += str("Type") + '\x00' + u32(1);
    expected += str("Path") + '\x04' + str(Scramble("C:\\x.log"));
    expected += str("Recurs") + '\x01' + u32(0);
    expected += str("CSID") + '\x00' + u32(0);
    expected += str("RemReboot") + '\x01' + u32(0);
    EXPECT_EQ(b, expected);
}

TEST(CustomTargets, SelectionAndOrderSurvive) {
    TempFolder tmp;
    {
        Catalog c;
        c.catalog.AddTarget(OneFileTarget("Zeta", false));
        c.catalog.AddTarget(OneFileTarget("alpha", true));
        CustomTargetsStore store;
        ASSERT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    }
    Catalog c;
    CustomTargetsStore store;
    ASSERT_EQ(store.Load(c.catalog, Folder(tmp)), 2u);
    ASSERT_EQ(c.catalog.TargetCount(), 2u);
    EXPECT_EQ(c.catalog.TargetAt(0).Name(), "Zeta");
    EXPECT_FALSE(c.catalog.TargetAt(0).Selected());
    EXPECT_EQ(c.catalog.TargetAt(1).Name(), "alpha");
    EXPECT_TRUE(c.catalog.TargetAt(1).Selected());
    EXPECT_EQ(c.catalog.TargetAt(1).EntryCount(), 1u);
}

TEST(CustomTargets, CorruptRecordKeepsEarlierTargetsAndTheFile) {
    TempFolder tmp;
    {
        Catalog c;
        for (const char* n : {"One", "Two", "Three"}) c.catalog.AddTarget(OneFileTarget(n, true));
        CustomTargetsStore store;
        ASSERT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    }
    std::string bytes = ReadFileBytes(tmp / "CustomTargets.tgs");
    size_t second = bytes.find("TLP2", 8);
    ASSERT_NE(second, std::string::npos);
    bytes[second] = 'X';
    tmp.MakeFileWith("CustomTargets.tgs", bytes);
    Catalog c;
    CustomTargetsStore store;
    EXPECT_EQ(store.Load(c.catalog, Folder(tmp)), 1u);
    EXPECT_EQ(c.catalog.TargetAt(0).Name(), "One");
    EXPECT_TRUE(store.LoadWasIncomplete());
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::KeptIncompleteFile);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs"), bytes);
    store.MarkChanged();
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    EXPECT_NE(ReadFileBytes(tmp / "CustomTargets.tgs"), bytes);
    // The file that could not be read is kept as it was, once: later saves leave the copy alone.
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs.bak"), bytes);
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs.bak"), bytes);
}

TEST(CustomTargets, LockedFileIsNeverWiped) {
    TempFolder tmp;
    std::string old = std::string("\x01\0\0\0", 4) + "TLP2junk";
    std::string path = tmp.MakeFileWith("CustomTargets.tgs", old);
    Catalog c;
    CustomTargetsStore store;
    {
        HeldFile held(path);
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(store.Load(c.catalog, Folder(tmp)), 0u);
        EXPECT_TRUE(store.LoadWasIncomplete());
    }
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::KeptIncompleteFile);
    EXPECT_EQ(ReadFileBytes(path), old);
    // The user's edits while the file is still held: it cannot be kept, so nothing replaces it.
    c.catalog.AddTarget(OneFileTarget("New", true));
    store.MarkChanged();
    {
        HeldFile held(path);
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::KeptIncompleteFile);
    }
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_FALSE(FileExists(tmp / "CustomTargets.tgs.bak"));
    // Released: the old file becomes the .bak, the new targets the file.
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs.bak"), old);
    Catalog reread;
    CustomTargetsStore again;
    EXPECT_EQ(again.Load(reread.catalog, Folder(tmp)), 1u);
    EXPECT_EQ(reread.catalog.TargetAt(0).Name(), "New");
}

TEST(CustomTargets, TargetUnderAFolderWithoutAnAnsiNameIsRefusedNotRenamed) {
    TempFolder tmp;
    Catalog c;
    c.catalog.AddTarget(OneFileTarget("Kept", true));
    CustomTargetsStore store;
    ASSERT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    const std::string before = ReadFileBytes(tmp / "CustomTargets.tgs");
    // "C:\Кэш\" has no form in code page 1252.
    EntryRecord e;
    e.kind = 2;
    e.path = "C:\\\xD0\x9A\xD1\x8D\xD1\x88\\";
    auto t = std::make_unique<Target>("Cyrillic", "");
    auto entry = MakeEntry(e);
    ASSERT_TRUE(entry);
    t->AddEntry(std::move(entry));
    c.catalog.AddTarget(std::move(t));
    store.MarkChanged();
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Refused);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs"), before);
}

TEST(CustomTargets, FailedReplaceLeavesOldFileWhole) {
    TempFolder tmp;
    Catalog c;
    c.catalog.AddTarget(OneFileTarget("Kept", true));
    CustomTargetsStore store;
    ASSERT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Written);
    std::string before = ReadFileBytes(tmp / "CustomTargets.tgs");
    c.catalog.AddTarget(OneFileTarget("Added", true));
    {
        HeldFile held(tmp / "CustomTargets.tgs");
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::WriteFailed);
    }
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs"), before);
}

TEST(CustomTargets, OverlongNameIsRefusedNotWritten) {
    TempFolder tmp;
    Catalog c;
    c.catalog.AddTarget(OneFileTarget(std::string(300, 'n'), true));
    CustomTargetsStore store;
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::Refused);
    EXPECT_FALSE(FileExists(tmp / "CustomTargets.tgs"));
}

TEST(CustomTargets, EntryThatCannotBeMadeKeepsTheFile) {
    TempFolder tmp;
    TargetRecord r;
    r.name = "Odd root";
    EntryRecord good;
    good.kind = 1;
    good.path = "C:\\x.log";
    EntryRecord odd;
    odd.kind = 6;
    odd.rootKey = 0x12345678u;  // not a predefined root: no entry can be made of it
    odd.key = "Software\\X";
    r.entries = {good, odd};
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeCustomTargets({r}, bytes), RecordWriteResult::Ok);
    const std::string old(bytes.begin(), bytes.end());
    tmp.MakeFileWith("CustomTargets.tgs", old);
    Catalog c;
    CustomTargetsStore store;
    ASSERT_EQ(store.Load(c.catalog, Folder(tmp)), 1u);
    EXPECT_EQ(c.catalog.TargetAt(0).EntryCount(), 1u);
    EXPECT_TRUE(store.LoadWasIncomplete());
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::KeptIncompleteFile);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs"), old);
}

TEST(CustomTargets, MissingFileIsNoTargetsAndAnUnreadableOneIsKept) {
    TempFolder tmp;
    Catalog c;
    CustomTargetsStore fresh;
    EXPECT_EQ(fresh.Load(c.catalog, Folder(tmp) + "\\absent"), 0u);
    EXPECT_FALSE(fresh.LoadWasIncomplete());
    const std::string shortCount("\x02\x00", 2);
    tmp.MakeFileWith("CustomTargets.tgs", shortCount);
    CustomTargetsStore store;
    EXPECT_EQ(store.Load(c.catalog, Folder(tmp)), 0u);
    EXPECT_TRUE(store.LoadWasIncomplete());
    EXPECT_EQ(store.Save(c.catalog, Folder(tmp)), CustomTargetsStore::SaveResult::KeptIncompleteFile);
    EXPECT_EQ(ReadFileBytes(tmp / "CustomTargets.tgs"), shortCount);
}

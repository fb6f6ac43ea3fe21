// What the custom target editor accepts and the entry it builds: every field bounded to what a
// stored record holds, so a target the editor accepts always survives a save and a load.
#include "dialogs/TargetEditorRules.h"
#include "targets/PluginRecord.h"
#include "targets/PropertyTree.h"

#include <gtest/gtest.h>

using namespace target_editor;

namespace {

Fields Named(int kind) {
    Fields f;
    f.name = "Mine";
    f.kind = kind;
    return f;
}

TEST(TargetEditorRules, ChecksNameFieldsBoundsAndForm) {
    Fields f = Named(1);
    f.file = "C:\\a.txt";
    EXPECT_EQ(Check(f), "");
    f.name.clear();
    EXPECT_EQ(Check(f), kNameEmpty);
    f.name = std::string(32, 'x');
    EXPECT_EQ(Check(f), "");
    f.name += 'x';
    EXPECT_EQ(Check(f), kNameTooLong);
    f.name = "tab\there";
    EXPECT_NE(Check(f), "");

    f = Named(1);
    f.file = "relative.txt";
    EXPECT_NE(Check(f).find("full path"), std::string::npos);
    f.file = "\\\\server\\share\\x.txt";
    EXPECT_EQ(Check(f), "");
    f.file = "C:\\" + std::string(256, 'a');  // 259 bytes
    EXPECT_EQ(Check(f), "");
    f.file += 'a';
    EXPECT_NE(Check(f).find("259"), std::string::npos);

    f = Named(3);
    f.folder = "C:\\temp";
    EXPECT_EQ(Check(f), kFieldsEmpty) << "kind 3 needs a wildcard";
    f.wildcard = "*.tmp";
    EXPECT_EQ(Check(f), "");
    f.folder = "C:\\" + std::string(256, 'a');  // 259 bytes, and the backslash it gets makes 260
    EXPECT_NE(Check(f), "");

    f = Named(5);
    f.subKey = "Software\\Vendor\\Product";
    f.valueName = "Recent*";
    EXPECT_EQ(Check(f), kFieldsEmpty) << "a registry kind without a root";
    f.root = 1;
    EXPECT_EQ(Check(f), "");
    f.valueName.clear();
    EXPECT_EQ(Check(f), kFieldsEmpty) << "kind 5 needs a value name";
    f.valueName = std::string(127, 'v') + "*";
    EXPECT_NE(Check(f).find("127"), std::string::npos);
    f.valueName = std::string(127, 'v');  // an exact name may be as long as any other field
    EXPECT_EQ(Check(f), "");
    f.kind = 6;
    f.valueName.clear();
    EXPECT_EQ(Check(f), "") << "kind 6 needs no value name";

    f = Named(4);
    f.root = 0;
    f.subKey = "Software\\Vendor";
    EXPECT_EQ(Check(f), kFieldsEmpty) << "kind 4 needs the value holding the folder";
}

TEST(TargetEditorRules, BuildsEntriesThatStoreAndReadBack) {
    Fields f = Named(2);
    f.folder = "C:\\temp";
    f.recurse = false;
    EntryRecord e = BuildEntry(f);
    EXPECT_EQ(e.kind, 2u);
    EXPECT_EQ(e.path, "C:\\temp\\");
    EXPECT_FALSE(e.recurse);

    f = Named(5);
    f.root = 4;
    f.subKey = "S-1\\Software\\A\\B";
    f.valueName = "Mru*";
    e = BuildEntry(f);
    EXPECT_EQ(e.rootKey, 0x80000003u) << "Users";
    EXPECT_EQ(e.key, "S-1\\Software\\A\\B");
    EXPECT_EQ(e.valueName, "Mru*");
    EXPECT_FALSE(e.recurse);
    f.root = 3;
    f.kind = 6;
    e = BuildEntry(f);
    EXPECT_EQ(e.rootKey, 0x80000005u) << "Current_Config";
    EXPECT_TRUE(e.recurse);
    EXPECT_EQ(IndexOfRootKey(0x80000004u), -1) << "a root the radios do not offer selects none";

    // Every field at its bound still makes a record the store writes and reads back unchanged.
    f = Named(3);
    f.name = std::string(32, 'n');
    f.folder = "C:\\" + std::string(255, 'a');
    f.wildcard = std::string(259, 'w');
    ASSERT_EQ(Check(f), "");
    TargetRecord record;
    record.name = f.name;
    record.entries.push_back(BuildEntry(f));
    PropertyTree tree;
    ASSERT_EQ(TreeFromRecord(record, tree), RecordWriteResult::Ok);
    const auto back = RecordFromTree(tree);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->entries.size(), 1u);
    EXPECT_EQ(back->entries[0], record.entries[0]);

    // Editing: the stored entry fills the fields of its kind.
    Fields edited;
    FillFrom(record.entries[0], edited);
    EXPECT_EQ(edited.kind, 3);
    EXPECT_EQ(edited.wildcard, f.wildcard);
    EntryRecord odd;
    odd.kind = 9;
    FillFrom(odd, edited);
    EXPECT_EQ(edited.kind, 1) << "a kind outside 1 to 6 opens as a single file";
}

}  // namespace

TEST(TargetEditorRules, TheConfirmationSaysInPlainWordsWhatEveryKillDeletes) {
    Fields f = Named(3);
    f.folder = "C:\\Users\\Ann\\Documents\\Scans";
    f.wildcard = "*.tif";
    f.recurse = true;
    const std::string text = ConfirmUserFilesMessage(BuildEntry(f), "C:\\Users\\Ann\\Documents\\Scans", "your Documents folder");
    for (const char* says : {"\"C:\\Users\\Ann\\Documents\\Scans\" lies in your Documents folder", "your own files",
                             "every file matching \"*.tif\"", "all of its subfolders", "cannot be recovered"})
        EXPECT_NE(text.find(says), std::string::npos) << says;
    f.recurse = false;
    EXPECT_EQ(ConfirmUserFilesMessage(BuildEntry(f), f.folder, "x").find("subfolders"), std::string::npos);
}

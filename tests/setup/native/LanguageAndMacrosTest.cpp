// Settings, languages, macros and font entries, on hand-made trees and on the shipped data files.
#include "config/FontEntry.h"
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"
#include "config/StartLanguage.h"
#include "setup/SetupTestFiles.h"

#include <gtest/gtest.h>

namespace {

using setup::InstallSettings;
using setup::LanguageSet;

void AddLanguage(QV::TreeNode& root, int index, const std::u16string& name, const std::u16string& code,
                 const std::u16string& title) {
    QV::TreeNode* lang = root.Child("lang_" + std::to_string(index), true);
    lang->SetString("language", name);
    lang->SetString("ext", code);
    lang->Child("title", true)->SetString("text", title);
}

void FillLanguageFile(QV::TreeNode& root) {
    root.SetName(LanguageSet::kRootName);
    AddLanguage(root, 0, u"English", u"en", u"#title# #ver# Setup");
    AddLanguage(root, 1, u"Deutsch", u"de", u"#title# #ver# Installation");
    root.Child("lang_0")->Child("#UninstDesc#", true)->SetString("text", u"Uninstall");
    root.Child("lang_0")->Child("#ShortDesc#", true)->SetString("text", u"");
    root.Child("lang_0")->Child("PS", true)->SetString("1011", u"Welcome to #title#");
    root.Child("lang_0")->Child("PS")->SetString("desc", u"d");
    root.Child("lang_0")->Child("101", true)->SetString("text", u"Next >");
}

TEST(Macros, ExpandInAscendingNameOrderWithoutRescanning) {
    setup::MacroTable m;
    EXPECT_EQ(m.Expand(u"#a#"), u"#a#");
    m.Set(u"#b#", u"B");
    m.Set(u"#a#", u"[#b#]");   // names a later macro: expanded too
    m.Set(u"#c#", u"(#a#)");   // names an earlier macro: stays literal
    m.Set(u"#x#", u"#x##x#");  // the inserted value is not rescanned for the same name
    EXPECT_EQ(m.Expand(u"#a# #c#"), u"[B] (#a#)");
    EXPECT_EQ(m.Expand(u"#x#"), u"#x##x#");
    EXPECT_EQ(m.Expand(u"#b##b##b#"), u"BBB");
    EXPECT_EQ(m.Expand(u"no macro here"), u"no macro here");
    m.Set(u"", u"never");
    EXPECT_EQ(m.Expand(u"plain"), u"plain");
}

TEST(Macros, AChainThatDoublesAtEveryStepStopsAtTheBound) {
    // #m00# names #m01# twice, #m01# names #m02# twice, ...: 2^40 copies if expanded whole.
    setup::MacroTable m;
    auto name = [](int i) { return u"#m" + std::u16string(1, u'0' + i / 10) + std::u16string(1, u'0' + i % 10) + u"#"; };
    for (int i = 0; i < 40; ++i) m.Set(name(i), name(i + 1) + name(i + 1));
    const std::u16string out = m.Expand(u"x" + name(0));
    EXPECT_LE(out.size(), setup::MacroTable::kMaxExpandedLength);
    EXPECT_GT(out.size(), setup::MacroTable::kMaxExpandedLength / 4);
    EXPECT_EQ(out.substr(0, 1), u"x");
}

TEST(Macros, ShippedShortcutDescription) {
    LanguageSet languages;
    QV::TreeNode file;
    FillLanguageFile(file);
    ASSERT_EQ(languages.Load(file), 2u);
    QV::TreeNode settingsTree;
    settingsTree.Child("macros", true)->SetString("#title#", u"Tracelorn");
    settingsTree.Child("macros", true)->SetString("#pub#", u"Quorvane");
    InstallSettings settings;
    settings.Load(settingsTree);
    settings.ApplyTo(languages);
    setup::FinishStartLanguage(languages);
    EXPECT_EQ(languages.Expand(u"#UninstDesc# #title#"), u"Uninstall Tracelorn");
    EXPECT_EQ(languages.Expand(u"#UninstDesc# #title#.lnk"), u"Uninstall Tracelorn.lnk");
    EXPECT_EQ(languages.Expand(u"#ShortDesc#"), u"");
    EXPECT_EQ(languages.Expand(u"text without hashes"), u"text without hashes");
}

TEST(Languages, ReadInOrderUntilTheFirstGap) {
    QV::TreeNode root(LanguageSet::kRootName);
    AddLanguage(root, 0, u"English", u"en", u"E");
    AddLanguage(root, 1, u"Russian", u"ru", u"R");
    AddLanguage(root, 3, u"French", u"fr", u"F");
    LanguageSet languages;
    ASSERT_EQ(languages.Load(root), 2u);
    EXPECT_EQ(languages.Languages()[1].code, u"ru");
    EXPECT_EQ(languages.Select(u"fr"), -1);
}

TEST(Languages, StopAtTheFirstLanguageWithoutNameOrCode) {
    QV::TreeNode root(LanguageSet::kRootName);
    AddLanguage(root, 0, u"English", u"en", u"E");
    root.Child("lang_1", true)->SetString("language", u"No code");
    AddLanguage(root, 2, u"Russian", u"ru", u"R");
    LanguageSet languages;
    EXPECT_EQ(languages.Load(root), 1u);
}

TEST(Languages, WrongRootNameLoadsNothing) {
    QV::TreeNode root;
    FillLanguageFile(root);
    root.SetName("lang_doc_2.0");
    LanguageSet languages;
    EXPECT_EQ(languages.Load(root), 0u);
    EXPECT_EQ(languages.Select(u"en"), -1);
    EXPECT_EQ(languages.Text("title"), u"");
}

TEST(Languages, SelectSetsLangAndZoneOrLeavesEverythingUnchanged) {
    QV::TreeNode file;
    FillLanguageFile(file);
    LanguageSet languages;
    languages.Load(file);
    languages.SetZones({{u"de", u"de"}});
    EXPECT_EQ(languages.Select(u"de"), 1);
    EXPECT_EQ(*languages.Macros().Find(u"#lang#"), u"de");
    EXPECT_EQ(*languages.Macros().Find(u"#zone#"), u"de");
    EXPECT_EQ(languages.Select(u"xx"), -1);
    EXPECT_EQ(languages.CurrentCode(), u"de");
    EXPECT_EQ(*languages.Macros().Find(u"#lang#"), u"de");
    EXPECT_EQ(languages.Select(u"EN"), -1);  // exact comparison
    EXPECT_EQ(languages.Select(u"en"), 0);
    EXPECT_EQ(*languages.Macros().Find(u"#zone#"), u"com");
}

TEST(Languages, LookupsExpandAndMissingOnesAreEmpty) {
    QV::TreeNode file;
    FillLanguageFile(file);
    LanguageSet languages;
    languages.Load(file);
    EXPECT_EQ(languages.Text("title"), u"");  // no language selected yet
    languages.SetMacro(u"#title#", u"Tracelorn");
    languages.SetMacro(u"#ver#", u"2.3");
    ASSERT_EQ(languages.Select(u"en"), 0);
    EXPECT_EQ(languages.Text("title"), u"Tracelorn 2.3 Setup");
    EXPECT_EQ(languages.ItemText("PS", "1011"), u"Welcome to Tracelorn");
    EXPECT_EQ(languages.Description("PS"), u"d");
    EXPECT_EQ(languages.NumberText(101), u"Next >");
    EXPECT_EQ(languages.Text("nothing"), u"");
    EXPECT_EQ(languages.ItemText("PS", "9999"), u"");
    EXPECT_EQ(languages.RawItemText("title", "text"), u"#title# #ver# Setup");
}

TEST(StartLanguage, WindowsLanguageThenStoredThenEnglish) {
    QV::TreeNode file;
    FillLanguageFile(file);
    const std::map<std::u16string, std::u16string> langs = {{u"DEU", u"de"}, {u"FRA", u"fr"}};
    {
        LanguageSet l;
        l.Load(file);
        EXPECT_EQ(setup::SelectStartLanguage(l, langs, std::u16string(u"DEU"), std::nullopt), u"de");
        EXPECT_EQ(l.CurrentCode(), u"de");
        setup::FinishStartLanguage(l);
        EXPECT_EQ(l.CurrentCode(), u"en");  // English wins whenever the file holds it
        EXPECT_EQ(*l.Macros().Find(u"#UninstDesc#"), u"Uninstall");
    }
    {
        LanguageSet l;
        l.Load(file);
        // A Windows language whose code names no loaded language falls back to "en".
        EXPECT_EQ(setup::SelectStartLanguage(l, langs, std::u16string(u"FRA"), std::nullopt), u"en");
        EXPECT_EQ(setup::SelectStartLanguage(l, langs, std::nullopt, std::u16string(u"de")), u"de");
        EXPECT_EQ(l.CurrentCode(), u"de");
    }
    {
        QV::TreeNode noEnglish(LanguageSet::kRootName);
        AddLanguage(noEnglish, 0, u"Deutsch", u"de", u"D");
        AddLanguage(noEnglish, 1, u"Russian", u"ru", u"R");
        LanguageSet l;
        l.Load(noEnglish);
        setup::SelectStartLanguage(l, langs, std::nullopt, std::u16string(u"ru"));
        setup::FinishStartLanguage(l);
        EXPECT_EQ(l.CurrentCode(), u"ru");
    }
}

TEST(FontEntry, DwordHeightIsIgnored) {
    QV::TreeNode node("welcome");
    auto height = std::make_unique<QV::TreeProperty>("Height", QV::TypeDword);
    height->SetInteger(QV::TypeDword, 24);
    node.AddProperty(std::move(height));
    node.SetString("Name", u"A face name longer than thirty-one characters");
    const setup::FontEntry spec = setup::ReadFontEntry(node);
    EXPECT_EQ(spec.height, 10);
    EXPECT_TRUE(spec.hasFace);
    EXPECT_EQ(spec.face, u"A face name longer than thirty-");
    EXPECT_FALSE(spec.bold);

    QV::TreeNode plain("header");
    auto h = std::make_unique<QV::TreeProperty>("Height", QV::TypeInt);
    h->SetInteger(QV::TypeInt, uint32_t(-13));
    plain.AddProperty(std::move(h));
    auto bold = std::make_unique<QV::TreeProperty>("Bold", QV::TypeBool);
    bold->SetInteger(QV::TypeBool, 1);
    plain.AddProperty(std::move(bold));
    const setup::FontEntry b = setup::ReadFontEntry(plain);
    EXPECT_EQ(b.height, -13);
    EXPECT_TRUE(b.bold);
    EXPECT_FALSE(b.hasFace);
}

TEST(Settings, MissingRequiredPropertiesTakeSafeDefaults) {
    QV::TreeNode empty;
    InstallSettings settings;
    settings.Load(empty);
    EXPECT_EQ(settings.Version(), u"0.0.0.0");
    EXPECT_EQ(settings.DefaultFolder(), u"");
    EXPECT_EQ(settings.Launch(), u"");
    EXPECT_FALSE(settings.FixedLocation());
    EXPECT_FALSE(settings.UserOnly());
    EXPECT_EQ(settings.FileCount(), 0u);
    EXPECT_FALSE(settings.Location());
    EXPECT_EQ(settings.ProductKey(), nullptr);
    EXPECT_TRUE(settings.RegistryKeys().empty());
}

TEST(Settings, KeyNodesWithoutAValidRootOrSubkeyArePassedOver) {
    QV::TreeNode root;
    QV::TreeNode* reg = root.Child("reg", true);
    auto addKey = [&](const std::string& name, int rootType, uint32_t rootValue, const std::u16string& key) {
        QV::TreeNode* k = reg->Child(name, true);
        if (rootType >= 0) {
            auto p = std::make_unique<QV::TreeProperty>("root", rootType);
            p->SetInteger(rootType, rootValue);
            k->AddProperty(std::move(p));
        }
        k->SetString("key", key);
        QV::TreeNode* values = k->Child("v", true);
        values->SetString("Text", u"#ver#");
        auto d = std::make_unique<QV::TreeProperty>("Number", QV::TypeDword);
        d->SetInteger(QV::TypeDword, 7);
        values->AddProperty(std::move(d));
        auto skip = std::make_unique<QV::TreeProperty>("Skipped", QV::TypeInt);
        skip->SetInteger(QV::TypeInt, 1);
        values->AddProperty(std::move(skip));
    };
    addKey("reg", QV::TypeDword, 1, u"SOFTWARE\\Quorvane\\Tracelorn");
    addKey("badroot", QV::TypeDword, 4, u"X");
    addKey("introot", QV::TypeInt, 1, u"X");
    addKey("noroot", -1, 0, u"X");
    addKey("nokey", QV::TypeDword, 2, u"");
    InstallSettings settings;
    settings.Load(root);
    ASSERT_EQ(settings.RegistryKeys().size(), 1u);
    const setup::RegKeySpec* product = settings.ProductKey();
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(product->root, 1u);
    ASSERT_EQ(product->values.size(), 2u);
    for (const auto& v : product->values) {
        if (v.isDword) {
            EXPECT_EQ(v.name, u"Number");
            EXPECT_EQ(v.dword, 7u);
        } else {
            EXPECT_EQ(v.name, u"Text");
            EXPECT_EQ(v.text, u"#ver#");
        }
    }
}

// The shipped data files, as the build compiled them.
class ShippedData : public ::testing::Test {
protected:
    static bool LoadTree(const std::string& name, QV::TreeNode& tree) {
        std::string bytes;
        if (!setup_test::ReadWholeFile(setup_test::ShippedDataPath(name), bytes)) return false;
        QV::MemoryStream s(bytes.data(), bytes.size());
        return tree.Read(s) && s.Tell() == s.Size();
    }
};

TEST_F(ShippedData, SettingsCarryTheShippedKeys) {
    QV::TreeNode tree;
    ASSERT_TRUE(LoadTree("set.qvdt", tree));
    EXPECT_EQ(tree.Name(), "");
    InstallSettings settings;
    settings.Load(tree);
    EXPECT_EQ(settings.Version(), u"2.3");
    EXPECT_EQ(settings.DefaultFolder(), u"Tracelorn");
    EXPECT_EQ(settings.Launch(), u"Tracelorn.exe");
    EXPECT_TRUE(settings.FixedLocation());
    EXPECT_TRUE(settings.UserOnly());
    ASSERT_TRUE(settings.Location());
    EXPECT_EQ(settings.Location()->csid, 26u);
    EXPECT_EQ(settings.Location()->path, u"Quorvane");
    EXPECT_EQ(settings.Zones().at(u"ru"), u"ru");
    ASSERT_NE(settings.ProductKey(), nullptr);
    EXPECT_EQ(settings.ProductKey()->key, u"SOFTWARE\\Quorvane\\Tracelorn");
    EXPECT_EQ(settings.RegistryKeys().size(), 2u);
    ASSERT_NE(settings.License(u"en"), nullptr);
    ASSERT_NE(settings.License(u"ru"), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(settings.License(u"en")->Data()), 5), "{\\rtf");
    const QV::TreeNode* files = tree.Child("files");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->Properties().size(), settings.FileCount());
}

// Every item the wizard looks up, with the properties it reads.
const std::vector<std::pair<std::string, std::vector<std::string>>>& WizardItems() {
    static const std::vector<std::pair<std::string, std::vector<std::string>>> items = {
        {"title", {"text"}}, {"titleU", {"text"}}, {"msgCancel", {"text"}}, {"tOldVer", {"text"}},
        {"tSpaceR", {"text"}}, {"tSpaceA", {"text"}}, {"tCompDesc", {"text"}}, {"tOutput", {"text"}},
        {"tExtract", {"text"}}, {"tDelFile", {"text"}}, {"tDelDir", {"text"}}, {"tCompleted", {"text"}},
        {"kb", {"text"}}, {"mb", {"text"}}, {"gb", {"text"}}, {"101", {"text"}}, {"102", {"text"}},
        {"103", {"text"}}, {"104", {"text"}}, {"105", {"text"}}, {"1007", {"text"}}, {"2", {"text"}},
        {"8", {"text"}}, {"CM", {"text"}}, {"CDS", {"text"}},
        {"dlgBrowse", {"text", "14146", "14150", "2"}}, {"DUP", {"text", "1006"}},
        {"PS", {"1011", "1009"}}, {"PSU", {"1011", "1009"}}, {"PL", {"text", "desc", "1011"}},
        {"PC", {"text", "desc", "1011", "1022", "1042"}}, {"PLO", {"text", "desc", "1011", "1020", "1001"}},
        {"PLOF", {"text", "desc", "1011", "1020"}}, {"PUU", {"text", "desc", "1011", "1004"}},
        {"PI", {"text", "desc"}}, {"PIU", {"text", "desc"}}, {"PF", {"1011", "1009", "1013"}},
        {"PFU", {"1011", "1009"}}, {"#UninstDesc#", {"text"}}, {"#UpdateDesc#", {"text"}},
    };
    return items;
}

TEST_F(ShippedData, LanguageFileHoldsEveryWizardItemInEnglishAndRussian) {
    QV::TreeNode tree;
    ASSERT_TRUE(LoadTree("lng.lngp", tree));
    LanguageSet languages;
    ASSERT_EQ(languages.Load(tree), 2u);
    EXPECT_EQ(languages.Languages()[0].code, u"en");
    EXPECT_EQ(languages.Languages()[1].code, u"ru");
    for (const char16_t* code : {u"en", u"ru"}) {
        ASSERT_GE(languages.Select(code), 0);
        for (const auto& [key, properties] : WizardItems()) {
            for (const std::string& property : properties) {
                EXPECT_FALSE(languages.RawItemText(key, property).empty()) << key << "/" << property;
            }
        }
        // Present, and empty on purpose.
        const QV::TreeNode* item = languages.Languages()[size_t(languages.Current())].items->Child("#ShortDesc#");
        ASSERT_NE(item, nullptr);
        EXPECT_NE(item->Property("text"), nullptr);
        EXPECT_NE(languages.Languages()[size_t(languages.Current())].items->Child("PL")->Property("1009"), nullptr);
    }
}

TEST_F(ShippedData, EnglishTextsExpandWithTheShippedSettings) {
    QV::TreeNode lng, set;
    ASSERT_TRUE(LoadTree("lng.lngp", lng));
    ASSERT_TRUE(LoadTree("set.qvdt", set));
    LanguageSet languages;
    languages.Load(lng);
    InstallSettings settings;
    settings.Load(set);
    settings.ApplyTo(languages);
    setup::SelectStartLanguage(languages, settings.Langs(), std::u16string(u"RUS"), std::nullopt);
    EXPECT_EQ(languages.CurrentCode(), u"ru");
    EXPECT_EQ(*languages.Macros().Find(u"#zone#"), u"ru");
    setup::FinishStartLanguage(languages);
    EXPECT_EQ(languages.CurrentCode(), u"en");
    EXPECT_EQ(*languages.Macros().Find(u"#zone#"), u"com");
    EXPECT_EQ(languages.Text("title"), u"Tracelorn 2.3 Setup");
    EXPECT_EQ(languages.Text("msgCancel"), u"Are you sure you want to quit Tracelorn Setup?");
    EXPECT_EQ(languages.ItemText("dlgBrowse", "14146"), u"Select the folder to install Tracelorn in:");
    EXPECT_EQ(languages.ItemText("DUP", "1006"), u"Updating Tracelorn 2.3...");
    EXPECT_EQ(languages.ItemText("PS", "1009"),
              u"This wizard will guide you through the installation of Tracelorn.\r\n\r\nIt is recommended that "
              u"you close all other applications before starting Setup. This will make it possible to update "
              u"relevant system files without having to reboot your computer.\r\n\r\nClick Next to continue.");
    EXPECT_EQ(languages.Expand(u"#UninstDesc# #title#"), u"Uninstall Tracelorn");
    const QV::TreeNode* s1 = set.Child("cp")->Child("d0")->Child("s1");
    EXPECT_EQ(languages.Expand(s1->GetString("n", u"")), u"Uninstall Tracelorn.lnk");
}

TEST_F(ShippedData, SkinHasThePictureAndBothFonts) {
    QV::TreeNode tree;
    ASSERT_TRUE(LoadTree("res.qvdt", tree));
    EXPECT_EQ(tree.Name(), "Root");
    const QV::MemoryStream* bg = tree.Child("images")->GetBlob("bg");
    ASSERT_NE(bg, nullptr);
    ASSERT_GT(bg->Size(), 8u);
    EXPECT_EQ(bg->Data()[1], 'P');
    for (const char* font : {"welcome", "header"}) {
        const QV::TreeNode* node = tree.Child("fonts")->Child(font);
        ASSERT_NE(node, nullptr) << font;
        EXPECT_TRUE(setup::ReadFontEntry(*node).hasFace);
    }
}

}  // namespace

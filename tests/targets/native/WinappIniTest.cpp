// The winapp2.ini reader against a generated file (tests/targets/winapp/make_generated.py) that
// uses every key, variable and flag, in each encoding and line ending; and the stored form.
#include "targets/ImportStore.h"
#include "targets/TargetConditions.h"
#include "targets/WinappIni.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string Fixture(const char* name) { return ReadAll(std::string(TL_SOURCE_DIR) + "/tests/targets/winapp/" + name); }

bool Latin1(std::string_view ansi, std::string& out) {
    out.clear();
    for (unsigned char c : ansi) {
        if (c < 0x80) out += static_cast<char>(c);
        else out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return true;
}

// A target as generated.expected writes it.
std::string Describe(const WinappTarget& t) {
    std::string line = t.name + "\t" + t.group + "\t" + std::to_string(t.conditions.size()) + "\t" + t.warning;
    for (const auto& f : t.files) line += "\tFILE:" + WinappFileKeyText(f.second);
    for (const auto& k : t.keys) line += "\tREG:" + WinappRegKeyText(k.second);
    for (const auto& x : t.excludes) line += "\t" + WinappExcludeText(x);
    return line;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

TEST(WinappIni, GeneratedFileReadsAsWrittenInEveryEncoding) {
    const std::string crlf = Fixture("generated.ini");
    const std::vector<std::string> expected = Lines(Fixture("generated.expected"));
    ASSERT_GT(expected.size(), 300u);
    std::string lf = crlf;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    // A program name outside ASCII, once as UTF-8 and once in the code page.
    const std::string utf8Extra = "[Caf\xC3\xA9 *]\nFileKey1=%AppData%\\Caf\xC3\xA9|*.log\n";
    const std::string ansiExtra = "[Caf\xE9 *]\nFileKey1=%AppData%\\Caf\xE9|*.log\n";
    for (const std::string& bytes : {crlf, lf, "\xEF\xBB\xBF" + crlf + utf8Extra, lf + ansiExtra}) {
        const WinappReadResult r = ReadWinappIni(bytes, Latin1);
        ASSERT_TRUE(r.ok) << r.error;
        const bool extra = r.targets.size() == expected.size() + 1;
        ASSERT_EQ(r.targets.size(), expected.size() + (extra ? 1 : 0));
        for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Describe(r.targets[i]), expected[i]);
        if (extra) EXPECT_EQ(Describe(r.targets.back()), "Caf\xC3\xA9\tApplications\t0\t\tFILE:%AppData%\\Caf\xC3\xA9|*.log");
        // The nine refused keys of "Bad Keys" and the section with nothing to clean.
        EXPECT_EQ(r.skipped.size(), 10u);
        for (const char* reason : {"unknown variable", "not absolute", "climbs", "no file pattern", "unknown flag",
                                   "unknown registry root", "whole registry root", "wildcard in a registry key",
                                   "unknown key", "nothing to clean"}) {
            bool found = false;
            for (const std::string& s : r.skipped) found = found || s.find(reason) != std::string::npos;
            EXPECT_TRUE(found) << reason;
        }
    }
    // Whole files refused, each with its reason.
    EXPECT_FALSE(ReadWinappIni(std::string(kMaxWinappFileBytes + 1, ' '), Latin1).ok);
    EXPECT_FALSE(ReadWinappIni("\xEF\xBB\xBF[A\xE9]", Latin1).ok);                       // says UTF-8, is not
    EXPECT_FALSE(ReadWinappIni(std::string("\xFF\xFE[\0A\0]\0", 8), Latin1).ok);         // UTF-16
    EXPECT_FALSE(ReadWinappIni("[A\xE9]", [](std::string_view, std::string&) { return false; }).ok);
}

TEST(WinappIni, StoredFormReadsBackAsTheSameTargets) {
    const WinappReadResult r = ReadWinappIni(Fixture("generated.ini"), Latin1);
    ASSERT_TRUE(r.ok);
    MemoryStream stored;
    WriteImport(r.targets, stored);
    MemoryStream in(stored.Bytes());
    auto back = ReadImport(in);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), r.targets.size());
    for (size_t i = 0; i < back->size(); ++i) {
        EXPECT_EQ(Describe((*back)[i]), Describe(r.targets[i]));
        for (size_t c = 0; c < r.targets[i].conditions.size(); ++c) {
            const TargetCondition &a = (*back)[i].conditions[c], &b = r.targets[i].conditions[c];
            EXPECT_TRUE(a.kind == b.kind && a.number == b.number && a.text == b.text && a.secondText == b.secondText);
        }
    }
    // Another file's bytes, or a cut one, are no stored import.
    std::vector<uint8_t> cut(stored.Bytes().begin(), stored.Bytes().begin() + stored.Bytes().size() / 2);
    MemoryStream half(cut);
    EXPECT_FALSE(ReadImport(half));
}

namespace {
struct FakeProbe : ConditionProbe {
    bool KeyExists(uint32_t root, const std::string& key) const override { return root == 0x80000001u && key == "Software\\Here"; }
    bool PathExists(const std::string& path) const override { return path == "%AppData%\\Here"; }
    uint32_t WindowsVersion() const override { return 1000; }
};
}  // namespace

TEST(TargetConditions, AnyPresenceAndEveryRange) {
    FakeProbe probe;
    auto offered = [&](const std::string& ini) {
        const WinappReadResult r = ReadWinappIni("[P]\nFileKey1=%AppData%\\P|*.log\n" + ini, Latin1);
        return r.ok && r.targets.size() == 1 && IsOffered(r.targets[0].conditions, probe);
    };
    EXPECT_TRUE(offered(""));  // no detection: always offered
    EXPECT_FALSE(offered("Detect=HKCU\\Software\\Gone\n"));
    EXPECT_TRUE(offered("Detect=HKCU\\Software\\Gone\nDetect2=HKCU\\Software\\Here\n"));
    EXPECT_TRUE(offered("DetectFile=%AppData%\\Here\n"));
    EXPECT_FALSE(offered("DetectFile=%AppData%\\Gone\n"));
    EXPECT_TRUE(offered("DetectOS=6.1|\nDetectFile=%AppData%\\Here\n"));
    EXPECT_FALSE(offered("DetectOS=|6.3\n"));
    EXPECT_FALSE(offered("DetectOS=10.1|\n"));
    // A plug-in's condition without text says nothing.
    EXPECT_TRUE(IsOffered({TargetCondition{}}, probe));
    EXPECT_EQ(ParseWindowsVersion("6.1"), 601u);
    EXPECT_EQ(ParseWindowsVersion("x"), 0u);
}

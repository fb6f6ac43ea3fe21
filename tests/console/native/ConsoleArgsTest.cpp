// The console's command line and selectors: what is accepted, and that everything else is a
// usage error rather than a guess.
#include "console/ConsoleArgs.h"
#include "console/ConsoleReport.h"
#include "console/TargetSelection.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleArgs, AcceptsTheDocumentedFormsAndRefusesTheRest) {
    const auto ok = ParseConsoleArgs({"kill", "Firefox*/*", "--preset", "--overwrite", "0", "--details", "--json", "-"});
    ASSERT_TRUE(ok.request) << ok.error;
    EXPECT_EQ(ok.request->command, ConsoleRequest::Command::Kill);
    EXPECT_EQ(ok.request->selectors, std::vector<std::string>{"Firefox*/*"});
    EXPECT_TRUE(ok.request->preset);
    EXPECT_EQ(ok.request->overwrite, 0);
    EXPECT_EQ(ok.request->jsonFile, "-");
    EXPECT_TRUE(ok.request->details);
    EXPECT_TRUE(ParseConsoleArgs({"list", "--json"}).request);
    EXPECT_EQ(ParseConsoleArgs({"import", "C:\\apps.ini"}).request->importFile, "C:\\apps.ini");
    EXPECT_EQ(ParseConsoleArgs({"import", "--remove"}).request->importFile, "");

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {}, {"scan"}, {"purge", "*/*"}, {"scan", "Cookies"}, {"scan", "*/*", "--overwrite", "10"},
             {"scan", "*/*", "--overwrite", "-1"}, {"scan", "*/*", "--overwrite"}, {"scan", "*/*", "--json"},
             {"scan", "--preset", "--preset"}, {"scan", "*/*", "--details", "--details"},
             {"list", "--details"}, {"scan", "*/*", "--force"},
             {"list", "*/*"}, {"import"}, {"import", "a.ini", "b.ini"}, {"import", "--force"}})
        EXPECT_FALSE(ParseConsoleArgs(bad).request) << (bad.empty() ? "" : bad[0]) << " " << bad.size();
}

TEST(ConsoleArgs, SelectorsMatchEachHalfAndTheReportStaysValidJson) {
    EXPECT_TRUE(MatchesSelector("Firefox/Firefox Cookies", "firefox*/*cookies"));
    EXPECT_TRUE(MatchesSelector("Windows/Scandisk File Fragments (*.CHK)", "*/Scandisk*"));
    EXPECT_FALSE(MatchesSelector("Firefox/Firefox Cookies", "Fire*Cookies"));
    EXPECT_FALSE(MatchesSelector("Windows/Recycle Bin", "*/Recycle"));
    EXPECT_EQ(JsonString("a\"b\\\x01\xff\xc3\xa9"), "\"a\\\"b\\\\\\u0001\\ufffd\xc3\xa9\"");
    EXPECT_EQ(IsoTime(133536836960000000ull), "2024-02-29T12:34:56Z");
    EXPECT_EQ(IsoTime(0), "");
}

}  // namespace

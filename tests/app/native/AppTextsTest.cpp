#include "app/ActionTexts.h"
#include "app/CommandLine.h"
#include "app/InstanceName.h"
#include "skin/ResultLine.h"
#include "app/RowLayout.h"

#include <gtest/gtest.h>

using action_texts::Action;

TEST(ActionTexts, WordsAndLines) {
    EXPECT_EQ(action_texts::Word(Action::Scan), "Scan");
    EXPECT_EQ(action_texts::Word(Action::AutoKill), "Auto-Kill");
    EXPECT_EQ(action_texts::Word(Action::None), "");
    EXPECT_EQ(action_texts::Heading(Action::Kill), "Start Kill Action:");
    EXPECT_EQ(action_texts::StopCaption(Action::AutoKill), "Stop Auto-Kill Action:");
    EXPECT_EQ(action_texts::StoppedLine(Action::Scan), "Scan action breaked by user.");
    EXPECT_EQ(action_texts::SummaryHeading(Action::Kill), "Summary Kill Information:");
    EXPECT_EQ(action_texts::Blanks(), std::string(81, ' '));
}

TEST(ActionTexts, ProgressTitles) {
    EXPECT_EQ(action_texts::ProgressTitle(Action::Scan, 33), "Tracelorn (Scanning...33%)");
    EXPECT_EQ(action_texts::ProgressTitle(Action::Kill, 100), "Tracelorn (Killing...100%)");
    EXPECT_EQ(action_texts::ProgressTitle(Action::AutoKill, 66), "Tracelorn (Auto-Killing...66%)");
    EXPECT_EQ(action_texts::Percent(1, 3), 33);
    EXPECT_EQ(action_texts::Percent(2, 3), 66);
    EXPECT_EQ(action_texts::Percent(3, 3), 100);
    EXPECT_EQ(action_texts::Percent(1, 0), 0);
}

TEST(ActionTexts, NormalKillSummaryFourthLine) {
    const std::string text = action_texts::SummaryBalloon(Action::Kill, false, "8", "0", "1,00 KB");
    EXPECT_EQ(text, "Summary Kill Information:\nFiles Killed: 8\nItems Killed: 0\nTotal Disk space freed: 1,00 KB\n" +
                        std::string(81, ' '));
}

TEST(CommandLine, WindowsStartSwitch) {
    EXPECT_TRUE(IsWindowsStartSwitch({"-ws"}));
    EXPECT_TRUE(IsWindowsStartSwitch({"/WS"}));
    EXPECT_TRUE(IsWindowsStartSwitch({"ws"}));
    EXPECT_TRUE(IsWindowsStartSwitch({"-Ws"}));
    EXPECT_FALSE(IsWindowsStartSwitch({"-ws", "extra"}));
    EXPECT_FALSE(IsWindowsStartSwitch({"--ws"}));
    EXPECT_FALSE(IsWindowsStartSwitch({"-/ws"}));
    EXPECT_FALSE(IsWindowsStartSwitch({}));
    EXPECT_FALSE(IsWindowsStartSwitch({"-wsx"}));
    EXPECT_FALSE(IsWindowsStartSwitch({"-"}));
    EXPECT_FALSE(IsWindowsStartSwitch({""}));
}

TEST(RowLayout, FourButtonsOfSixtyInFourEighty) {
    EXPECT_EQ(RowLeftEdges(60, 480), (std::vector<int>{75, 165, 255, 345}));
}

TEST(RowLayout, IntegerHalves) {
    // 481/2 = 240, (4*61 + 90)/2 = 167.
    EXPECT_EQ(RowLeftEdges(61, 481), (std::vector<int>{73, 164, 255, 346}));
    EXPECT_TRUE(RowLeftEdges(60, 480, 0).empty());
}

TEST(InstanceName, FoldsCaseAndSeparatesPaths) {
    const std::string a = InstanceMutexName("Z:\\opt\\Tracelorn\\Tracelorn.exe");
    EXPECT_EQ(a, InstanceMutexName("z:\\OPT\\tracelorn\\TRACELORN.EXE"));
    EXPECT_NE(a, InstanceMutexName("Z:\\opt\\Other\\Tracelorn.exe"));
    EXPECT_EQ(a.rfind("Local\\", 0), 0u);
    EXPECT_EQ(a.find('\\', 6), std::string::npos) << "no backslash after the namespace";
}

TEST(ResultLine, TextsAreCutTo254) {
    const ResultLine line = ResultLine::Make(LineKind::Target, 0, std::string(300, 'a'), "1", "2", "3");
    EXPECT_EQ(line.name.size(), 254u);
    EXPECT_EQ(line.files, "1");
    const ResultLine exact = ResultLine::Make(LineKind::Target, 0, std::string(254, 'b'));
    EXPECT_EQ(exact.name.size(), 254u);
}

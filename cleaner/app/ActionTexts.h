#pragma once
#include <string>

// The fixed texts of a Scan, Kill or Auto-Kill run: headings, labels, balloon texts and titles.
// Pure formatting, shared by the driver and its tests.
namespace action_texts {

enum class Action { None, Scan, Kill, AutoKill };

// "Scan", "Kill", "Auto-Kill", or "" when idle.
std::string Word(Action action);

struct Labels {
    const char* files;
    const char* items;
    const char* size;
};
Labels LabelsFor(Action action);

// Every balloon text of a run ends in this line of 81 blanks.
const std::string& Blanks();

std::string Heading(Action action);          // "Start %s Action:"
std::string StopCaption(Action action);      // "Stop %s Action:"
std::string StoppedLine(Action action);      // "%s action breaked by user."
std::string SummaryHeading(Action action);   // "Summary %s Information:"

// "Tracelorn (Scanning...33%)", "Tracelorn (Auto-Killing...66%)".
std::string ProgressTitle(Action action, int percent);
// ordinal × 100 / selected, integer division; 0 when nothing is selected.
int Percent(int ordinal, int selected);

std::string ProgressBalloon(Action action, const std::string& name);
std::string ResultBalloon(Action action, const std::string& name, const std::string& files,
                          const std::string& items, const std::string& size);
std::string SummaryBalloon(Action action, bool stopped, const std::string& files,
                           const std::string& items, const std::string& size);

inline constexpr const char* kAppTitle = "Tracelorn";
inline constexpr const char* kNoSelectedTargets = "No selected Targets.";
// After the name of a target whose Kill deleted files on a solid-state drive without overwriting.
inline constexpr const char* kOverwriteSkipped = "(solid-state drive: overwrite skipped)";
// Another process (a console run, or a second copy from another folder) runs Scan or Kill.
inline constexpr const char* kAnotherRunBusy = "Another Scan or Kill is running. Try again when it has ended.";
inline constexpr unsigned kBalloonTimeoutMs = 10000;

}  // namespace action_texts

#include "app/ActionTexts.h"

#include <cstdio>

namespace action_texts {

namespace {
// snprintf into a std::string; the run texts are short, but names may reach a few hundred bytes.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, args...);
    text.resize(static_cast<size_t>(n));
    return text;
}
}  // namespace

std::string Word(Action action) {
    switch (action) {
        case Action::Scan: return "Scan";
        case Action::Kill: return "Kill";
        case Action::AutoKill: return "Auto-Kill";
        case Action::None: break;
    }
    return {};
}

Labels LabelsFor(Action action) {
    if (action == Action::Scan) return {"Files scanned:", "Items scanned:", "Disk space to free:"};
    return {"Files Killed:", "Items Killed:", "Disk space freed:"};
}

const std::string& Blanks() {
    static const std::string blanks(81, ' ');
    return blanks;
}

std::string Heading(Action action) { return Format("Start %s Action:", Word(action).c_str()); }
std::string StopCaption(Action action) { return Format("Stop %s Action:", Word(action).c_str()); }
std::string StoppedLine(Action action) {
    return Format("%s action breaked by user.", Word(action).c_str());
}
std::string SummaryHeading(Action action) {
    return Format("Summary %s Information:", Word(action).c_str());
}

int Percent(int ordinal, int selected) { return selected > 0 ? ordinal * 100 / selected : 0; }

std::string ProgressTitle(Action action, int percent) {
    std::string title = action == Action::Scan
                            ? Format("Tracelorn (Scanning...%d )", percent)
                            : Format("Tracelorn (%sing...%d )", Word(action).c_str(), percent);
    // The blank in front of the closing bracket becomes the percent sign.
    const size_t bracket = title.rfind(')');
    if (bracket != std::string::npos && bracket > 0 && title[bracket - 1] == ' ')
        title[bracket - 1] = '%';
    return title;
}

std::string ProgressBalloon(Action action, const std::string& name) {
    const char* format = action == Action::Scan ? "Scanning %s...\n%s\n\n\n" : "Killing %s...\n%s\n\n\n";
    return Format(format, name.c_str(), Blanks().c_str());
}

std::string ResultBalloon(Action action, const std::string& name, const std::string& files,
                          const std::string& items, const std::string& size) {
    const Labels l = LabelsFor(action);
    const char* format = action == Action::Scan ? "%s scanned:\n%s %s\n%s %s\n%s %s\n%s"
                                                : "%s Killed:\n%s %s\n%s %s\n%s %s\n%s";
    return Format(format, name.c_str(), l.files, files.c_str(), l.items, items.c_str(), l.size,
                  size.c_str(), Blanks().c_str());
}

std::string SummaryBalloon(Action action, bool stopped, const std::string& files,
                           const std::string& items, const std::string& size) {
    const Labels l = LabelsFor(action);
    const std::string stoppedText = stopped ? StoppedLine(action) : std::string();
    return Format("%s%sSummary %s Information:\n%s %s\n%s %s\nTotal %s %s\n%s", stoppedText.c_str(),
                  stopped ? "\n" : "", Word(action).c_str(), l.files, files.c_str(), l.items,
                  items.c_str(), l.size, size.c_str(), Blanks().c_str());
}

}  // namespace action_texts

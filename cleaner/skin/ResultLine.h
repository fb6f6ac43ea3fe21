#pragma once
#include <string>
#include <utility>

// One line of the main window's result list as the action driver builds it: a kind, a state and
// up to four texts (UTF-8). The list stores each length in one header unit as value + 1, so a text
// longer than kMaxTextLength would turn its header into zero: Make cuts every text to at most that
// many bytes, between characters (so its UTF-16 form is no longer either).
enum class LineKind : int { Plain = 0, Highlighted = 1, Heading = 2, Target = 4, Summary = 5 };

// What a run is doing: the action driver's state, and the state a target line shows ("Scanning...",
// "Killing..."; idle once the target is done). Plain enumerators, as the stored line keeps the
// value as a number.
enum RunState : int { RunIdle = 0, RunScan = 1, RunKill = 2 };

struct ResultLine {
    static constexpr size_t kMaxTextLength = 254;

    LineKind kind = LineKind::Plain;
    RunState state = RunIdle;  // target lines only: idle once finished
    std::string name;   // the target name or the line text
    std::string files;
    std::string items;
    std::string size;

    static ResultLine Make(LineKind kind, RunState state, std::string name, std::string files = {},
                           std::string items = {}, std::string size = {});
    // The state as a stored number (any value a stored line may hold).
    static ResultLine Make(LineKind kind, int state, std::string name, std::string files = {},
                           std::string items = {}, std::string size = {}) {
        return Make(kind, static_cast<RunState>(state), std::move(name), std::move(files), std::move(items),
                    std::move(size));
    }
    bool operator==(const ResultLine& o) const {
        return kind == o.kind && state == o.state && name == o.name && files == o.files &&
               items == o.items && size == o.size;
    }
};

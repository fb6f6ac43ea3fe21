#pragma once
#include <string>

// One line of the main window's result list as the action driver builds it: a kind, a state and
// up to four texts. The list stores each length in one header byte as value + 1, so a text longer
// than kMaxTextLength would turn its header byte into zero: Make cuts every text to that length.
enum class LineKind : int { Plain = 0, Highlighted = 1, Heading = 2, Target = 4, Summary = 5 };

struct ResultLine {
    static constexpr size_t kMaxTextLength = 254;

    LineKind kind = LineKind::Plain;
    int state = 0;  // target lines only: 0 finished, 1 scanning, 2 killing
    std::string name;   // the target name or the line text
    std::string files;
    std::string items;
    std::string size;

    static ResultLine Make(LineKind kind, int state, std::string name, std::string files = {},
                           std::string items = {}, std::string size = {});
    bool operator==(const ResultLine& o) const {
        return kind == o.kind && state == o.state && name == o.name && files == o.files &&
               items == o.items && size == o.size;
    }
};

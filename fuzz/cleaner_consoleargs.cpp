// Any bytes as a console command line (arguments split at NUL bytes) and as target text: the
// parser accepts or refuses without crashing, an accepted request keeps its documented bounds,
// selector matching ends, and the JSON form of the text is one string with no raw control byte.
#include "console/ConsoleArgs.h"
#include "console/ConsoleReport.h"
#include "console/TargetSelection.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args(1);
    for (char c : text) {
        if (c == '\0') args.emplace_back();
        else args.back() += c;
    }
    const ConsoleParse parse = ParseConsoleArgs(args);
    if (parse.request) {
        if (parse.request->overwrite && (*parse.request->overwrite < 0 || *parse.request->overwrite > 9)) std::abort();
        for (const std::string& selector : parse.request->selectors) {
            if (selector.find('/') == std::string::npos) std::abort();
            (void)MatchesSelector(text, selector);
        }
    } else if (parse.error.empty()) {
        std::abort();
    }
    const std::string json = JsonString(text);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') std::abort();
    for (unsigned char c : json)
        if (c < 0x20) std::abort();
    return 0;
}

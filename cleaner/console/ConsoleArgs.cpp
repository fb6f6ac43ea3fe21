#include "console/ConsoleArgs.h"

#include "engine/KillSettings.h"

namespace {

ConsoleParse Fail(std::string error) { return ConsoleParse{std::nullopt, std::move(error)}; }

// A whole decimal number of at most two digits: "--overwrite 3", never "3x", "-1" or "+3".
std::optional<int> SmallNumber(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

const char* ConsoleUsage() {
    return "Usage:\n"
           "  TracelornCmd list [--json]\n"
           "  TracelornCmd scan|kill [SELECTORS...] [--preset] [--overwrite N] [--details]\n"
           "               [--json FILE|-]\n"
           "  TracelornCmd import FILE | import --remove\n"
           "\n"
           "SELECTORS are target ids as list shows them, <category>/<target name>; '*' matches\n"
           "any text in either half (\"Firefox*/*\", \"*/*Cookies*\"). --preset adds the targets\n"
           "selected in the window. --overwrite N overwrites files N times before deleting them\n"
           "(0 to 9, 0: no overwrite) for this run only. --details lists every file, registry\n"
           "value or key, table and store found or removed under its target (in the report\n"
           "with --json). --json writes a report to FILE, or to standard output with -.\n"
           "Exit codes: 0 every target ran fully, 1 some were skipped or left a database alone,\n"
           "2 usage error, 3 another Scan or Kill is running, 4 failure.\n";
}

ConsoleParse ParseConsoleArgs(const std::vector<std::string>& args) {
    if (args.empty()) return Fail("no command given");
    ConsoleRequest r;
    const std::string& command = args[0];
    if (command == "help" || command == "--help" || command == "-h" || command == "/?") {
        if (args.size() > 1) return Fail("help takes no arguments");
        r.command = ConsoleRequest::Command::Help;
        return ConsoleParse{r, {}};
    }
    if (command == "import") {
        r.command = ConsoleRequest::Command::Import;
        if (args.size() != 2 || args[1].empty()) return Fail("import needs one winapp2.ini file, or --remove");
        if (args[1] != "--remove") {
            if (args[1][0] == '-') return Fail("unknown option \"" + args[1] + "\"");
            r.importFile = args[1];
        }
        return ConsoleParse{r, {}};
    }
    if (command == "list") r.command = ConsoleRequest::Command::List;
    else if (command == "scan") r.command = ConsoleRequest::Command::Scan;
    else if (command == "kill") r.command = ConsoleRequest::Command::Kill;
    else return Fail("unknown command \"" + command + "\"");
    const bool list = r.command == ConsoleRequest::Command::List;

    bool jsonSeen = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            if (jsonSeen) return Fail("--json given twice");
            jsonSeen = true;
            r.json = true;
            if (list) continue;
            if (i + 1 >= args.size() || args[i + 1].empty()) return Fail("--json needs a file name or -");
            r.jsonFile = args[++i];
            if (r.jsonFile.size() > 1 && r.jsonFile[0] == '-') return Fail("--json needs a file name or -");
        } else if (list) {
            return Fail("list takes only --json");
        } else if (a == "--preset") {
            if (r.preset) return Fail("--preset given twice");
            r.preset = true;
        } else if (a == "--overwrite") {
            if (r.overwrite) return Fail("--overwrite given twice");
            if (i + 1 >= args.size()) return Fail("--overwrite needs a number from 0 to 9");
            const auto n = SmallNumber(args[++i]);
            if (!n || *n > kill_settings::kMaxPasses) return Fail("--overwrite needs a number from 0 to 9");
            r.overwrite = *n;
        } else if (a == "--details") {
            if (r.details) return Fail("--details given twice");
            r.details = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return Fail("unknown option \"" + a + "\"");
        } else {
            if (a.find('/') == std::string::npos || a.front() == '/' || a.back() == '/')
                return Fail("\"" + a + "\" is not a target id: <category>/<target name>");
            r.selectors.push_back(a);
        }
    }
    if (!list && r.selectors.empty() && !r.preset) return Fail("name targets to " + command + " or give --preset");
    return ConsoleParse{r, {}};
}

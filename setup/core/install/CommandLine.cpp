#include "install/CommandLine.h"

#include "config/Text.h"

namespace setup {

namespace {

bool StartsWithSwitch(const std::u16string& text, size_t at, const char* name) {
    for (size_t i = 0; name[i]; ++i) {
        if (at + i >= text.size() || AsciiLower(text[at + i]) != AsciiLower(char16_t(name[i]))) return false;
    }
    return true;
}

bool EndsToken(const std::u16string& text, size_t at) { return at >= text.size() || text[at] == u' '; }

std::u16string TrimRight(std::u16string text) {
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.pop_back();
    return text;
}

// Whether the line asks for silence at all: a "/S" token before any "/D=".
bool AsksForSilence(const std::u16string& tail) {
    size_t at = 0;
    while (at < tail.size()) {
        while (at < tail.size() && tail[at] == u' ') ++at;
        size_t end = tail.find(u' ', at);
        if (end == std::u16string::npos) end = tail.size();
        if (StartsWithSwitch(tail, at, "/D=")) return false;
        if (end - at == 2 && StartsWithSwitch(tail, at, "/S")) return true;
        at = end;
    }
    return false;
}

SetupCommand WizardCommand(const std::u16string& tail, bool restIsFolder) {
    // The wizard keeps its old reading: "update" alone, or anything else for an installation;
    // the uninstaller's copy takes its whole tail as the folder.
    SetupCommand wizard;
    if (restIsFolder) {
        wizard.folder = TrimRight(tail);
        while (!wizard.folder.empty() && wizard.folder.front() == u' ') wizard.folder.erase(wizard.folder.begin());
    } else {
        wizard.update = tail == u"update";
    }
    return wizard;
}

}  // namespace

SetupCommand ParseSetupCommand(const std::u16string& tail, bool restIsFolder) {
    if (!AsksForSilence(tail)) return WizardCommand(tail, restIsFolder);
    SetupCommand command;
    size_t at = 0;
    const auto skipSpaces = [&] {
        while (at < tail.size() && (tail[at] == u' ' || tail[at] == u'\t')) ++at;
    };
    const auto fail = [&] {
        command.valid = false;
        command.error = tail.substr(at);
        return command;
    };
    skipSpaces();
    if (StartsWithSwitch(tail, at, "update") && EndsToken(tail, at + 6) && !restIsFolder) {
        command.update = true;
        at += 6;
    }
    for (skipSpaces(); at < tail.size(); skipSpaces()) {
        if (tail[at] != u'/') {
            if (!restIsFolder) return fail();
            command.folder = TrimRight(tail.substr(at));
            break;
        }
        if (StartsWithSwitch(tail, at, "/S") && EndsToken(tail, at + 2)) {
            command.silent = true;
            at += 2;
        } else if (StartsWithSwitch(tail, at, "/NOSHORTCUTS") && EndsToken(tail, at + 12)) {
            command.noShortcuts = true;
            at += 12;
        } else if (StartsWithSwitch(tail, at, "/NOLAUNCH") && EndsToken(tail, at + 9)) {
            command.noLaunch = true;
            at += 9;
        } else if (StartsWithSwitch(tail, at, "/LOG=")) {
            at += 5;
            size_t end;
            if (at < tail.size() && tail[at] == u'"') {
                end = tail.find(u'"', ++at);
                if (end == std::u16string::npos) return fail();
                command.logPath = tail.substr(at, end - at);
                ++end;
            } else {
                end = tail.find(u' ', at);
                if (end == std::u16string::npos) end = tail.size();
                command.logPath = tail.substr(at, end - at);
            }
            at = end;
            if (command.logPath.empty() || !EndsToken(tail, at)) return fail();
        } else if (StartsWithSwitch(tail, at, "/D=") && !restIsFolder) {
            command.folder = TrimRight(tail.substr(at + 3));
            if (command.folder.empty()) return fail();
            break;
        } else {
            return fail();
        }
    }
    if (restIsFolder && command.folder.empty()) return fail();
    return command;
}

std::u16string UninstallCopyTail(const SetupCommand& command, const std::u16string& folder) {
    if (!command.silent) return folder;
    std::u16string tail = u"/S ";
    if (!command.logPath.empty()) tail += u"/LOG=\"" + command.logPath + u"\" ";
    return tail + folder;
}

}  // namespace setup

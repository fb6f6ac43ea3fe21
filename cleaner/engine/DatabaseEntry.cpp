#include "engine/DatabaseEntry.h"

#include "engine/Checkpoint.h"
#include "engine/FileRemoval.h"
#include "engine/FoundReport.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>

#include <sstream>
#include <utility>

namespace {

constexpr int kNameAttempts = 4;
constexpr char kJournalHeader[] = "tracelorn-renames 1";
constexpr DWORD kJournalMaxBytes = 4096;

// A member's place in the group (GroupNames order) and the random name it has, or is to get.
struct JournalLine {
    size_t member;
    std::string hiddenName;
};

struct RenameJournal {
    bool moved = false;  // every member has its random name; otherwise renames may be half done
    std::vector<JournalLine> lines;
};

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }
std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

bool Exists(const std::string& path, uint64_t* size = nullptr, bool* isFolder = nullptr, uint64_t* lastWrite = nullptr) {
    const std::wstring wide = SystemPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (wide.empty() || !::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
    if (size) *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (lastWrite)
        *lastWrite = found_report::FileTimeNumber(data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
    if (isFolder) *isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

bool Move(const std::string& from, const std::string& to) {
    const std::wstring a = SystemPath(from), b = SystemPath(to);
    return !a.empty() && !b.empty() && ::MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

void DeleteName(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) return;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        (void)::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    (void)::DeleteFileW(wide.c_str());
}

// A name this entry could have given a member: random letters 'a' to 'x', as many as the
// member's own name has characters. Anything else in a journal is not ours and is never moved.
bool IsHiddenNameFor(const std::string& hidden, const std::string& memberPath) {
    std::wstring original;
    if (!WideFromUtf8(NameOf(memberPath), original) || hidden.size() != original.size()) return false;
    for (char c : hidden)
        if (c < 'a' || c > 'x') return false;
    return true;
}

std::string Encode(const RenameJournal& journal) {
    std::string text = std::string(kJournalHeader) + "\n" + (journal.moved ? "moved" : "moving") + "\n";
    for (const JournalLine& line : journal.lines) text += std::to_string(line.member) + "\t" + line.hiddenName + "\n";
    return text;
}

bool ReadJournal(const std::string& path, const std::vector<std::string>& group, RenameJournal& journal) {
    FileHandle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string text(kJournalMaxBytes, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.Get(), &text[0], kJournalMaxBytes, &read, nullptr)) return false;
    text.resize(read);
    std::istringstream in(text);
    std::string header, state, line;
    if (!std::getline(in, header) || header != kJournalHeader || !std::getline(in, state)) return false;
    if (state != "moved" && state != "moving") return false;
    journal.moved = state == "moved";
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab != 1 || line[0] < '0' || line[0] > '3') return false;
        const size_t member = static_cast<size_t>(line[0] - '0');
        std::string hidden = line.substr(tab + 1);
        if (member >= group.size() || !IsHiddenNameFor(hidden, group[member])) return false;
        journal.lines.push_back(JournalLine{member, std::move(hidden)});
    }
    return true;
}

}  // namespace

DatabaseEntry::DatabaseEntry(std::string path) : RemEntry(RemKind::Special), path_(std::move(path)) {}

std::vector<std::string> DatabaseEntry::GroupNames(const std::string& path) {
    return {path, path + "-journal", path + "-wal", path + "-shm"};
}

bool DatabaseEntry::RemovableMembers(std::vector<Member>& members) const {
    members.clear();
    if (path_.empty()) return false;
    for (const std::string& name : GroupNames(path_)) {
        uint64_t size = 0, lastWrite = 0;
        bool isFolder = false;
        if (!Exists(name, &size, &isFolder, &lastWrite)) continue;
        if (isFolder || !CanKillFile(name)) return false;
        members.push_back({name, size, lastWrite});
    }
    return true;
}

void DatabaseEntry::SettleJournal(bool kill) {
    const std::string journalPath = RenameJournalPath(path_);
    if (!Exists(journalPath)) return;
    const std::vector<std::string> group = GroupNames(path_);
    RenameJournal journal;
    if (!ReadJournal(journalPath, group, journal)) {
        // Not a journal this entry wrote: nothing in it is acted on.
        DeleteName(journalPath);
        return;
    }
    bool leftHidden = false;
    for (const JournalLine& line : journal.lines) {
        const std::string hidden = FolderOf(path_) + line.hiddenName;
        uint64_t size = 0, lastWrite = 0;
        if (!Exists(hidden, &size, nullptr, &lastWrite)) continue;
        // A group not wholly moved goes back under its names, unless the browser has made a new
        // file there since: then the moved one is a leftover, as in a wholly moved group.
        if (!journal.moved && !Exists(group[line.member]) && Move(hidden, group[line.member])) continue;
        if (!kill) {
            AddFile(size);
            found_report::FileAt(hidden, size, lastWrite);
            leftHidden = true;
            continue;
        }
        if (!KillFile(hidden)) {
            leftHidden = true;
            continue;
        }
        AddFile(size);
        found_report::FileAt(hidden, size, lastWrite);
    }
    if (!leftHidden) DeleteName(journalPath);
}

bool DatabaseEntry::HideMembers(const std::vector<Member>& members, std::vector<std::string>& hidden) {
    RenameJournal journal;
    hidden.clear();
    for (size_t i = 0; i < members.size(); ++i) {
        std::string name;
        for (int attempt = 0; attempt < kNameAttempts && name.empty(); ++attempt) {
            name = RandomizedFileName(members[i].path);
            if (Exists(name)) name.clear();
        }
        if (name.empty()) return false;
        size_t member = 0;
        const std::vector<std::string> group = GroupNames(path_);
        while (group[member] != members[i].path) ++member;
        journal.lines.push_back(JournalLine{member, NameOf(name)});
        hidden.push_back(std::move(name));
    }
    // The journal is on disk before the first member moves.
    const std::string journalPath = RenameJournalPath(path_);
    if (!ReplaceFileContents(journalPath, Encode(journal))) return false;
    for (size_t i = 0; i < members.size(); ++i) {
        if (Move(members[i].path, hidden[i])) continue;
        for (size_t j = i; j-- > 0;) (void)Move(hidden[j], members[j].path);
        DeleteName(journalPath);
        return false;
    }
    journal.moved = true;
    (void)ReplaceFileContents(journalPath, Encode(journal));
    return true;
}

void DatabaseEntry::Scan() {
    SettleJournal(false);
    std::vector<Member> members;
    if (RemovableMembers(members))
        for (const Member& m : members) {
            AddFile(m.size);
            found_report::FileAt(m.path, m.size, m.lastWrite);
        }
    MarkScanned();
}

void DatabaseEntry::Kill() {
    SettleJournal(true);
    std::vector<Member> members;
    std::vector<std::string> hidden;
    // First every member leaves its name; if one cannot, those already moved come back and the
    // group stays whole. Only then is anything overwritten or deleted.
    if (!RemovableMembers(members) || members.empty() || !HideMembers(members, hidden)) {
        MarkKilled();
        return;
    }
    size_t next = 0;
    try {
        for (; next < members.size(); ++next) {
            if (!KillFile(hidden[next])) continue;
            // Named as the user knows it, not by the random name it went under.
            AddFile(members[next].size);
            found_report::FileAt(members[next].path, members[next].size, members[next].lastWrite);
        }
    } catch (const RunStopped&) {
        // The group is already gone for the browser; what is moved is deleted now, without the
        // rest of its overwrite, rather than left under a name nothing would look for.
        for (size_t i = next; i < hidden.size(); ++i) DeleteName(hidden[i]);
        SettleJournal(false);  // drops the journal once nothing is left under a random name
        throw;
    }
    SettleJournal(true);
    MarkKilled();
}

bool IsFileHeldOpen(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) return true;
    FileHandle file(::CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (file) return false;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

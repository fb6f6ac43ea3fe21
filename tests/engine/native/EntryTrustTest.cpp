#include "engine/EntryTrust.h"

#include <gtest/gtest.h>

namespace {
constexpr uint32_t kHKCU = 0x80000001u;
constexpr EntrySource kSources[] = {EntrySource::BuiltIn, EntrySource::ShippedPlugin, EntrySource::UpdatedPlugin,
                                    EntrySource::ImportedTarget, EntrySource::CustomTarget};

EntryRecord File(uint32_t kind, const std::string& path, int csidl = 0, bool confirmed = false) {
    EntryRecord r;
    r.kind = kind;
    r.path = path;
    r.folderId = csidl;
    r.mask = kind == 3 ? "*.tmp" : "";
    r.confirmed = confirmed;
    return r;
}

EntryRecord Key(uint32_t kind, const std::string& key, const std::string& pattern = "") {
    EntryRecord r;
    r.kind = kind;
    r.rootKey = kHKCU;
    r.key = key;
    r.valueName = pattern;
    return r;
}

// One row: the record and what each source gets, in the order of kSources ('+' allowed, '-' refused).
struct Row {
    const char* what;
    EntryRecord record;
    const char* verdicts;
};
}  // namespace

TEST(EntryTrust, OneRuleDecidesForEverySource) {
    const std::string docs = "C:\\Users\\User\\Documents";
    const Row rows[] = {
        {"a trace folder", File(2, "Vendor\\Cache\\", 0x1c), "+++++"},
        {"a named MRU value of Run", Key(5, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "MRUList"), "+++++"},
        {"RecentDocs whole", Key(6, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"), "+++++"},
        {"every value of Run", Key(5, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "*"), "-----"},
        {"Microsoft's Windows key", Key(6, "Software\\Microsoft\\Windows"), "-----"},
        {"a file in Documents", File(1, docs + "\\notes.txt"), "----+"},
        {"a file on the Desktop by its folder", File(1, "todo.txt", 0x10), "----+"},
        {"an Outlook store anywhere", File(1, "D:\\Mail\\archive.pst"), "----+"},
        {"a folder below Documents", File(2, docs + "\\Old\\"), "-----"},
        {"a vendor's folder in Public", File(2, "C:\\Users\\Public\\Vendor\\Logs\\"), "+++++"},
        {"a folder below the shared Documents", File(2, "C:\\Users\\Public\\Documents\\Old\\"), "-----"},
        {"a folder below Documents, confirmed", File(3, docs + "\\Old\\", 0, true), "----+"},
        {"a OneDrive folder, confirmed", File(2, "C:\\Users\\User\\OneDrive - Firm\\Tmp\\", 0, true), "----+"},
        {"Documents itself, confirmed", File(2, docs + "\\", 0, true), "-----"},
        {"the DPAPI master keys", File(2, "Microsoft\\Protect\\", 0x1a, true), "-----"},
        {"a saved credential file", File(1, "Microsoft\\Credentials\\ABC", 0x1c), "-----"},
        {"the SSH key folder itself, confirmed", File(3, "C:\\Users\\User\\.ssh\\", 0, true), "-----"},
        {"the profile", File(2, "C:\\Users\\User\\"), "-----"},
        {"a share", File(1, "\\\\server\\share\\x.log"), "-----"},
        {"a long-path prefix", File(1, "\\\\?\\C:\\Temp\\x.log"), "-----"},
        {"a device prefix", File(2, "\\\\.\\C:\\Temp\\"), "-----"},
        {"an alternate stream", File(1, "C:\\Temp\\x.log:secret"), "-----"},
        {"a device name as a folder", File(2, "C:\\Temp\\Con .log\\"), "-----"},
        {"a relative path", File(1, "x.log"), "-----"},
    };
    for (const Row& row : rows) {
        for (size_t s = 0; s < 5; ++s) {
            const EntryVerdict v = JudgeEntry(row.record, kSources[s], StandardPlaces());
            EXPECT_EQ(v.allowed, row.verdicts[s] == '+') << row.what << ", source " << s << ": " << v.reason;
            EXPECT_EQ(v.allowed, *v.reason == 0) << row.what;  // every refusal says why
        }
    }
}

TEST(EntryTrust, TheEditorLearnsWhatItMustAskAndWhere) {
    const EntryVerdict v =
        JudgeEntry(File(2, "C:\\Users\\User\\Pictures\\Scans\\"), EntrySource::CustomTarget, StandardPlaces());
    EXPECT_FALSE(v.allowed);
    EXPECT_TRUE(v.needsConfirmation);
    EXPECT_EQ(v.place, "your Pictures folder");
    EXPECT_FALSE(JudgeEntry(File(2, "C:\\Users\\User\\Pictures\\Scans\\"), EntrySource::ImportedTarget, StandardPlaces())
                     .needsConfirmation);
    EXPECT_STREQ(JudgeEntry(File(1, "Microsoft\\Vault\\x", 0x1a), EntrySource::CustomTarget, StandardPlaces()).reason,
                 "reaches keys, certificates or credentials");
}

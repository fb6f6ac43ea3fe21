// The hostile-target corpus: plug-in files and custom targets that try every known way to make a
// Scan or Kill reach what is not a trace, run in a throw-away Wine prefix that run-corpus.sh lays
// out (links, a second drive, sentinels). Each target is run twice: as loaded (the loader's rule)
// and with its entries built directly (the engine's own guards, for a record that got past a
// loader). Every count must be 0; run-corpus.sh then proves every file outside the targets
// byte-identical, and this program proves the same of the registry.
#include "engine/EntryTrust.h"
#include "engine/FileEntry.h"
#include "engine/FolderGuard.h"
#include "engine/RecycleFolderEntry.h"
#include "engine/RegistryEntry.h"
#include "engine/UrlCacheEntry.h"
#include "support/FakeMachine.h"
#include "targets/BinaryFile.h"
#include "targets/CustomTargets.h"
#include "targets/CustomTargetsFormat.h"
#include "targets/DriveTargets.h"
#include "targets/PluginFiles.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <wininet.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kHKCU = 0x80000001u;
const char kProgram[] = "C:\\hostile\\program";
const char kSentinelKey[] = "Software\\TracelornSentinel\\Keep";
const char kKilledKey[] = "Software\\TracelornHostile\\Killed\\Product";

std::string Special(int csidl) {
    char path[MAX_PATH] = {};
    return ::SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? path : "";
}

std::string UserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    char buffer[256];
    DWORD size = 0;
    std::string sid;
    if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        char* text = nullptr;
        if (::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
            sid = text;
            ::LocalFree(text);
        }
    }
    ::CloseHandle(token);
    return sid;
}

EntryRecord Folder(RemKind kind, int csidl, const std::string& path, const std::string& mask, bool recurse) {
    EntryRecord r;
    r.kind = static_cast<uint32_t>(kind);
    r.folderId = csidl;
    r.path = path;
    r.mask = mask;
    r.recurse = recurse;
    return r;
}

EntryRecord Registry(RemKind kind, const std::string& key, const std::string& pattern = "", bool recurse = true) {
    EntryRecord r;
    r.kind = static_cast<uint32_t>(kind);
    r.rootKey = kHKCU;
    r.key = key;
    r.valueName = pattern;
    r.hasPattern = kind == RemKind::RegistryValues;
    r.recurse = recurse;
    return r;
}

struct Hostile {
    std::string name;
    EntryRecord record;
    bool loaderRefuses;  // the loader must drop it; otherwise it loads and must still find nothing
};

// Every escape of the corpus. The 8.3 alias is asked of this prefix: Wine makes its own short names.
std::vector<Hostile> Corpus() {
    char alias[MAX_PATH] = {};
    ::GetShortPathNameA(Special(CSIDL_PROGRAM_FILES).c_str(), alias, MAX_PATH);
    const std::string user = Special(CSIDL_PROFILE).substr(Special(CSIDL_PROFILE).find_last_of('\\') + 1);
    return {
        {"drive root, all files", Folder(RemKind::FolderFiles, 0, "C:\\", "", false), true},
        {"drive root, every name", Folder(RemKind::FolderWildcard, 0, "C:\\", "*.*", false), true},
        {"drive root, recursive", Folder(RemKind::FolderFiles, 0, "C:\\", "", true), true},
        {"System32 flat", Folder(RemKind::FolderFiles, CSIDL_SYSTEM, "", "", false), true},
        {"System32 libraries", Folder(RemKind::FolderWildcard, CSIDL_SYSTEM, "", "*.dll", false), true},
        {"System32 by name", Folder(RemKind::FolderWildcard, 0, "C:\\windows\\system32\\", "*.txt", false), true},
        {"Windows flat", Folder(RemKind::FolderWildcard, CSIDL_WINDOWS, "", "*.*", false), true},
        {"profile through Documents and Settings",
         Folder(RemKind::FolderFiles, 0, "C:\\Documents and Settings\\" + user + "\\", "", false), true},
        {"profile root", Folder(RemKind::FolderWildcard, CSIDL_PROFILE, "", "*.*", false), true},
        {"profile by climbing", Folder(RemKind::FolderFiles, CSIDL_LOCAL_APPDATA, "..\\..\\", "", false), true},
        {"AppData Local itself", Folder(RemKind::FolderWildcard, CSIDL_LOCAL_APPDATA, "", "*.*", false), true},
        {"relative drivers folder", Folder(RemKind::FolderFiles, 0, "drivers\\", "", true), true},
        {"relative single file", Folder(RemKind::SingleFile, 0, "zz_sentinel.txt", "", false), true},
        {"Program Files by its short name", Folder(RemKind::FolderFiles, 0, std::string(alias) + "\\", "", true), true},
        {"links in a killed folder", Folder(RemKind::FolderFiles, 0, "C:\\hostile\\killed\\", "", true), false},
        {"fragments in a data folder", Folder(RemKind::FolderWildcard, 0, "D:\\data\\", "*.CHK", false), false},
        {"templates at a second drive", Folder(RemKind::FolderWildcard, 0, "D:\\", "*.tmp", false), true},
        {"HKCU Software whole", Registry(RemKind::RegistryKey, "Software"), true},
        {"a vendor's whole tree", Registry(RemKind::RegistryKey, "Software\\TracelornSentinel"), true},
        {"every value of Software", Registry(RemKind::RegistryValues, "Software", "*"), true},
        {"registry link under a killed key", Registry(RemKind::RegistryKey, kKilledKey), false},
    };
}

// Every key and value below a registry key, as one text (names, types and data).
void DumpKey(HKEY key, const std::string& path, std::string& out) {
    char name[16384];
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name, type = 0, dataLen = static_cast<DWORD>(data.size());
        if (::RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS) break;
        out += path + "|" + name + "|" + std::to_string(type) + "|" +
               std::string(reinterpret_cast<char*>(data.data()), dataLen) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string sub = path + "\\" + name;
        // The corpus's own killed key may go; everything else must stay as it is.
        if (sub == "\\Software\\TracelornHostile") continue;
        HKEY child = nullptr;
        if (::RegOpenKeyExA(key, name, REG_OPTION_OPEN_LINK, KEY_READ, &child) != ERROR_SUCCESS) continue;
        out += sub + "\n";
        DumpKey(child, sub, out);
        ::RegCloseKey(child);
    }
}

std::string DumpCurrentUser() {
    std::string out;
    DumpKey(HKEY_CURRENT_USER, "", out);
    return out;
}

// The sentinel key, and a registry link to it below the key the corpus kills.
void MakeRegistryFixture() {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kSentinelKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "keep", 0, REG_SZ, reinterpret_cast<const BYTE*>("sentinel"), 9);
    ::RegSetValueExA(key, "File.MostRecent.1", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\x"), 5);
    ::RegCloseKey(key);
    HKEY killed = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKilledKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &killed, nullptr),
              ERROR_SUCCESS);
    HKEY link = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(killed, "link", 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                                nullptr, &link, nullptr),
              ERROR_SUCCESS);
    const std::string target = "\\REGISTRY\\USER\\" + UserSid() + "\\Software\\TracelornSentinel";
    const std::wstring wide(target.begin(), target.end());
    ASSERT_EQ(::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(wide.c_str()),
                               static_cast<DWORD>(wide.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ::RegCloseKey(link);
    ::RegCloseKey(killed);
    // Followed, the link shows the sentinel's values: the fixture is what it should be.
    HKEY through = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kKilledKey) + "\\link\\Keep").c_str(), 0, KEY_READ, &through),
              ERROR_SUCCESS);
    ::RegCloseKey(through);
}

// A cache record whose local file name climbs out of the cache to a sentinel file.
std::string MakeForgedCacheRecord(const std::string& sentinel) {
    char file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryA("http://hostile.test/forged.htm", 0, "htm", file, 0)) return {};
    std::string path = file;
    path = path.substr(0, path.find_last_of('\\'));
    std::string climb;
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\') climb += "..\\";
    path += "\\..\\" + climb + sentinel.substr(3);
    FILETIME zero = {};
    if (!::CommitUrlCacheEntryA("http://hostile.test/forged.htm", path.c_str(), zero, zero, NORMAL_CACHE_ENTRY, nullptr,
                                0, "htm", nullptr))
        return {};
    return path;
}

RunCounters Counted(Target& target, bool kill) {
    target.Reset();
    if (kill) target.Kill();
    else target.Scan();
    return target.Counters();
}

// Entries made without the loader, as a record that slipped past it would be.
std::unique_ptr<RemEntry> DirectEntry(const EntryRecord& record) {
    if (record.IsFileKind()) return std::make_unique<FileEntry>(record);
    return std::make_unique<RegistryEntry>(record);
}

class HostileCorpus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Started by the Run key, the cleaner's current folder is System32.
        ::SetCurrentDirectoryA(Special(CSIDL_SYSTEM).c_str());
    }
};

}  // namespace

TEST_F(HostileCorpus, TheFixturesAreWhatTheEscapesNeed) {
    char alias[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA(Special(CSIDL_PROGRAM_FILES).c_str(), alias, MAX_PATH), 0u);
    EXPECT_NE(std::string(alias), Special(CSIDL_PROGRAM_FILES));
    EXPECT_EQ(CanonicalPath(alias), Special(CSIDL_PROGRAM_FILES));
    for (const char* link : {"C:\\hostile\\killed\\junction", "C:\\hostile\\killed\\symlink"})
        EXPECT_EQ(::GetFileAttributesA(link), DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) << link;
    EXPECT_NE(::GetFileAttributesA("C:\\hostile\\killed\\junction\\keep.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA("D:\\Recycled\\mine.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA("drivers"), INVALID_FILE_ATTRIBUTES);  // the current folder is System32
    EXPECT_EQ(CanonicalPath("C:\\Documents and Settings\\."), CanonicalPath(Special(CSIDL_PROFILE) + "\\.."));
}

TEST_F(HostileCorpus, PluginsAndCustomTargetsTouchNothing) {
    MakeRegistryFixture();
    const std::string registryBefore = DumpCurrentUser();

    // The corpus as application plug-ins and as the user's custom targets.
    const std::vector<Hostile> corpus = Corpus();
    std::vector<TargetRecord> records;
    ::CreateDirectoryA((std::string(kProgram) + "\\APPPLUGS").c_str(), nullptr);
    for (size_t i = 0; i < corpus.size(); ++i) {
        TargetRecord r;
        r.name = corpus[i].name;
        r.description = "Kills " + corpus[i].name;
        r.active = true;
        r.entries = {corpus[i].record};
        MemoryStream bytes;
        ASSERT_EQ(WriteTargetRecord(r, bytes), RecordWriteResult::Ok) << r.name;
        BinaryFile file;
        const std::string path = std::string(kProgram) + "\\APPPLUGS\\h" + std::to_string(i) + ".tlp";
        ASSERT_TRUE(file.Open(path, BinaryFile::Mode::Write)) << path;
        ASSERT_EQ(file.Write(bytes.Bytes().data(), bytes.Bytes().size()), bytes.Bytes().size());
        records.push_back(r);
    }
    std::vector<uint8_t> custom;
    ASSERT_EQ(EncodeCustomTargets(records, custom), RecordWriteResult::Ok);
    {
        BinaryFile file;
        ASSERT_TRUE(file.Open(CustomTargetsStore::FilePath(kProgram), BinaryFile::Mode::Write));
        ASSERT_EQ(file.Write(custom.data(), custom.size()), custom.size());
    }

    TargetCatalog catalog;
    ASSERT_EQ(LoadApplicationPlugins(catalog, kProgram), corpus.size());
    catalog.MarkCustomStart();
    CustomTargetsStore store;
    ASSERT_EQ(store.Load(catalog, kProgram), corpus.size());
    // A refused entry stays with the user's target, doing nothing, so the next save keeps it.
    EXPECT_FALSE(store.LoadWasIncomplete());
    ASSERT_EQ(catalog.TargetCount(), 2 * corpus.size());

    std::map<std::string, const Hostile*> byName;
    for (const Hostile& e : corpus) byName[e.name] = &e;
    for (size_t i = 0; i < catalog.TargetCount(); ++i) {
        Target& target = catalog.TargetAt(i);
        const Hostile& escape = *byName.at(target.Name());
        const bool custom = i >= corpus.size();
        EXPECT_EQ(target.EntryCount(), escape.loaderRefuses && !custom ? 0u : 1u) << target.Name();
        if (custom && escape.loaderRefuses) {
            EXPECT_NE(dynamic_cast<const RefusedEntry*>(&target.Entry(0)), nullptr) << target.Name();
        }
        EXPECT_EQ(Counted(target, false), RunCounters{}) << "Scan " << target.Name();
        EXPECT_EQ(Counted(target, true), RunCounters{}) << "Kill " << target.Name();
    }

    // The same records past the loader: the engine's own guards hold.
    for (const Hostile& escape : corpus) {
        Target target(escape.name, "");
        target.AddEntry(DirectEntry(escape.record));
        EXPECT_EQ(Counted(target, false), RunCounters{}) << "Scan " << escape.name;
        EXPECT_EQ(Counted(target, true), RunCounters{}) << "Kill " << escape.name;
    }

    EXPECT_EQ(DumpCurrentUser(), registryBefore);
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kSentinelKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    if (key) ::RegCloseKey(key);
    // The link itself went with the killed key; what it led to did not.
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, kKilledKey, REG_OPTION_OPEN_LINK, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(HostileCorpus, DriveTargetsLeaveAUsersRecycledFolderAndLookAlikesAlone) {
    FakeDrives drives;
    drives.Add("D:\\", DriveType::Fixed);
    auto shell = std::make_shared<FakeRecycleBinShell>();
    shell->hasItems = true;  // a real bin with items elsewhere: Kill would go ahead
    const auto isFolder = [](const std::string& path) {
        const DWORD a = ::GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    };
    RecycleBinTarget recycle(drives, shell, UserSid(), isFolder);
    ChkFilesTarget fragments(drives);
    for (Target* target : {static_cast<Target*>(&recycle), static_cast<Target*>(&fragments)}) {
        EXPECT_EQ(Counted(*target, false), RunCounters{}) << "Scan " << target->Name();
        EXPECT_EQ(Counted(*target, true), RunCounters{}) << "Kill " << target->Name();
    }
    ASSERT_EQ(recycle.EntryCount(), 1u);
    EXPECT_EQ(static_cast<RecycleFolderEntry&>(recycle.Entry(0)).Folder(), "");
}

TEST_F(HostileCorpus, AForgedCacheRecordCannotReachAFileOutsideTheCache) {
    const std::string sentinel = "C:\\hostile\\sentinel\\cache-target.txt";
    const std::string forged = MakeForgedCacheRecord(sentinel);
    ASSERT_FALSE(forged.empty());
    char full[MAX_PATH] = {};
    ::GetFullPathNameA(forged.c_str(), MAX_PATH, full, nullptr);
    ASSERT_EQ(std::string(full), sentinel);  // the record really names the sentinel

    Target cache("Internet Explorer Cache", "");
    cache.AddEntry(std::make_unique<UrlCacheContentEntry>());
    EXPECT_EQ(Counted(cache, false), RunCounters{});
    EXPECT_EQ(Counted(cache, true), RunCounters{});
}

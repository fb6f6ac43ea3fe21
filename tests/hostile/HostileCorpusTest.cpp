// The hostile-target corpus: plug-in files and custom targets that try every known way to make a
// Scan or Kill reach what is not a trace, run in a throw-away Wine prefix that run-corpus.sh lays
// out (links, a second drive, sentinels). Each target is run twice: as loaded (the loader's rule)
// and with its entries built directly (the engine's own guards, for a record that got past a
// loader). Every count must be 0; run-corpus.sh then proves every file outside the targets
// byte-identical, and this program proves the same of the registry.
#include "engine/Checkpoint.h"
#include "engine/DatabaseEntry.h"
#include "engine/EntryTrust.h"
#include "engine/FileEntry.h"
#include "engine/KillSettings.h"
#include "engine/OverwritePattern.h"
#include "engine/FolderGuard.h"
#include "engine/RecycleFolderEntry.h"
#include "engine/RegistryEntry.h"
#include "engine/UrlCacheEntry.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Text.h"
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

#include <cstring>
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

namespace {

// Every name below a folder, as the wide listing gives it.
void ListTree(const std::wstring& folder, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        names.push_back(folder + L"\\" + name);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ListTree(folder + L"\\" + name, names);
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
}

EntryRecord FolderRecord(RemKind kind, int csidl, const std::string& path, const std::string& mask, bool recurse) {
    return Folder(kind, csidl, path, mask, recurse);
}

size_t g_draws = 0;
size_t g_stopAtDraw = SIZE_MAX;
int CountedRandom() {
    if (g_draws++ == g_stopAtDraw) RequestStop();
    return static_cast<int>(g_draws);
}

class SecureKill : public HostileCorpus {
protected:
    void SetUp() override {
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(3);
        g_draws = 0;
        g_stopAtDraw = SIZE_MAX;
        overwrite::SetRandomSource(CountedRandom);
        SetStoppedHandler([] {});
    }
    void TearDown() override {
        overwrite::SetRandomSource(nullptr);
        SetStoppedHandler(nullptr);
        ClearStop();
        kill_settings::SetPasses(1);
    }
};

}  // namespace

// Best-fit forms of path syntax and names outside the code page are names like any other: inside
// the walked folder they go, and what their best-fit forms would name (run-corpus.sh planted it
// outside) stays. Names with a real separator or colon (a Linux name, as Wine lists it) could
// only be joined into another path: they stay, counted nowhere.
TEST_F(SecureKill, NamesAreTakenAsTheyAreBestFitOrForeign) {
    for (const char* folder : {"C:\\hostile\\bestfit\\", "C:\\hostile\\foreign\\"}) {
        Target target(folder, "");
        target.AddEntry(DirectEntry(FolderRecord(RemKind::FolderFiles, 0, folder, "", true)));
        std::vector<std::wstring> before;
        ListTree(WideFromUtf8(folder).substr(0, std::strlen(folder) - 1), before);
        ASSERT_GE(before.size(), 6u) << folder;
        const RunCounters scanned = Counted(target, false);
        EXPECT_GE(scanned.files, 5u) << folder;
        EXPECT_EQ(Counted(target, true), scanned) << folder;
        std::vector<std::wstring> after;
        ListTree(WideFromUtf8(folder).substr(0, std::strlen(folder) - 1), after);
        for (const std::wstring& left : after)
            if (left.substr(std::strlen(folder)).find_first_of(L":\\") == std::wstring::npos)
                ADD_FAILURE() << Utf8FromWide(left) << " is left";
        EXPECT_EQ(after.size(), std::string(folder).find("bestfit") != std::string::npos ? 2u : 0u) << folder;
    }
    Target single("single", "");
    EntryRecord file = FolderRecord(RemKind::SingleFile, 0, "C:\\hostile\\single\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt", "", false);
    single.AddEntry(DirectEntry(file));
    EXPECT_EQ(Counted(single, true).files, 1u);
    EXPECT_EQ(::GetFileAttributesW(WideFromUtf8(file.path).c_str()), INVALID_FILE_ATTRIBUTES);
}

// run-corpus.sh swaps the subfolders for links to the sentinel folder in a loop meanwhile.
TEST_F(SecureKill, SubfoldersSwappedForLinksDuringAKillNeverLeadOutside) {
    Target target("swap", "");
    target.AddEntry(DirectEntry(FolderRecord(RemKind::FolderFiles, 0, "C:\\hostile\\swap\\", "", true)));
    EXPECT_GT(Counted(target, true).files, 0u);
    EXPECT_NE(::GetFileAttributesA("C:\\hostile\\sentinel\\keep.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA("C:\\hostile\\sentinel\\sub\\deep.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SecureKill, ASparseFileIsOverwrittenOnlyWhereItHoldsData) {
    Target target("sparse", "");
    target.AddEntry(DirectEntry(FolderRecord(RemKind::FolderFiles, 0, "C:\\hostile\\sparse\\", "", false)));
    EXPECT_EQ(Counted(target, true), (RunCounters{1, 0, 6ull << 30}));
    EXPECT_EQ(::GetFileAttributesA("C:\\hostile\\sparse\\huge.bin"), INVALID_FILE_ATTRIBUTES);
    // Two blocks of data, three passes, eight letters for the new name: nowhere near 6 GiB / 512.
    EXPECT_LE(g_draws, 3u * 2u * 8u + 8u);
    EXPECT_GE(g_draws, 3u * 2u + 8u);
}

// A Kill of a database stopped between two overwrite blocks leaves no member under a random name;
// a journal left by a Kill cut short by a crash is settled by the next Scan or Kill.
TEST_F(SecureKill, ADatabaseKillCutShortLeavesNothingUnderARandomName) {
    const std::string db = "C:\\hostile\\db\\places.sqlite";
    auto make = [](const std::string& path, size_t size) {
        ::CreateDirectoryA("C:\\hostile\\db", nullptr);
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        std::string bytes(size, 'd');
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
        ::CloseHandle(h);
    };
    for (const std::string& member : DatabaseEntry::GroupNames(db)) make(member, 4096);
    g_stopAtDraw = 20;
    {
        DatabaseEntry entry(db);
        EXPECT_THROW(entry.Kill(), RunStopped);
    }
    ClearStop();
    std::vector<std::wstring> left;
    ListTree(L"C:\\hostile\\db", left);
    for (const std::wstring& name : left) ADD_FAILURE() << Utf8FromWide(name) << " is left";

    // A crash while the members were moving: the journal names one moved member and one that had
    // not moved yet. Scan moves it back; a crash after all had moved: Kill removes what is left.
    make("C:\\hostile\\db\\abcdefghijklm", 100);
    ASSERT_TRUE(ReplaceFileContents(DatabaseEntry::RenameJournalPath(db),
                                    std::string("tracelorn-renames 1\nmoving\n0\tabcdefghijklm\n2\tabcdefghijklmnopq\n")));
    DatabaseEntry entry(db);
    entry.Scan();
    EXPECT_EQ(entry.Counters(), (RunCounters{1, 0, 100}));
    EXPECT_NE(::GetFileAttributesA(db.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(::MoveFileA(db.c_str(), "C:\\hostile\\db\\mmmmmmmmmmmmm"));
    ASSERT_TRUE(ReplaceFileContents(DatabaseEntry::RenameJournalPath(db),
                                    std::string("tracelorn-renames 1\nmoved\n0\tmmmmmmmmmmmmm\n")));
    entry.Reset();
    entry.Kill();
    EXPECT_EQ(entry.Counters(), (RunCounters{1, 0, 100}));
    left.clear();
    ListTree(L"C:\\hostile\\db", left);
    for (const std::wstring& name : left) ADD_FAILURE() << Utf8FromWide(name) << " is left";
}

// What users cannot lose, as plug-ins and as custom targets: every protected place (run-corpus.sh
// plants a file in each and hashes the drive) and every key Windows is built on (filled here, the
// registry compared). Only traces beside mail stores and the user's own files that a custom target
// names (a single file, a confirmed walk) may go.
#include "engine/EntryTrust.h"
#include "platform/Text.h"
#include "targets/BinaryFile.h"
#include "targets/CustomTargets.h"
#include "targets/CustomTargetsFormat.h"
#include "targets/PluginFiles.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kHKCR = 0x80000000u, kHKCU = 0x80000001u, kHKLM = 0x80000002u;
const char kProgram[] = "C:\\hostile\\protected-program";

std::string SpecialPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? Utf8FromWide(path) : "";
}

EntryRecord FileEntry(uint32_t kind, const std::string& path, bool confirmed = false) {
    return EntryRecord{kind, 0, path, kind == 3 ? "*" : "", 0, "", "", true, false, true, confirmed};
}

EntryRecord KeyEntry(uint32_t kind, uint32_t root, const std::string& key) {
    return EntryRecord{kind, 0, "", "", root, key, kind == 5 ? "*" : "", kind == 6};
}

// The folders run-corpus.sh fills, each holding "kept.txt" and "sub\kept.txt".
std::vector<std::string> ProtectedFolders() {
    const std::string profile = SpecialPath(CSIDL_PROFILE), roaming = SpecialPath(CSIDL_APPDATA), local = SpecialPath(CSIDL_LOCAL_APPDATA);
    std::vector<std::string> folders;
    for (const std::string& data : {roaming, local})
        for (const char* key : {"Protect", "Crypto", "Credentials", "Vault", "SystemCertificates", "Outlook"})
            folders.push_back(data + "\\Microsoft\\" + key);
    for (const char* sub : {"OneDrive", "OneDrive - Firm", "Dropbox", "Google Drive", "iCloudDrive", ".ssh", ".gnupg",
                            "Documents", "Desktop", "Pictures", "Music", "Videos", "Downloads"})
        folders.push_back(profile + "\\" + sub);
    folders.push_back("C:\\CloudBiz");  // a business OneDrive account's folder, named only in the registry
    folders.push_back(roaming + "\\Thunderbird\\Profiles\\abc.default\\Mail");
    folders.push_back(roaming + "\\Thunderbird\\Profiles\\abc.default\\ImapMail");
    return folders;
}

// The keys Windows is built on; each gets a sentinel value before the run.
std::vector<std::pair<uint32_t, std::string>> StructuralKeys() {
    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    std::vector<std::pair<uint32_t, std::string>> keys;
    for (const std::string& k : {cv + "Run", cv + "RunOnce", cv + "Explorer\\Shell Folders", cv + "Explorer\\User Shell Folders",
                                 cv + "Policies\\Explorer", cv + "Uninstall\\App", cv + "App Paths\\app.exe",
                                 std::string("Environment"), std::string("Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"),
                                 std::string("Software\\Classes\\CLSID\\{00000000-0000-0000-0000-00000000AB01}"),
                                 std::string("Software\\Classes\\txtfile\\shell\\open\\command")})
        keys.emplace_back(kHKCU, k);
    for (const std::string& k : {cv + "Run", cv + "Uninstall\\App", std::string("SYSTEM\\CurrentControlSet\\Services\\TlSentinel")})
        keys.emplace_back(kHKLM, k);
    keys.emplace_back(kHKCR, "CLSID\\{00000000-0000-0000-0000-00000000AB02}");
    keys.emplace_back(kHKCR, "*\\shell\\TlSentinel");
    return keys;
}

HKEY RootOf(uint32_t root) { return reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)); }

// Every key and value below a key, as text.
void Dump(HKEY key, const std::wstring& path, std::wstring& out) {
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), type = 0, dataLen = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS) break;
        out += path + L"|" + std::wstring(name.data(), nameLen) + L"|" + std::to_wstring(type) + L"|" +
               std::wstring(reinterpret_cast<wchar_t*>(data.data()), dataLen / sizeof(wchar_t)) + L"\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child = nullptr;
        const std::wstring sub = path + L"\\" + std::wstring(name.data(), nameLen);
        if (::RegOpenKeyExW(key, name.data(), REG_OPTION_OPEN_LINK, KEY_READ, &child) != ERROR_SUCCESS) continue;
        out += sub + L"\n";
        Dump(child, sub, out);
        ::RegCloseKey(child);
    }
}

std::wstring DumpRegistry() {
    std::wstring out;
    Dump(HKEY_CURRENT_USER, L"HKCU", out);
    HKEY key = nullptr;
    for (const wchar_t* sub : {L"Software", L"System\\CurrentControlSet\\Services"})
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            Dump(key, sub, out);
            ::RegCloseKey(key);
        }
    return out;
}

bool Exists(const std::string& path) { return ::GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

TargetRecord Named(const std::string& name, const EntryRecord& entry) {
    TargetRecord r;
    r.name = name;
    r.active = true;
    r.entries = {entry};
    return r;
}

void Install(const std::vector<EntryRecord>& plugins, const std::vector<EntryRecord>& customs) {
    ::CreateDirectoryW(WideFromUtf8(std::string(kProgram)).c_str(), nullptr);
    ::CreateDirectoryW(WideFromUtf8(std::string(kProgram) + "\\APPPLUGS").c_str(), nullptr);
    std::vector<TargetRecord> records;
    for (size_t i = 0; i < plugins.size(); ++i) {
        MemoryStream bytes;
        ASSERT_EQ(WriteTargetRecord(Named("p" + std::to_string(i), plugins[i]), bytes), RecordWriteResult::Ok);
        BinaryFile file;
        ASSERT_TRUE(file.Open(std::string(kProgram) + "\\APPPLUGS\\p" + std::to_string(i) + ".tlp", BinaryFile::Mode::Write));
        ASSERT_EQ(file.Write(bytes.Bytes().data(), bytes.Bytes().size()), bytes.Bytes().size());
    }
    for (size_t i = 0; i < customs.size(); ++i) records.push_back(Named("c" + std::to_string(i), customs[i]));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeCustomTargets(records, bytes), RecordWriteResult::Ok);
    BinaryFile file;
    ASSERT_TRUE(file.Open(CustomTargetsStore::FilePath(kProgram), BinaryFile::Mode::Write));
    ASSERT_EQ(file.Write(bytes.data(), bytes.size()), bytes.size());
}

}  // namespace

TEST(ProtectedPlacesCorpus, EveryPlaceAndStructuralKeyAsPluginAndCustomTarget) {
    const std::string docs = SpecialPath(CSIDL_PERSONAL);
    for (const std::string& f : ProtectedFolders()) ASSERT_TRUE(Exists(f + "\\sub\\kept.txt")) << f;
    for (const auto& [root, key] : StructuralKeys()) {
        HKEY k = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(RootOf(root), WideFromUtf8(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                    nullptr),
                  ERROR_SUCCESS) << key;
        ::RegSetValueExW(k, L"TlSentinel", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"kept"), 10);
        ::RegCloseKey(k);
    }
    const std::wstring registryBefore = DumpRegistry();

    // Every place: walked (all files, every name), above it, a file in it, and the stored forms
    // that are refused whatever they name. The user's own targets are refused the same, except a
    // single file outside the key material; confirmed walks are refused at or above a place and
    // anywhere in the key material.
    std::vector<EntryRecord> plugins, customs;
    const auto both = [&](const EntryRecord& r) {
        plugins.push_back(r);
        customs.push_back(r);
    };
    for (const std::string& f : ProtectedFolders()) {
        const bool keys = f.find("\\Microsoft\\") != std::string::npos && f.find("Outlook") == std::string::npos;
        const std::string parent = f.substr(0, f.find_last_of('\\')) + "\\";
        both(FileEntry(2, f + "\\"));
        both(FileEntry(3, f + "\\sub\\"));
        both(FileEntry(2, parent));
        customs.push_back(FileEntry(2, f + "\\", true));
        customs.push_back(FileEntry(3, parent, true));
        plugins.push_back(FileEntry(1, f + "\\sub\\kept.txt"));
        if (keys) customs.push_back(FileEntry(1, f + "\\sub\\kept.txt"));
        if (keys) customs.push_back(FileEntry(3, f + "\\sub\\", true));
    }
    for (const char* odd : {"\\\\?\\C:\\hostile\\sentinel\\keep.txt", "\\\\.\\C:\\hostile\\sentinel\\keep.txt",
                            "\\\\localhost\\C$\\hostile\\sentinel\\keep.txt", "C:\\hostile\\sentinel\\keep.txt:x"})
        both(FileEntry(1, odd));
    both(FileEntry(2, "\\\\?\\C:\\hostile\\sentinel\\"));
    for (const auto& [root, key] : StructuralKeys()) {
        std::string k = key;
        for (;;) {  // the key and every key above it, whole and of all its values
            both(KeyEntry(6, root, k));
            both(KeyEntry(5, root, k));
            if (k.find('\\') == std::string::npos) break;
            k = k.substr(0, k.find_last_of('\\'));
        }
    }
    // Traces beside mail stores: the walk removes them and leaves the stores.
    plugins.push_back(FileEntry(2, "C:\\hostile\\traces\\"));
    // The user's own files a custom target may name: a single file, a confirmed walk below a
    // library folder. The same records as plug-ins find nothing, and run first.
    const EntryRecord single = FileEntry(1, docs + "\\Own\\single.txt");
    const EntryRecord walk = FileEntry(2, docs + "\\Own\\walk\\", true);
    plugins.push_back(single);
    plugins.push_back(walk);
    customs.push_back(single);
    customs.push_back(walk);
    Install(plugins, customs);

    TargetCatalog catalog;
    ASSERT_EQ(LoadApplicationPlugins(catalog, kProgram), plugins.size());
    catalog.MarkCustomStart();
    CustomTargetsStore store;
    ASSERT_EQ(store.Load(catalog, kProgram), customs.size());
    const std::set<std::string> mayFind = {"p" + std::to_string(plugins.size() - 3),
                                           "c" + std::to_string(customs.size() - 2),
                                           "c" + std::to_string(customs.size() - 1)};
    size_t found = 0;
    for (size_t i = 0; i < catalog.TargetCount(); ++i) {
        Target& target = catalog.TargetAt(i);
        for (bool kill : {false, true}) {
            target.Reset();
            kill ? target.Kill() : target.Scan();
            found += target.Counters().files;
            if (!mayFind.count(target.Name())) {
                EXPECT_EQ(target.Counters(), RunCounters{}) << kill << target.Name();
            }
        }
    }
    // Scan and Kill: two traces, the custom single file, and the hundred files of the confirmed walk
    // (more than a walk tests by itself: its helper threads must see the permit too).
    EXPECT_EQ(found, 2u * 2 + 1u * 2 + 100u * 2);
    for (const char* kept : {"C:\\hostile\\traces\\archive.pst", "C:\\hostile\\traces\\cache\\offline.ost"})
        EXPECT_TRUE(Exists(kept)) << kept;
    for (const std::string& gone : {std::string("C:\\hostile\\traces\\trace.tmp"), docs + "\\Own\\single.txt",
                                    docs + "\\Own\\walk\\a.txt"})
        EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_TRUE(Exists(docs + "\\Own\\beside.txt"));
    EXPECT_EQ(DumpRegistry(), registryBefore);
}

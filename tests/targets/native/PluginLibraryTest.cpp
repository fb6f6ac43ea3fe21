// Walks the whole shipped plug-in library (data/plugins/std and data/plugins/app, compiled the way
// plugc compiles them) and holds every entry to the rule that no shipped plug-in can reach the
// user's own documents.
//
// The rule, for every entry of every shipped plug-in:
//  R1. The kind is 1 to 6 (no special kinds in files).
//  R2. File kinds (1-4) name a special folder (CSID != 0): no absolute paths, which would depend on
//      the drive layout of one machine.
//  R3. The special folder is never one that holds user documents: Desktop (0x00, 0x10, 0x19),
//      Documents (0x05, 0x2e), Favorites (0x06, 0x1f), Pictures (0x27, 0x36), Music (0x0d, 0x35),
//      Videos (0x0e, 0x37), Start menu / Programs (0x0b, 0x02, 0x16, 0x17), Templates (0x15, 0x2d).
//  R4. No path component is "." or ".." and no path is absolute or starts with a separator, so a
//      path cannot climb out of its special folder.
//  R5. Kinds 2 and 3 with an empty path (the special folder itself) are allowed only at the trace
//      folders Recent (0x08), Internet cache (0x20), Cookies (0x21) and History (0x22); at the
//      profile (0x28), application data (0x1a, 0x1c, 0x23) and Windows (0x24) roots the path must
//      name a subfolder.
//  R6. A kind 2 or 3 entry that recurses at a profile or application data root must name a folder
//      at least one level deep whose name is a known cache/temp/trace folder (Temp, cache, art,
//      #SharedObjects, Prefetch, Recent, Downloaded Program Files, the error-report queue and
//      archive, the DirectX shader cache); no recursive walk of an application's whole data folder.
//  R7. Kind 4 reads its folder only from the current user's Explorer "Shell Folders" key and only
//      the values History, Cookies, Cache or Recent.
//  R8. Registry kinds (5, 6) work only below HKEY_CURRENT_USER\Software, at least three key levels
//      deep (two for a kind 5 entry whose value-name pattern carries the marker), and the key path contains a history marker: MRU, Recent, History, Typed, UserAssist,
//      MenuOrder, WordWheelQuery, Find, Regedit (value LastKey only), or names one of the
//      applets/games whose key holds only state (FreeCell), or the extract/file-menu lists.
//  R9. Kind 3 wildcards hold no path separator.
//  R10. Below the profile root (0x28) a path starts in application data or the XP "Local Settings"
//      (AppData, Local Settings, Application Data): never in Documents, Desktop, Downloads or any
//      other folder the user keeps files in.
//  R11. No entry deletes a whole settings file by its name (a kind 1 path or a kind 3 wildcard
//      ending in .ini, .xml, .json, .cfg or .config) unless the file is known to hold nothing but
//      history (kHistoryOnlyFiles below, each with the reason): a program's settings are not a
//      trace, even when a recent list is kept among them.
#include "engine/EntryTrust.h"
#include "targets/PluginRecord.h"
#include "targets/PluginText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <set>

namespace {
// The build names the source tree: __FILE__ may be relative to the build folder (a compiler
// cache rewrites paths), and the test runs from elsewhere.
std::string RepoRoot() { return TL_SOURCE_DIR; }

std::vector<std::string> SourcesIn(const std::string& sub) {
    std::vector<std::string> out;
    std::string dir = RepoRoot() + "/data/plugins/" + sub;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 4 && n.substr(n.size() - 4) == ".txt") out.push_back(dir + "/" + n);
        }
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : path) {
        if (c == '\\' || c == '/') { out.push_back(cur); cur.clear(); }
        else cur += c;
    }
    if (!path.empty()) out.push_back(cur);
    return out;
}

bool Contains(const std::string& hay, const char* needle) { return Lower(hay).find(Lower(needle)) != std::string::npos; }

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == tail;
}

bool NamesSettingsFile(const std::string& name) {
    for (const char* ext : {".ini", ".xml", ".json", ".cfg", ".config"})
        if (EndsWithNoCase(name, ext)) return true;
    return false;
}

// Settings-file names that hold only history: special folder, folder path, file name or wildcard.
struct HistoryOnlyFile {
    int32_t folderId;
    const char* folder;
    const char* name;
};
// Office keeps its recent-documents index in Microsoft\Office\Recent beside the shortcuts it
// lists; the folder holds nothing else.
const HistoryOnlyFile kHistoryOnlyFiles[] = {{0x1a, "microsoft\\office\\recent", "*.xml"}};

bool IsHistoryOnly(const EntryRecord& e, const std::string& folder, const std::string& name) {
    for (const HistoryOnlyFile& h : kHistoryOnlyFiles)
        if (e.folderId == h.folderId && Lower(folder) == h.folder && Lower(name) == h.name) return true;
    return false;
}

// Trace folders whose last name alone says too little, each with the reason it holds only traces;
// a mask, when given, must be the entry's.
struct TraceFolder {
    int32_t folderId;
    const char* folder;
    const char* mask;
};
const TraceFolder kTraceFolders[] = {
    {0x1a, "microsoft\\teams\\tmp", nullptr},                // Teams' download scratch space
    {0x1a, "slack\\logs", nullptr},                            // Slack's dated log folders
    {0x1a, "code\\logs", nullptr},                             // one log folder per session of the editor
    {0x1c, "spotify\\data", nullptr},                          // the streaming cache; offline songs are in Storage
    {0x1c, "microsoft\\office\\16.0\\officefilecache", nullptr},  // the document cache (off by default)
    // one database per account, reached only by its own narrow name
    {0x1c, "connecteddevicesplatform", "activitiescache.db*"},
};

bool IsKnownTraceFolder(const EntryRecord& e) {
    for (const TraceFolder& t : kTraceFolders)
        if (e.folderId == t.folderId && Lower(e.path) == t.folder && (!t.mask || Lower(e.mask) == t.mask))
            return true;
    return false;
}

// R11 for one file entry.
bool DeletesSettingsFile(const EntryRecord& e) {
    if (e.kind == 1) {
        const size_t slash = e.path.find_last_of("\\/");
        const std::string folder = slash == std::string::npos ? std::string() : e.path.substr(0, slash);
        const std::string name = slash == std::string::npos ? e.path : e.path.substr(slash + 1);
        return NamesSettingsFile(name) && !IsHistoryOnly(e, folder, name);
    }
    if (e.kind == 3) {
        std::string folder = e.path;
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        return NamesSettingsFile(e.mask) && !IsHistoryOnly(e, folder, e.mask);
    }
    return false;
}

// Returns the broken rule, or "" when the entry keeps them all.
std::string BrokenRule(const EntryRecord& e) {
    static const std::set<int32_t> documents{0x00, 0x10, 0x19, 0x05, 0x2e, 0x06, 0x1f, 0x27, 0x36, 0x0d,
                                             0x35, 0x0e, 0x37, 0x0b, 0x02, 0x16, 0x17, 0x15, 0x2d};
    static const std::set<int32_t> traceFolders{0x08, 0x20, 0x21, 0x22};
    static const std::set<int32_t> broadRoots{0x28, 0x1a, 0x1c, 0x23, 0x24};
    if (e.kind < 1 || e.kind > 6) return "R1";
    if (e.IsFileKind()) {
        if (e.kind != 4) {
            if (e.folderId == 0) return "R2";
            if (documents.count(e.folderId)) return "R3";
            if (!e.path.empty() && (e.path[0] == '\\' || e.path[0] == '/' || e.path.find(':') != std::string::npos))
                return "R4";
            std::vector<std::string> parts = Components(e.path);
            for (const std::string& p : parts)
                if (p.empty() || p == "." || p == "..") return "R4";
            if ((e.kind == 2 || e.kind == 3) && e.path.empty() && !traceFolders.count(e.folderId)) return "R5";
            if (e.folderId == 0x28) {
                static const std::set<std::string> dataRoots{"appdata", "local settings", "application data"};
                if (parts.empty() || !dataRoots.count(Lower(parts[0]))) return "R10";
            }
            if ((e.kind == 2 || e.kind == 3) && e.recurse && broadRoots.count(e.folderId)) {
                static const char* known[] = {"temp", "cache", "art", "#sharedobjects", "prefetch", "recent",
                                              "downloaded program files", "reportqueue", "reportarchive",
                                              "d3dscache", "code cache", "gpucache", "htmlcache", "cacheddata"};
                if (parts.empty()) return "R6";
                std::string last = Lower(parts.back());
                if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return last == k; }) &&
                    !IsKnownTraceFolder(e))
                    return "R6";
            }
            if (e.kind == 3 && (e.mask.empty() || e.mask.find_first_of("\\/:") != std::string::npos)) return "R9";
            if (DeletesSettingsFile(e)) return "R11";
            return "";
        }
        if (e.rootKey != 0x80000001u ||
            Lower(e.path) != Lower("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
            return "R7";
        static const std::set<std::string> values{"history", "cookies", "cache", "recent"};
        return values.count(Lower(e.valueName)) ? "" : "R7";
    }
    if (e.rootKey != 0x80000001u) return "R8";
    std::vector<std::string> parts = Components(e.key);
    if (parts.size() < 2 || Lower(parts[0]) != "software") return "R8";
    // Only a kind 5 entry whose value pattern itself carries the marker may sit two levels deep.
    const bool shallow = parts.size() < 3;
    for (const std::string& p : parts)
        if (p.empty()) return "R8";
    if (Contains(e.key, "\\Regedit")) return e.kind == 5 && e.valueName == "LastKey" ? "" : "R8";
    static const char* markers[] = {"MRU", "Recent", "History", "Typed", "UserAssist", "MenuOrder",
                                    "WordWheelQuery", "Find", "FreeCell", "\\extract", "\\filemenu",
                                    "File.MostRecent"};
    for (const char* m : markers)
        if ((!shallow && Contains(e.key, m)) || (e.kind == 5 && Contains(e.valueName, m))) return "";
    return "R8";
}

struct Shipped {
    std::string path;
    TargetRecord record;
    std::vector<uint8_t> bytes;
};

std::vector<Shipped> CompileAll(const std::string& sub) {
    std::vector<Shipped> out;
    for (const std::string& path : SourcesIn(sub)) {
        PluginTextResult r = ParsePluginText(ReadAll(path));
        EXPECT_TRUE(r.record) << path << ": " << r.error;
        if (!r.record) continue;
        MemoryStream s;
        EXPECT_EQ(WriteTargetRecord(*r.record, s), RecordWriteResult::Ok) << path;
        out.push_back({path, *r.record, s.Bytes()});
    }
    return out;
}
}  // namespace

TEST(ShippedPlugins, StandardLibraryHasEveryNamedFile) {
    std::set<std::string> names;
    for (const std::string& p : SourcesIn("std")) names.insert(p.substr(p.find_last_of('/') + 1));
    for (const char* n : {"WinTemp", "UserTemp", "Prefetch", "DocHist", "RunHist", "FindFiles", "FindComps",
                          "OpenSave", "StartClick", "StartOrder", "Paint", "WordPad", "MPlayer", "PhotoEditor",
                          "RegEdit", "FreeCell", "Access", "Word", "Excel", "PowerPoint", "FrontPage", "Publisher",
                          "InfoPath", "MSORecent", "IEHist", "IECookies", "IEAddrBar", "IndexDat", "DldPrgFiles",
                          // Windows 10 and 11 traces, after the older ones
                          "TypedPaths", "UserAssist", "WerReports", "CrashDumps", "ShaderCache",
                          "JumpLists", "ThumbCache", "ActivityHistory"})
        EXPECT_TRUE(names.count(std::string(n) + ".txt")) << n;
    EXPECT_EQ(names.size(), 37u);
    std::set<std::string> apps;
    for (const std::string& p : SourcesIn("app")) apps.insert(p.substr(p.find_last_of('/') + 1));
    for (const char* n : {"Teams", "Discord", "Slack", "Zoom", "Spotify", "Steam", "VSCode", "Office365",
                          "OfficeFileCache", "Acrobat", "LibreOffice", "OBS", "NotepadPP"})
        EXPECT_TRUE(apps.count(std::string(n) + ".txt")) << n;
    EXPECT_GE(apps.size(), 22u);
}

TEST(ShippedPlugins, EveryEntryKeepsOutOfUserDocuments) {
    for (const char* sub : {"std", "app"}) {
        for (const Shipped& s : CompileAll(sub)) {
            EXPECT_FALSE(s.record.name.empty()) << s.path;
            EXPECT_EQ(s.record.description.rfind("Kills ", 0), 0u) << s.path;
            EXPECT_FALSE(s.record.entries.empty()) << s.path;
            for (size_t i = 0; i < s.record.entries.size(); ++i)
                EXPECT_EQ(BrokenRule(s.record.entries[i]), "") << s.path << " entry " << i;
        }
    }
}

TEST(ShippedPlugins, RuleCatchesEntriesThatReachDocuments) {
    EntryRecord docs;
    docs.kind = 2;
    docs.folderId = 0x05;
    EXPECT_EQ(BrokenRule(docs), "R3");
    EntryRecord profile;
    profile.kind = 3;
    profile.folderId = 0x28;
    profile.mask = "*.*";
    EXPECT_EQ(BrokenRule(profile), "R5");
    profile.path = "..\\Documents";
    EXPECT_EQ(BrokenRule(profile), "R4");
    profile.path = "AppData\\Roaming\\Vendor";
    EXPECT_EQ(BrokenRule(profile), "R6");
    EntryRecord thesis;
    thesis.kind = 1;
    thesis.folderId = 0x28;
    thesis.path = "Documents\\thesis.doc";
    EXPECT_EQ(BrokenRule(thesis), "R10");
    thesis.path = "AppData\\Local\\Vendor\\recent.dat";
    EXPECT_EQ(BrokenRule(thesis), "");
    profile.path = "Downloads";
    profile.recurse = false;
    EXPECT_EQ(BrokenRule(profile), "R10");
    EntryRecord key;
    key.kind = 6;
    key.rootKey = 0x80000001u;
    key.key = "Software\\Vendor\\Settings";
    EXPECT_EQ(BrokenRule(key), "R8");
    key.key = "Software\\Vendor\\Recent File List";
    EXPECT_EQ(BrokenRule(key), "");
    key.key = "Software\\MRU";
    EXPECT_EQ(BrokenRule(key), "R8");

    // Whole settings files go only when they hold nothing but history.
    EntryRecord ini;
    ini.kind = 1;
    ini.folderId = 0x1a;
    ini.path = "vlc\\vlc-qt-interface.ini";
    EXPECT_EQ(BrokenRule(ini), "R11");
    ini.path = "Notepad++\\session.XML";
    EXPECT_EQ(BrokenRule(ini), "R11");
    ini.path = "Vendor\\settings.json";
    EXPECT_EQ(BrokenRule(ini), "R11");
    ini.path = "Vendor\\app.config";
    EXPECT_EQ(BrokenRule(ini), "R11");
    ini.path = "Vendor\\recent.lst";
    EXPECT_EQ(BrokenRule(ini), "");
    EntryRecord cfgs;
    cfgs.kind = 3;
    cfgs.folderId = 0x1a;
    cfgs.path = "Vendor";
    cfgs.recurse = false;
    cfgs.mask = "*.cfg";
    EXPECT_EQ(BrokenRule(cfgs), "R11");
    cfgs.path = "Microsoft\\Office\\Recent";
    cfgs.mask = "*.xml";
    EXPECT_EQ(BrokenRule(cfgs), "");  // the recent-documents index, history only
    cfgs.path = "Microsoft\\Office";
    EXPECT_EQ(BrokenRule(cfgs), "R11");
}

// The loader holds every plug-in to the trust rule; the shipped library is held to it on a
// standard installation, so no shipped entry is silently dropped at load.
TEST(ShippedPlugins, EveryEntryPassesTheTrustRule) {
    for (const char* sub : {"std", "app"})
        for (const Shipped& s : CompileAll(sub))
            for (size_t i = 0; i < s.record.entries.size(); ++i) {
                const EntryVerdict v = JudgeEntry(s.record.entries[i], EntrySource::ShippedPlugin, StandardPlaces());
                EXPECT_TRUE(v.allowed) << s.path << " entry " << i << ": " << v.reason;
            }
}

TEST(ShippedPlugins, EveryPluginReadsBackAndPrintsToItsSource) {
    for (const char* sub : {"std", "app"}) {
        for (const Shipped& s : CompileAll(sub)) {
            MemoryStream in(s.bytes);
            auto back = ReadTargetRecord(in);
            ASSERT_TRUE(back) << s.path;
            EXPECT_EQ(back->name, s.record.name);
            ASSERT_EQ(back->entries.size(), s.record.entries.size()) << s.path;
            for (size_t i = 0; i < back->entries.size(); ++i) EXPECT_TRUE(back->entries[i] == s.record.entries[i]);
            EXPECT_EQ(back->description, s.record.description);
            EXPECT_EQ(back->active, s.record.active);
            EXPECT_EQ(back->stamp, s.record.stamp);
            auto reparsed = ParsePluginText(PrintPluginText(*back));
            ASSERT_TRUE(reparsed.record) << reparsed.error;
            EXPECT_EQ(reparsed.record->name, back->name);
            EXPECT_EQ(reparsed.record->description, back->description);
            EXPECT_EQ(reparsed.record->active, back->active);
            EXPECT_EQ(reparsed.record->stamp, back->stamp);
            EXPECT_TRUE(reparsed.record->conditions == back->conditions);
            ASSERT_EQ(reparsed.record->entries.size(), back->entries.size());
            for (size_t i = 0; i < back->entries.size(); ++i)
                EXPECT_TRUE(reparsed.record->entries[i] == back->entries[i]) << s.path << " entry " << i;
        }
    }
}

TEST(ShippedPlugins, TruncationAtEveryOffsetFailsCleanly) {
    for (const char* sub : {"std", "app"}) {
        for (const Shipped& s : CompileAll(sub)) {
            for (size_t n = 0; n < s.bytes.size(); ++n) {
                MemoryStream in(std::vector<uint8_t>(s.bytes.begin(), s.bytes.begin() + n));
                ASSERT_FALSE(ReadTargetRecord(in)) << s.path << " cut at " << n;
            }
        }
    }
}

TEST(PluginText, ErrorsNameTheLine) {
    auto r = ParsePluginText("Name = x\n[Rem]\nType = 1\nBogus = 3\n");
    EXPECT_FALSE(r.record);
    EXPECT_EQ(r.error.rfind("line 4:", 0), 0u) << r.error;
    EXPECT_FALSE(ParsePluginText("Name = x\n[Rem]\nType = 9\n").record);
    // A kind 5 entry without a pattern would load as no entry at all.
    auto noPattern = ParsePluginText("Name = x\n[Rem]\nType = 5\nRootKey = 0x80000001\nKey = Software\\A\\MRU\n");
    EXPECT_FALSE(noPattern.record);
    EXPECT_NE(noPattern.error.find("Value"), std::string::npos) << noPattern.error;
    auto pattern = ParsePluginText("Name = x\n[Rem]\nType = 5\nRootKey = 0x80000001\nKey = Software\\A\\MRU\nValue = \n");
    ASSERT_TRUE(pattern.record) << pattern.error;
    EXPECT_TRUE(pattern.record->entries[0].hasPattern);
    EntryRecord none;
    none.kind = 5;
    none.rootKey = 0x80000001u;
    none.key = "Software\\A\\MRU";
    none.hasPattern = false;
    TargetRecord unpatterned;
    unpatterned.name = "x";
    unpatterned.entries = {none};
    EXPECT_EQ(PrintPluginText(unpatterned).find("Value ="), std::string::npos);
}

TEST(PluginText, EveryKeyAndConditionComesThrough) {
    auto r = ParsePluginText(
        "# comment\nName = Every key\nDesc = Kills = all\nActive = 1\nDate = 7 3 9\n"
        "[Rem]\nType = 4\nCSID = 0\nPath = Software\\S\nRecurs = 1\nRemReboot = 1\nRootKey = 0x80000001\nValue = Cache\n"
        "[Rem]\nType = 3\nCSID = 0x1c\nPath = Temp\nTpl = *.tmp\n"
        "[Valid]\n[Valid]\n");
    ASSERT_TRUE(r.record) << r.error;
    EXPECT_EQ(r.record->name, "Every key");
    EXPECT_EQ(r.record->description, "Kills = all");
    EXPECT_TRUE(r.record->active);
    EXPECT_EQ(r.record->stamp, (std::array<uint8_t, 4>{7, 3, 9, 0}));
    ASSERT_EQ(r.record->conditions.size(), 2u);
    ASSERT_EQ(r.record->entries.size(), 2u);
    const EntryRecord& k4 = r.record->entries[0];
    EXPECT_EQ(k4.kind, 4u);
    EXPECT_EQ(k4.path, "Software\\S");
    EXPECT_TRUE(k4.recurse);
    EXPECT_TRUE(k4.removeAtReboot);
    EXPECT_EQ(k4.rootKey, 0x80000001u);
    EXPECT_EQ(k4.valueName, "Cache");
    const EntryRecord& k3 = r.record->entries[1];
    EXPECT_EQ(k3.folderId, 0x1c);
    EXPECT_FALSE(k3.recurse);  // entries do not recurse unless they say so
    EXPECT_EQ(k3.mask, "*.tmp");
    EXPECT_FALSE(ParsePluginText("Name = x\n[Valid]\nType = 9\n").record);
    // A condition with text comes through the file and back; a bare one stays a bare node.
    auto detect = ParsePluginText("Name = x\n[Rem]\nType = 1\nCSID = 0x1a\nPath = V\\a.log\n[Valid]\nType = 2\n"
                                  "Text = %AppData%\\V\n[Valid]\n");
    ASSERT_TRUE(detect.record) << detect.error;
    MemoryStream s;
    ASSERT_EQ(WriteTargetRecord(*detect.record, s), RecordWriteResult::Ok);
    MemoryStream in(s.Bytes());
    auto back = ReadTargetRecord(in);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->conditions.size(), 2u);
    EXPECT_EQ(back->conditions[0].kind, 2u);
    EXPECT_EQ(back->conditions[0].text, "%AppData%\\V");
    EXPECT_TRUE(back->conditions[1] == TargetCondition{});
    EXPECT_FALSE(ParsePluginText("Name = x\nDate = 1 2 300\n").record);
    EXPECT_FALSE(ParsePluginText("Name = " + std::string(260, 'n') + "\n").record);
}

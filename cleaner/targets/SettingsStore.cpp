#include "targets/SettingsStore.h"

#include "engine/KillSettings.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Handles.h"
#include "platform/ProgramFolder.h"
#include "platform/Text.h"
#include "targets/KillIntervals.h"
#include "targets/SettingsStoreRules.h"
#include "targets/Statistics.h"

#include <windows.h>

#include <ctime>
#include <optional>
#include <utility>

using settings_rules::StampFields;

namespace {

constexpr const char* kTargetsKey = "Targets";
constexpr const char* kLastKillKey = "LastKillTime";
constexpr const char* kLastUpdateKey = "LastUpdateTime";

// Key and value names go through the wide calls: REG_SZ data and names live in UTF-16 in the
// registry, so what older releases wrote through the ANSI calls reads back the same.
RegKey CreateKey(HKEY parent, const std::string& path) {
    RegKey key;
    if (::RegCreateKeyExW(parent, WideFromUtf8(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        key.Reset();
    return key;
}

std::optional<uint32_t> ReadDword(HKEY key, const char* name) {
    std::wstring wide;
    if (!WideFromUtf8(name, wide)) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (::RegQueryValueExW(key, wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

void WriteDword(HKEY key, const char* name, uint32_t value) {
    std::wstring wide;
    if (!WideFromUtf8(name, wide)) return;
    const DWORD v = value;
    (void)::RegSetValueExW(key, wide.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
}

// A value that is missing keeps the field as it is ("default" in the table).
void LoadBool(HKEY key, const char* name, bool& field) {
    if (auto v = ReadDword(key, name)) field = *v != 0;
}

// A value that is missing sets the field to its own when-missing value.
void LoadBool(HKEY key, const char* name, bool& field, bool whenMissing) {
    auto v = ReadDword(key, name);
    field = v ? *v != 0 : whenMissing;
}

constexpr size_t kMaxAppName = static_cast<size_t>(settings_rules::kMaxAppExitName);

std::string ReadAppName(HKEY key, const wchar_t* name) {
    wchar_t buffer[kMaxAppName + 1] = {};
    DWORD type = 0, size = sizeof(buffer);
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    // The stored text need not carry its terminator.
    const size_t units = size / sizeof(wchar_t) < kMaxAppName ? size / sizeof(wchar_t) : kMaxAppName;
    return Utf8FromWide(TrimNul(std::wstring_view(buffer, units)));
}

void WriteText(HKEY key, const wchar_t* name, const std::string& text) {
    std::wstring wide;
    if (!WideFromUtf8(text, wide)) return;
    if (wide.size() > kMaxAppName) wide.resize(kMaxAppName);
    (void)::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::optional<int64_t> LocalToInstant(const StampFields& s) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(s.year) - 1900;
    tm.tm_mon = static_cast<int>(s.month) - 1;
    tm.tm_mday = static_cast<int>(s.day);
    tm.tm_hour = static_cast<int>(s.hour);
    tm.tm_min = static_cast<int>(s.minute);
    tm.tm_isdst = -1;  // the platform decides daylight saving time
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<int64_t>(t);
}

StampFields InstantToLocal(int64_t instant) {
    const std::time_t t = static_cast<std::time_t>(instant);
    std::tm tm{};
    if (localtime_s(&tm, &t) != 0) return settings_rules::UnconvertibleStamp();
    return StampFields{static_cast<uint32_t>(tm.tm_min), static_cast<uint32_t>(tm.tm_hour),
                       static_cast<uint32_t>(tm.tm_mday), static_cast<uint32_t>(tm.tm_mon + 1),
                       static_cast<uint32_t>(tm.tm_year + 1900)};
}

// An invalid or unconvertible stamp leaves the field as it was.
std::optional<int64_t> LoadStamp(HKEY settings, const char* name) {
    RegKey key;
    if (::RegOpenKeyExW(settings, WideFromUtf8(name).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return std::nullopt;
    StampFields s;
    s.year = ReadDword(key.Get(), "Year").value_or(0);
    s.month = ReadDword(key.Get(), "Month").value_or(0);
    s.day = ReadDword(key.Get(), "Day").value_or(0);
    s.hour = ReadDword(key.Get(), "Hour").value_or(0);
    s.minute = ReadDword(key.Get(), "Minute").value_or(0);
    if (!settings_rules::IsValidStamp(s)) return std::nullopt;
    auto instant = LocalToInstant(s);
    if (!instant) return std::nullopt;
    return settings_rules::NotAfter(*instant, TargetCatalog::Now());
}

void SaveStamp(HKEY settings, const char* name, int64_t instant) {
    RegKey key = CreateKey(settings, name);
    if (!key) return;
    const StampFields s = InstantToLocal(instant);
    WriteDword(key.Get(), "Minute", s.minute);
    WriteDword(key.Get(), "Hour", s.hour);
    WriteDword(key.Get(), "Day", s.day);
    WriteDword(key.Get(), "Month", s.month);
    WriteDword(key.Get(), "Year", s.year);
}

std::string SettingsKeyPath(const TargetCatalog& catalog) { return "software\\" + catalog.SettingsPath(); }

size_t NonCustomCount(const TargetCatalog& catalog) {
    const size_t start = catalog.CustomStart() < 0 ? 0 : static_cast<size_t>(catalog.CustomStart());
    return start < catalog.TargetCount() ? start : catalog.TargetCount();
}

}  // namespace

SettingsStore::SettingsStore(std::string runKeyPath, std::string programPath)
    : runKeyPath_(std::move(runKeyPath)), programPath_(std::move(programPath)) {}

bool SettingsStore::Load(TargetCatalog& catalog) const {
    if (catalog.SettingsPath().empty()) return false;
    RegKey settings = CreateKey(HKEY_CURRENT_USER, SettingsKeyPath(catalog));
    if (!settings) return false;
    // An installation whose key holds values already was set up before the solid-state option
    // existed: it keeps overwriting as it did until the user changes it.
    DWORD valueCount = 0;
    const bool existing = ::RegQueryInfoKeyW(settings.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             &valueCount, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                          valueCount > 0;
    RegKey targets = CreateKey(settings.Get(), kTargetsKey);

    if (targets) {
        for (size_t i = 0; i < NonCustomCount(catalog); ++i) {
            Target& t = catalog.TargetAt(i);
            if (auto v = ReadDword(targets.Get(), t.Name().c_str())) t.SetSelected(*v != 0);
        }
    }

    const HKEY k = settings.Get();
    CleanerSettings& s = catalog.Settings();
    if (auto v = ReadDword(k, "ScanTime")) s.scanTime = settings_rules::ClampPause(*v);
    if (auto v = ReadDword(k, "KillTime")) s.killTime = settings_rules::ClampPause(*v);
    LoadBool(k, "NotifyWhenStart", s.notifyWhenStart);
    LoadBool(k, "AutoStart", s.autoStart);
    LoadBool(k, "ShowMainWnd", s.showMainWnd);
    kill_settings::SetSecureDelete(ReadDword(k, "SecDel").value_or(1) != 0);
    kill_settings::SetPasses(static_cast<int>(static_cast<int32_t>(ReadDword(k, "DelRep").value_or(1))));
    kill_settings::SetSkipOverwriteOnSolidState(ReadDword(k, kSkipOverwriteValue).value_or(existing ? 0 : 1) != 0);
    LoadBool(k, "ShowAppTargetDesc", s.showAppTargetDesc, true);
    LoadBool(k, "AKWinStart", s.akWinStart, false);
    LoadBool(k, "AKBrowserClosed", s.akBrowserClosed, false);
    LoadBool(k, "AKScan", s.akScan, true);
    LoadBool(k, "AKSummary", s.akSummary, true);
    LoadBool(k, "AKSoundEnd", s.akSoundEnd, true);
    LoadBool(k, "AKEveryTime", s.akEveryTime, false);
    // Read as signed, so a stored 0xFFFFFFFF is -1 and clamps to the first interval.
    catalog.SetAutoKillIntervalIndex(static_cast<int32_t>(ReadDword(k, "AKEveryTimeTime").value_or(0)));
    LoadBool(k, "AKAppExit", s.akAppExit, false);
    s.akAppExitName = ReadAppName(k, L"AKAppExitName");
    if (auto t = LoadStamp(k, kLastKillKey)) catalog.SetLastKillTime(*t);
    LoadBool(k, "AutoUpdate", s.autoUpdate);
    LoadBool(k, "AutoUpdateNotify", s.autoUpdateNotify);
    if (auto t = LoadStamp(k, kLastUpdateKey)) catalog.SetLastUpdateTime(*t);
    LoadBool(k, "ShowToolTips", s.showToolTips, true);
    return true;
}

bool SettingsStore::Save(const TargetCatalog& catalog) const {
    if (catalog.SettingsPath().empty() || catalog.TargetCount() == 0) return false;
    {
        RegKey settings = CreateKey(HKEY_CURRENT_USER, SettingsKeyPath(catalog));
        if (!settings) return false;
        RegKey targets = CreateKey(settings.Get(), kTargetsKey);
        if (targets) {
            for (size_t i = 0; i < NonCustomCount(catalog); ++i) {
                const Target& t = catalog.TargetAt(i);
                WriteDword(targets.Get(), t.Name().c_str(), t.Selected() ? 1 : 0);
            }
        }
        const HKEY k = settings.Get();
        const CleanerSettings& s = catalog.Settings();
        WriteDword(k, "ScanTime", static_cast<uint32_t>(s.scanTime));
        WriteDword(k, "KillTime", static_cast<uint32_t>(s.killTime));
        WriteDword(k, "NotifyWhenStart", s.notifyWhenStart);
        WriteDword(k, "AutoStart", s.autoStart);
        WriteDword(k, "ShowMainWnd", s.showMainWnd);
        WriteDword(k, "SecDel", kill_settings::SecureDelete());
        WriteDword(k, "DelRep", static_cast<uint32_t>(kill_settings::Passes()));
        WriteDword(k, kSkipOverwriteValue, kill_settings::SkipOverwriteOnSolidState());
        WriteDword(k, "ShowAppTargetDesc", s.showAppTargetDesc);
        WriteDword(k, "AKWinStart", s.akWinStart);
        WriteDword(k, "AKBrowserClosed", s.akBrowserClosed);
        WriteDword(k, "AKScan", s.akScan);
        WriteDword(k, "AKSummary", s.akSummary);
        WriteDword(k, "AKSoundEnd", s.akSoundEnd);
        WriteDword(k, "AKEveryTime", s.akEveryTime);
        WriteDword(k, "AKEveryTimeTime", static_cast<uint32_t>(s.akEveryTimeTime));
        WriteDword(k, "AKAppExit", s.akAppExit);
        WriteText(k, L"AKAppExitName", s.akAppExitName);
        SaveStamp(k, kLastKillKey, catalog.LastKillTime());
        WriteDword(k, "AutoUpdate", s.autoUpdate);
        WriteDword(k, "AutoUpdateNotify", s.autoUpdateNotify);
        SaveStamp(k, kLastUpdateKey, catalog.LastUpdateTime());
        WriteDword(k, "ShowToolTips", s.showToolTips);
    }
    SaveRunEntry(catalog.Settings().autoStart);
    return true;
}

std::string SettingsStore::RunCommand() const {
    const std::string program = programPath_.empty() ? ExecutablePath() : programPath_;
    return "\"" + program + "\" -ws";
}

void SettingsStore::SaveRunEntry(bool autoStart) const {
    RegKey run = CreateKey(HKEY_CURRENT_USER, runKeyPath_);
    if (!run) return;
    if (!autoStart) {
        (void)::RegDeleteValueW(run.Get(), WideFromUtf8(kRunValueName).c_str());
        return;
    }
    const std::wstring command = WideFromUtf8(RunCommand());
    if (command.empty()) return;
    (void)::RegSetValueExW(run.Get(), WideFromUtf8(kRunValueName).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

std::string SettingsStore::StatisticsPath(const TargetCatalog& catalog) {
    std::string folder = catalog.ProgramFolder().empty() ? ExecutableFolder() : catalog.ProgramFolder();
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder + "config.cfg";
}

namespace {
bool ReadStatistics(const std::string& path, RunCounters& totals) {
    FileHandle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes(kStatisticsSize, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return false;
    bytes.resize(read);
    return DecodeStatistics(bytes, totals);
}
}  // namespace

bool SettingsStore::LoadStatistics(TargetCatalog& catalog) const {
    const bool loaded = ReadStatistics(StatisticsPath(catalog), catalog.Totals());
    accounted_ = catalog.Totals();  // a missing file holds nothing yet
    return loaded;
}

bool SettingsStore::SaveStatistics(const TargetCatalog& catalog) const {
    RunCounters write = catalog.Totals(), stored;
    if (accounted_ && ReadStatistics(StatisticsPath(catalog), stored))
        write = MergedTotals(stored, catalog.Totals(), *accounted_);
    if (!ReplaceFileContents(StatisticsPath(catalog), EncodeStatistics(write))) return false;
    accounted_ = catalog.Totals();
    return true;
}

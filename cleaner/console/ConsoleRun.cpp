#include "console/ConsoleRun.h"

#include "app/ActionTexts.h"
#include "app/CleanerApp.h"
#include "app/RunLock.h"
#include "console/ConsoleOutput.h"
#include "console/ConsoleReport.h"
#include "console/TargetSelection.h"
#include "engine/Checkpoint.h"
#include "engine/ExcludeStore.h"
#include "engine/Win32VolumeMedia.h"
#include "engine/KillSettings.h"
#include "platform/AtomicFileWriter.h"
#include "platform/FileByHandle.h"
#include "platform/Text.h"
#include "targets/CatalogBuilder.h"
#include "targets/CustomTargets.h"
#include "targets/ImportedTargets.h"
#include "targets/PolicyReader.h"
#include "targets/SettingsStore.h"
#include "targets/TargetCatalog.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <mutex>
#include <tuple>

namespace {

std::string UtcNow() {
    SYSTEMTIME t{};
    ::GetSystemTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

// A relative report path is the caller's: made absolute against the current folder before the
// atomic writer puts its temporary file beside it.
std::string FullPath(const std::string& path) {
    std::wstring wide;
    if (!WideFromUtf8(path, wide)) return {};
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    full.resize(length);
    std::string out;
    return Utf8FromWide(full, out) ? out : std::string();
}

BOOL WINAPI OnControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    RequestStop();  // the run ends at its next checkpoint
    return TRUE;
}

// The catalogue as the window loads it, without the window's save at the end: a console run
// writes back only what a run changes (LastKillTime and the totals), never the selection it used.
class ConsoleCatalog {
public:
    explicit ConsoleCatalog(const std::string& folder)
        : catalog_(CCleanerApp::kSettingsPath, folder),
          // The Run entry must keep starting the window, never this program.
          store_(SettingsStore::kRunKeyPath, folder + "\\Tracelorn.exe") {
        BuildTargets(catalog_, ThisMachine(folder));
        if (store_.Load(catalog_)) (void)customTargets_.Load(catalog_, folder);
        (void)store_.LoadStatistics(catalog_);
        catalog_.SetPolicy(ReadMachinePolicy());
        catalog_.Policy().ApplyTo(catalog_);
    }
    TargetCatalog& Get() { return catalog_; }
    [[nodiscard]] bool SaveAfterKill() {
        const bool saved = store_.Save(catalog_);
        return store_.SaveStatistics(catalog_) && saved;
    }

private:
    TargetCatalog catalog_;
    SettingsStore store_;
    CustomTargetsStore customTargets_;
};

std::string LockText(const TargetCatalog& catalog, const Target& target) {
    const auto forced = catalog.Policy().ForcedTarget(target.Name());
    return forced ? (*forced ? "on" : "off") : "";
}

int List(TargetCatalog& catalog, bool json) {
    std::vector<ListedTarget> listed;
    for (size_t i = 0; i < catalog.TargetCount(); ++i) {
        const Target& t = catalog.TargetAt(i);
        const std::string id = TargetId(catalog, i);
        listed.push_back({id.substr(0, id.find('/')), id, t.Selected(), LockText(catalog, t), t.PendingSkipNotice()});
    }
    ConsoleStream out(ConsoleStream::Which::Output);
    bool ok = true;
    if (json) {
        ok = out.Write(JsonList(listed));
    } else {
        for (const ListedTarget& t : listed) ok = out.Line(PlainListLine(t)) && ok;
    }
    return ok ? kExitRan : kExitFailure;
}

// The engine's overwrite settings for one run, put back before anything is saved.
class OverwriteForRun {
public:
    explicit OverwriteForRun(std::optional<int> passes)
        : secureDelete_(kill_settings::SecureDelete()), passes_(kill_settings::Passes()) {
        if (!passes) return;
        kill_settings::SetSecureDelete(*passes > 0);
        if (*passes > 0) kill_settings::SetPasses(*passes);
    }
    ~OverwriteForRun() {
        kill_settings::SetSecureDelete(secureDelete_);
        kill_settings::SetPasses(passes_);
    }
    OverwriteForRun(const OverwriteForRun&) = delete;
    OverwriteForRun& operator=(const OverwriteForRun&) = delete;

private:
    bool secureDelete_;
    int passes_;
};

// The selection of the run in the targets' flags, and the stored one back afterwards.
class SelectionForRun {
public:
    SelectionForRun(TargetCatalog& catalog, const std::vector<bool>& selected) : catalog_(catalog) {
        for (size_t i = 0; i < catalog.TargetCount(); ++i) {
            saved_.push_back(catalog.TargetAt(i).Selected());
            catalog.TargetAt(i).SetSelected(selected[i]);
        }
    }
    ~SelectionForRun() {
        for (size_t i = 0; i < saved_.size() && i < catalog_.TargetCount(); ++i) catalog_.TargetAt(i).SetSelected(saved_[i]);
    }
    SelectionForRun(const SelectionForRun&) = delete;
    SelectionForRun& operator=(const SelectionForRun&) = delete;

private:
    TargetCatalog& catalog_;
    std::vector<bool> saved_;
};

int Usage(const std::string& error) {
    ConsoleStream err(ConsoleStream::Which::Error);
    (void)err.Line("TracelornCmd: " + error);
    return kExitUsage;
}

using LineWriter = std::function<void(const std::string&)>;

// What one target found or removed, for --details. Walks report from their worker threads.
class CollectedItems : public FoundItems {
public:
    void Add(const FoundItem& item) override {
        std::lock_guard<std::mutex> guard(lock_);
        items_.push_back(item);
    }
    // In a fixed order (workers report in no particular one): by kind, then place, then name.
    std::vector<FoundItem> Take() {
        std::lock_guard<std::mutex> guard(lock_);
        std::vector<FoundItem> items = std::move(items_);
        std::sort(items.begin(), items.end(), [](const FoundItem& a, const FoundItem& b) {
            return std::tie(a.kind, a.place, a.name) < std::tie(b.kind, b.place, b.name);
        });
        return items;
    }

private:
    std::mutex lock_;
    std::vector<FoundItem> items_;
};

// Works the selected targets in catalogue order into the report; Ctrl+C ends the run at the next
// checkpoint, with what the finished targets did kept.
void RunTargets(TargetCatalog& catalog, bool kill, RunReport& report, const LineWriter& plain) {
    ConsoleStream err(ConsoleStream::Which::Error);
    const int total = catalog.SelectedCount();
    if (total == 0) plain(action_texts::kNoSelectedTargets);
    catalog.ResetRunCounters();
    exclude_store::InstallLoader(&LoadRunExcludes);
    run_excludes::Begin(catalog.SettingsPath());
    Win32VolumeMediaQuery::Install();
    volume_media::BeginRun();
    if (kill) catalog.MarkLastKillNow();
    ClearStop();
    ::SetConsoleCtrlHandler(OnControl, TRUE);
    try {
        for (auto next = catalog.NextSelected(-1); next.target; next = catalog.NextSelected(next.index)) {
            if (err.IsTerminal())
                (void)err.Write("[" + std::to_string(next.ordinal) + "/" + std::to_string(total) + "] " +
                                (kill ? "Killing " : "Scanning ") + next.target->Name() + "...\r\n");
            Checkpoint();
            CollectedItems found;
            catalog.RunTarget(next.index, kill, report.details ? &found : nullptr);
            const Target& t = *next.target;
            report.targets.push_back({TargetId(catalog, static_cast<size_t>(next.index)), t.Name(), t.Counters(),
                                      t.SkipNotice(), found.Take()});
            plain(PlainTargetLine(t.OverwriteSkipped() ? t.Name() + " " + action_texts::kOverwriteSkipped : t.Name(),
                                  t.Counters()));
            if (!t.SkipNotice().empty()) plain(t.SkipNotice());
            for (const FoundItem& item : report.targets.back().found) plain(PlainDetailLine(item));
        }
    } catch (const RunStopped&) {
        report.stopped = true;
    }
    ::SetConsoleCtrlHandler(OnControl, FALSE);
    report.summary = catalog.RunTotals();
}

// The report to its file (replaced in one step) or to standard output.
int Deliver(const RunReport& report, const std::string& jsonFile) {
    if (jsonFile.empty()) return report.exitCode;
    const std::string json = JsonReport(report);
    if (jsonFile == "-") return ConsoleStream(ConsoleStream::Which::Output).Write(json) ? report.exitCode : kExitFailure;
    const std::string path = FullPath(jsonFile);
    if (path.empty() || !ReplaceFileContents(path, json)) {
        (void)ConsoleStream(ConsoleStream::Which::Error).Line("TracelornCmd: cannot write the report to " + jsonFile);
        return kExitFailure;
    }
    return report.exitCode;
}

int Run(ConsoleCatalog& console, const ConsoleRequest& request) {
    TargetCatalog& catalog = console.Get();
    const bool kill = request.command == ConsoleRequest::Command::Kill;
    if (request.overwrite && !catalog.Policy().AllowsPasses(*request.overwrite))
        return Usage("--overwrite " + std::to_string(*request.overwrite) +
                     " is below the overwriting your administrator set");
    const SelectionResult selection = SelectTargets(catalog, request.selectors, request.preset);
    if (!selection.error.empty()) return Usage(selection.error);

    ConsoleStream out(ConsoleStream::Which::Output);
    const LineWriter plain = [&](const std::string& line) {
        if (request.jsonFile != "-") (void)out.Line(line);  // with --json - the report alone
    };
    const action_texts::Action action = kill ? action_texts::Action::Kill : action_texts::Action::Scan;
    RunReport report;
    report.version = kConsoleVersion;
    report.action = kill ? "Kill" : "Scan";
    report.start = UtcNow();
    report.details = request.details;
    plain(action_texts::Heading(action));
    {
        SelectionForRun selected(catalog, selection.selected);
        OverwriteForRun overwrite(request.overwrite);
        report.overwrite = kill && kill_settings::SecureDelete() ? kill_settings::Passes() : 0;
        RunTargets(catalog, kill, report, plain);
    }
    if (report.stopped) {
        plain("");
        plain(action_texts::StoppedLine(action));
    }
    plain(PlainSummaryLine(report.action, report.summary));

    // A target's notice is either why it did not run or why one of its entries left something as it
    // was (a damaged database): either way the selection did not run fully.
    bool skipped = false;
    for (const TargetResult& t : report.targets) skipped |= !t.skipped.empty();
    report.exitCode = report.stopped ? kExitFailure : skipped ? kExitSkipped : kExitRan;
    // What a Kill removed counts, stopped or not, as it does in the window.
    if (kill && !console.SaveAfterKill()) {
        (void)ConsoleStream(ConsoleStream::Which::Error).Line("TracelornCmd: the totals could not be saved");
        report.exitCode = kExitFailure;
    }
    report.end = UtcNow();
    return Deliver(report, request.jsonFile);
}

}  // namespace

// Replaces the stored import with what a winapp2.ini names (or removes it), as the Applications
// page does; the refusals are listed in the report beside the program.
static int Import(const std::string& iniFile, const std::string& programFolder) {
    ConsoleStream out(ConsoleStream::Which::Output);
    ConsoleStream err(ConsoleStream::Which::Error);
    if (iniFile.empty()) {
        if (!RemoveImportedTargets(programFolder)) {
            (void)err.Line("TracelornCmd: the imported targets could not be removed");
            return kExitFailure;
        }
        return out.Line("The imported targets are removed.") ? kExitRan : kExitFailure;
    }
    const std::string path = FullPathName(iniFile);
    const ImportResult result = ImportWinappFile(path.empty() ? iniFile : path, programFolder);
    if (!result.ok) {
        (void)err.Line("TracelornCmd: nothing was imported: " + result.error);
        return kExitFailure;
    }
    return out.Line(std::to_string(result.targets) + " programs imported, " + std::to_string(result.refused) +
                    " entries refused (listed in " + result.reportPath + ").")
               ? kExitRan
               : kExitFailure;
}

int RunConsole(const ConsoleRequest& request, const std::string& programFolder) {
    if (request.command == ConsoleRequest::Command::Help) {
        ConsoleStream out(ConsoleStream::Which::Output);
        return out.Write(ConsoleUsage()) ? kExitRan : kExitFailure;
    }
    if (request.command == ConsoleRequest::Command::Import) return Import(request.importFile, programFolder);
    if (request.command == ConsoleRequest::Command::List) {
        ConsoleCatalog console(programFolder);
        return List(console.Get(), request.json);
    }
    // Claimed before the catalogue is read, so the totals it loads are not about to change under it.
    RunLock lock;
    if (!lock.TryClaim()) {
        ConsoleStream err(ConsoleStream::Which::Error);
        (void)err.Line(std::string("TracelornCmd: ") + action_texts::kAnotherRunBusy);
        return kExitBusy;
    }
    ConsoleCatalog console(programFolder);
    const int code = Run(console, request);
    lock.Release();
    return code;
}

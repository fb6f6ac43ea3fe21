#pragma once
#include "engine/RunCounters.h"
#include "targets/CleanerSettings.h"
#include "targets/MachinePolicy.h"
#include "targets/Target.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The fixed categories, in catalogue order; Custom runs from the custom start to the end. The
// Chromium-family browsers follow the older browsers and come before Applications. Selections are
// stored by target name, never by category index, so the order may grow.
enum class Category : int {
    Windows = 0,
    WindowsApplets,
    MsOffice,
    InternetExplorer,
    Firefox,
    Netscape,
    Opera,
    Flock,
    Chrome,
    Edge,
    Brave,
    Vivaldi,
    Chromium,
    Applications,
    Custom,
};
constexpr int kCategoryCount = static_cast<int>(Category::Custom) + 1;
constexpr int kStoredCategories = static_cast<int>(Category::Custom);  // with a recorded end: all but Custom

// What the target pages need to show a category without knowing it: every category in catalogue
// order, its caption, its help topic and whether it holds a browser's targets.
struct CategoryInfo {
    Category category;
    const char* caption;
    const char* helpTopic;
    bool browser;
};
const std::array<CategoryInfo, kCategoryCount>& Categories();
const CategoryInfo& InfoOf(Category category);

// Browsers whose profiles discovery looks for; each has a category of its own.
enum class Browser : int { Firefox = 0, Netscape, Opera, Flock, Chrome, Edge, Brave, Vivaldi, Chromium };
constexpr int kBrowserCount = 9;
Category CategoryOf(Browser browser);

// The one list of every target in its fixed categories, with the program's settings, the results of
// browser discovery and the statistics. It only holds and runs targets; building it from the
// plug-in folders and persisting it are the jobs of the catalogue builder and the settings store.
class TargetCatalog {
public:
    // settingsPath is the registry path below HKEY_CURRENT_USER\software ("" keeps nothing);
    // programFolder is where config.cfg, the plug-in folders and the custom targets live.
    explicit TargetCatalog(std::string settingsPath = {}, std::string programFolder = {});
    ~TargetCatalog();
    TargetCatalog(const TargetCatalog&) = delete;
    TargetCatalog& operator=(const TargetCatalog&) = delete;

    // The process-wide catalogue: the last one constructed that still lives.
    static TargetCatalog* Current();

    const std::string& SettingsPath() const { return settingsPath_; }
    const std::string& ProgramFolder() const { return programFolder_; }

    // Building.
    Target& AddTarget(std::unique_ptr<Target> target);
    void EndCategory(Category category);  // records the current count as the category's end
    void MarkCustomStart();               // the current count; also the end of Applications
    // Drops the custom targets (handing them back to the caller) and appends the given ones.
    std::vector<std::unique_ptr<Target>> ReplaceCustomTargets(std::vector<std::unique_ptr<Target>> targets);

    size_t TargetCount() const { return targets_.size(); }
    Target& TargetAt(size_t index) const { return *targets_[index]; }
    // By category, or by its index as the target pages number them; an index out of range is empty.
    int CategoryStart(Category category) const { return CategoryStart(static_cast<int>(category)); }
    int CategoryCount(Category category) const { return CategoryCount(static_cast<int>(category)); }
    int CategoryStart(int category) const;
    int CategoryCount(int category) const;
    int CustomStart() const { return customStart_; }

    // Selection.
    int SelectedCount() const;
    struct Selection {
        int index = -1;          // -1 when there is no further selected target
        Target* target = nullptr;
        int ordinal = 0;         // 1 for the first selected target; the total count when none
    };
    Selection NextSelected(int afterIndex) const;

    // Runs one selected target: reset, Scan or Kill, then its counters go into the run counters
    // (and, for a Kill, into the totals). An index outside the catalogue or an unselected target
    // changes nothing. With details, what the target finds or removes is handed to it too.
    void RunTarget(int index, bool kill, FoundItems* details = nullptr);

    RunCounters& RunTotals() { return run_; }
    const RunCounters& RunTotals() const { return run_; }
    RunCounters& Totals() { return totals_; }
    const RunCounters& Totals() const { return totals_; }
    void ResetRunCounters() { run_.Clear(); }
    struct CounterTexts {
        std::string runFiles, runItems, runBytes, totalFiles, totalItems, totalBytes;
    };
    CounterTexts Texts() const;

    // Settings and times.
    CleanerSettings& Settings() { return settings_; }
    const CleanerSettings& Settings() const { return settings_; }
    void SetAutoKillIntervalIndex(int64_t index);
    // What the administrator locked; the dialogs grey what it sets and the console refuses it.
    const MachinePolicy& Policy() const { return policy_; }
    void SetPolicy(MachinePolicy policy) { policy_ = std::move(policy); }
    int64_t LastKillTime() const { return lastKillTime_; }
    void SetLastKillTime(int64_t instant) { lastKillTime_ = instant; }
    int64_t LastUpdateTime() const { return lastUpdateTime_; }
    void SetLastUpdateTime(int64_t instant) { lastUpdateTime_ = instant; }
    void MarkLastKillNow();
    void MarkLastUpdateCheckNow();
    bool AutoKillDue() const { return AutoKillDueAt(Now()); }
    bool AutoKillDueAt(int64_t now) const;
    bool UpdateCheckDue() const { return UpdateCheckDueAt(Now()); }
    bool UpdateCheckDueAt(int64_t now) const;
    static int64_t Now();

    // Browser discovery.
    bool BrowserPresent(Browser b) const { return browserPresent_[static_cast<int>(b)]; }
    const std::string& BrowserProgram(Browser b) const { return browserProgram_[static_cast<int>(b)]; }
    void SetBrowser(Browser b, bool present, std::string program);
    // The program files of every browser found, for the rule that waits for the last one to close.
    std::vector<std::string> BrowserPrograms() const;

private:
    std::vector<std::unique_ptr<Target>> targets_;
    std::string settingsPath_;
    std::string programFolder_;
    std::array<int, kStoredCategories> categoryEnds_{};
    int customStart_ = 0;
    RunCounters run_;
    RunCounters totals_;
    CleanerSettings settings_;
    MachinePolicy policy_;
    int64_t lastKillTime_ = 0;
    int64_t lastUpdateTime_ = 0;
    std::array<bool, kBrowserCount> browserPresent_{};
    std::array<std::string, kBrowserCount> browserProgram_;
    TargetCatalog* previous_ = nullptr;
};

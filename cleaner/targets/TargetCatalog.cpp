#include "targets/TargetCatalog.h"

#include "engine/SizeFormat.h"
#include "targets/KillIntervals.h"

#include <ctime>
#include <utility>

namespace {
TargetCatalog* g_current = nullptr;

const std::array<CategoryInfo, kCategoryCount> kCategories = {{
    {Category::Windows, "Windows", "windows.html", false},
    {Category::WindowsApplets, "Windows Applets", "application.html", false},
    {Category::MsOffice, "MS Office", "office.html", false},
    {Category::InternetExplorer, "Internet Explorer", "browser.html", true},
    {Category::Firefox, "Firefox", "mozilla.html", true},
    {Category::Netscape, "Netscape", "netscape.html", true},
    {Category::Opera, "Opera", "opera.html", true},
    {Category::Flock, "Flock", "flock.html", true},
    {Category::Chrome, "Chrome", "chrome.html", true},
    {Category::Edge, "Edge", "edge.html", true},
    {Category::Brave, "Brave", "brave.html", true},
    {Category::Vivaldi, "Vivaldi", "vivaldi.html", true},
    {Category::Chromium, "Chromium", "chromium.html", true},
    {Category::Applications, "Applications", "app_targ.html", false},
    {Category::Custom, "Custom Targets", "custom.html", false},
}};
}  // namespace

const std::array<CategoryInfo, kCategoryCount>& Categories() { return kCategories; }

const CategoryInfo& InfoOf(Category category) {
    const int c = static_cast<int>(category);
    return kCategories[c >= 0 && c < kCategoryCount ? c : static_cast<int>(Category::Custom)];
}

Category CategoryOf(Browser browser) {
    switch (browser) {
        case Browser::Firefox: return Category::Firefox;
        case Browser::Netscape: return Category::Netscape;
        case Browser::Opera: return Category::Opera;
        case Browser::Flock: return Category::Flock;
        case Browser::Chrome: return Category::Chrome;
        case Browser::Edge: return Category::Edge;
        case Browser::Brave: return Category::Brave;
        case Browser::Vivaldi: return Category::Vivaldi;
        case Browser::Chromium: return Category::Chromium;
    }
    return Category::Custom;
}

TargetCatalog::TargetCatalog(std::string settingsPath, std::string programFolder)
    : settingsPath_(std::move(settingsPath)), programFolder_(std::move(programFolder)) {
    lastKillTime_ = lastUpdateTime_ = Now();
    previous_ = g_current;
    g_current = this;
}

TargetCatalog::~TargetCatalog() {
    if (g_current == this) g_current = previous_;
}

TargetCatalog* TargetCatalog::Current() { return g_current; }

int64_t TargetCatalog::Now() { return static_cast<int64_t>(std::time(nullptr)); }

Target& TargetCatalog::AddTarget(std::unique_ptr<Target> target) {
    targets_.push_back(std::move(target));
    return *targets_.back();
}

void TargetCatalog::EndCategory(Category category) {
    const int c = static_cast<int>(category);
    if (c < 0 || c >= kStoredCategories) return;
    categoryEnds_[c] = static_cast<int>(targets_.size());
}

void TargetCatalog::MarkCustomStart() {
    EndCategory(Category::Applications);
    customStart_ = static_cast<int>(targets_.size());
}

std::vector<std::unique_ptr<Target>> TargetCatalog::ReplaceCustomTargets(
    std::vector<std::unique_ptr<Target>> targets) {
    std::vector<std::unique_ptr<Target>> removed;
    for (size_t i = static_cast<size_t>(customStart_); i < targets_.size(); ++i)
        removed.push_back(std::move(targets_[i]));
    targets_.resize(static_cast<size_t>(customStart_));
    for (auto& t : targets) targets_.push_back(std::move(t));
    return removed;
}

int TargetCatalog::CategoryStart(int category) const {
    if (category <= 0 || category > kStoredCategories) return 0;
    return categoryEnds_[category - 1];
}

int TargetCatalog::CategoryCount(int category) const {
    if (category < 0 || category >= kStoredCategories) return 0;
    return categoryEnds_[category] - CategoryStart(category);
}

int TargetCatalog::SelectedCount() const {
    int count = 0;
    for (const auto& t : targets_) count += t->Selected() ? 1 : 0;
    return count;
}

TargetCatalog::Selection TargetCatalog::NextSelected(int afterIndex) const {
    Selection s;
    int ordinal = 0;
    for (int i = 0; i < static_cast<int>(targets_.size()); ++i) {
        if (!targets_[i]->Selected()) continue;
        ++ordinal;
        if (i > afterIndex) {
            s.index = i;
            s.target = targets_[i].get();
            s.ordinal = ordinal;
            return s;
        }
    }
    s.ordinal = ordinal;
    return s;
}

void TargetCatalog::RunTarget(int index, bool kill, FoundItems* details) {
    if (index < 0 || index >= static_cast<int>(targets_.size())) return;
    Target& target = *targets_[index];
    if (!target.Selected()) return;
    target.Reset();
    if (kill) {
        MarkLastKillNow();
        target.Kill(details);
    } else {
        target.Scan(details);
    }
    run_.Add(target.Counters());
    if (kill) totals_.Add(target.Counters());
}

TargetCatalog::CounterTexts TargetCatalog::Texts() const {
    return CounterTexts{CountText(run_.files),    CountText(run_.items),    FormatSize(run_.bytes),
                        CountText(totals_.files), CountText(totals_.items), FormatSize(totals_.bytes)};
}

void TargetCatalog::SetAutoKillIntervalIndex(int64_t index) {
    settings_.akEveryTimeTime = kill_intervals::ClampIndex(index);
}

void TargetCatalog::MarkLastKillNow() { lastKillTime_ = Now(); }
void TargetCatalog::MarkLastUpdateCheckNow() { lastUpdateTime_ = Now(); }

bool TargetCatalog::AutoKillDueAt(int64_t now) const {
    return kill_intervals::AutoKillDue(lastKillTime_, now, settings_.akEveryTimeTime);
}

bool TargetCatalog::UpdateCheckDueAt(int64_t now) const {
    return kill_intervals::UpdateCheckDue(lastUpdateTime_, now);
}

std::vector<std::string> TargetCatalog::BrowserPrograms() const {
    std::vector<std::string> programs;
    for (int b = 0; b < kBrowserCount; ++b)
        if (browserPresent_[b] && !browserProgram_[b].empty()) programs.push_back(browserProgram_[b]);
    return programs;
}

void TargetCatalog::SetBrowser(Browser b, bool present, std::string program) {
    browserPresent_[static_cast<int>(b)] = present;
    browserProgram_[static_cast<int>(b)] = std::move(program);
}

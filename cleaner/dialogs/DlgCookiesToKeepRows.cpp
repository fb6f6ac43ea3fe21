#include "dialogs/DlgCookiesToKeepRows.h"

#include "targets/BrowserRows.h"

#include <algorithm>

namespace {
bool Stored(const std::vector<std::string>& sorted, const std::string& site) {
    return std::binary_search(sorted.begin(), sorted.end(), site);
}
}  // namespace

KeepListRows::KeepListRows(const std::vector<std::string>& stored, const std::vector<std::string>& policy) {
    for (const std::string& s : stored) {
        std::string site = NormalizedSite(s);
        if (site.empty()) continue;
        Insert(site).kept = true;
        stored_.push_back(std::move(site));
    }
    std::sort(stored_.begin(), stored_.end());
    stored_.erase(std::unique(stored_.begin(), stored_.end()), stored_.end());
    for (const std::string& s : policy) {
        const std::string site = NormalizedSite(s);
        if (site.empty()) continue;
        KeepRow& row = Insert(site);
        row.kept = row.locked = true;
    }
}

KeepRow& KeepListRows::Insert(const std::string& site) {
    auto at = std::lower_bound(rows_.begin(), rows_.end(), site,
                               [](const KeepRow& row, const std::string& s) { return row.site < s; });
    if (at != rows_.end() && at->site == site) return *at;
    return *rows_.insert(at, KeepRow{site, false, false});
}

void KeepListRows::AddListed(const std::vector<std::string>& sites) {
    for (const std::string& s : sites) {
        const std::string site = NormalizedSite(s);
        if (!site.empty()) (void)Insert(site);
    }
}

size_t KeepListRows::AddTyped(const std::string& site) {
    KeepRow& row = Insert(site);
    row.kept = true;
    return static_cast<size_t>(&row - rows_.data());
}

bool KeepListRows::Toggle(size_t row) {
    if (row >= rows_.size() || rows_[row].locked) return false;
    rows_[row].kept = !rows_[row].kept;
    return true;
}

std::vector<size_t> KeepListRows::Matching(std::string_view filter) const {
    const std::string needle = NormalizedSite(filter);
    std::vector<size_t> shown;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (needle.empty() || rows_[i].site.find(needle) != std::string::npos) shown.push_back(i);
    return shown;
}

size_t KeepListRows::KeptCount() const {
    return static_cast<size_t>(std::count_if(rows_.begin(), rows_.end(), [](const KeepRow& r) { return r.kept; }));
}

std::vector<std::string> KeepListRows::ToAdd() const {
    std::vector<std::string> sites;
    for (const KeepRow& row : rows_)
        if (row.kept && !row.locked && !Stored(stored_, row.site)) sites.push_back(row.site);
    return sites;
}

std::vector<std::string> KeepListRows::ToRemove() const {
    std::vector<std::string> sites;
    for (const KeepRow& row : rows_)
        if (!row.kept && Stored(stored_, row.site)) sites.push_back(row.site);
    return sites;
}

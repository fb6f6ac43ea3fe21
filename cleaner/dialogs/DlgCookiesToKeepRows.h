#pragma once
// What the "Cookies to Keep" page shows and what its OK writes, apart from any window: one row per
// site, sorted by site, each with its tick. The rows come from three places that may name the same
// site: the user's stored keep-list, the sites the administrator's policy keeps (ticked for good),
// and the sites that have cookies today (unticked unless kept), which arrive after the page opened.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct KeepRow {
    std::string site;
    bool kept = false;
    bool locked = false;  // kept by the administrator's policy: the user cannot untick it
};

class KeepListRows {
public:
    // Sites in any form; they are folded to the stored one.
    KeepListRows(const std::vector<std::string>& stored, const std::vector<std::string>& policy);

    // Sites with cookies; a site already listed keeps its tick.
    void AddListed(const std::vector<std::string>& sites);
    // A site the user typed (already in the stored form), ticked; its row.
    size_t AddTyped(const std::string& site);
    // Flips a row's tick; false (and nothing changes) for a locked row.
    bool Toggle(size_t row);

    size_t Count() const { return rows_.size(); }
    const KeepRow& Row(size_t row) const { return rows_[row]; }
    // The rows whose site holds the filter text, ignoring case and surrounding blanks; every row for
    // an empty filter.
    std::vector<size_t> Matching(std::string_view filter) const;
    size_t KeptCount() const;

    // What OK writes into the stored list: the ticked sites it lacks (the policy's excepted, which
    // are kept without it), and the stored sites that lost their tick.
    std::vector<std::string> ToAdd() const;
    std::vector<std::string> ToRemove() const;

private:
    KeepRow& Insert(const std::string& site);

    std::vector<KeepRow> rows_;
    std::vector<std::string> stored_;  // folded, sorted
};

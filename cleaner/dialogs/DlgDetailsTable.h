#pragma once
// The lines of the details window: everything a target's Scan found, in the order and under the
// filter the user chose. The window shows it through a virtual list, so it holds the lines once
// and answers a row at a time; appending a batch merges it into the sorted view instead of
// sorting everything again, so a list that fills with 100,000 lines stays quick.
#include "engine/ExcludeList.h"
#include "engine/FoundItems.h"

#include <cstdint>
#include <string>
#include <vector>

enum class DetailsColumn : int { Folder = 0, Name = 1, Size = 2, LastWrite = 3 };

class CDetailsTable {
public:
    CDetailsTable() = default;

    void Append(std::vector<FoundItem> batch);
    // Shows only lines whose folder or name holds `text` in any case; empty shows all.
    void SetFilter(const std::wstring& text);
    // Another column sorts by it (names ascending, sizes and times largest first); the same
    // column again reverses the order.
    void SortBy(DetailsColumn column);
    DetailsColumn SortColumn() const { return column_; }
    bool Descending() const { return descending_; }

    size_t Shown() const { return view_.size(); }
    size_t Total() const { return rows_.size(); }
    uint64_t ShownBytes() const { return shownBytes_; }
    // The line at a row of the view, and the stable number of that line (until the next removal).
    const FoundItem& At(size_t row) const { return rows_[view_[row]].item; }
    uint32_t LineAt(size_t row) const { return view_[row]; }
    // The row that shows a line, or -1 when the filter hides it.
    [[nodiscard]] int RowOf(uint32_t line);

    // Drops every line the excludes cover (the lines a new exclude keeps from now on); how many.
    size_t RemoveExcluded(const ExcludeList& excludes);

    // The full path of a file line, its folder and name joined.
    static std::string PathOf(const FoundItem& item);
    // What the columns show for a line.
    static std::string CellText(const FoundItem& item, DetailsColumn column);

private:
    struct Row {
        FoundItem item;
        std::wstring folder;  // folded for filtering and sorting
        std::wstring name;
    };
    bool Less(uint32_t a, uint32_t b) const;
    bool Passes(const Row& row) const;
    void Rebuild();

    std::vector<Row> rows_;
    std::vector<uint32_t> view_;
    std::vector<int> rowOf_;  // line -> row, built on demand
    bool rowOfValid_ = false;
    std::wstring filter_;
    DetailsColumn column_ = DetailsColumn::Size;
    bool descending_ = true;
    uint64_t shownBytes_ = 0;
};

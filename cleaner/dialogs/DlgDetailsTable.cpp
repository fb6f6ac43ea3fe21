#include "dialogs/DlgDetailsTable.h"

#include "engine/SizeFormat.h"
#include "platform/Text.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {
// The system's own case folding, so the filter finds "Ü" by "ü" as the shell's search does.
std::wstring Folded(std::string_view text) {
    std::wstring wide = WideFromUtf8(text);
    if (!wide.empty()) ::CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return wide;
}

// Only files are measured in bytes; the counts of rows, keys and stores sort below every file.
uint64_t SortSize(const FoundItem& item) { return item.kind == FoundItem::Kind::File ? item.size : 0; }

std::string TimeText(uint64_t fileTime) {
    if (fileTime == 0) return {};
    FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)}, local{};
    SYSTEMTIME st{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &st)) return {};
    wchar_t date[64] = {}, time[64] = {};
    if (!::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64)) return {};
    if (!::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, 64)) return Utf8FromWide(date);
    return Utf8FromWide(std::wstring(date) + L" " + time);
}
}  // namespace

std::string CDetailsTable::PathOf(const FoundItem& item) {
    if (item.place.empty() || item.place.back() == '\\') return item.place + item.name;
    return item.place + "\\" + item.name;
}

std::string CDetailsTable::CellText(const FoundItem& item, DetailsColumn column) {
    using Kind = FoundItem::Kind;
    switch (column) {
    case DetailsColumn::Folder: return item.place;
    case DetailsColumn::Name:
        switch (item.kind) {
        case Kind::File: return item.name;
        case Kind::RegistryValue: return item.name.empty() ? "(Default)" : item.name;
        case Kind::RegistryKey: return "(key with " + CountText(static_cast<uint32_t>(item.size)) + " values and subkeys)";
        case Kind::Rows: return item.name + ": " + CountText(static_cast<uint32_t>(item.size)) + " rows";
        case Kind::Store: return CountText(static_cast<uint32_t>(item.size)) + " items";
        }
        return item.name;
    case DetailsColumn::Size: return item.kind == Kind::File ? FormatSize(item.size) : std::string();
    case DetailsColumn::LastWrite: return TimeText(item.lastWrite);
    }
    return {};
}

bool CDetailsTable::Less(uint32_t a, uint32_t b) const {
    const Row& x = rows_[a];
    const Row& y = rows_[b];
    int order = 0;
    switch (column_) {
    case DetailsColumn::Folder:
        order = x.folder.compare(y.folder);
        if (order == 0) order = x.name.compare(y.name);
        break;
    case DetailsColumn::Name:
        order = x.name.compare(y.name);
        if (order == 0) order = x.folder.compare(y.folder);
        break;
    case DetailsColumn::Size: {
        const uint64_t sx = SortSize(x.item), sy = SortSize(y.item);
        order = sx < sy ? -1 : sx > sy ? 1 : 0;
        break;
    }
    case DetailsColumn::LastWrite:
        order = x.item.lastWrite < y.item.lastWrite ? -1 : x.item.lastWrite > y.item.lastWrite ? 1 : 0;
        break;
    }
    if (descending_) order = -order;
    // Ties keep the order in which the lines came, so a filling list does not shuffle.
    return order != 0 ? order < 0 : a < b;
}

bool CDetailsTable::Passes(const Row& row) const {
    return filter_.empty() || row.folder.find(filter_) != std::wstring::npos ||
           row.name.find(filter_) != std::wstring::npos;
}

void CDetailsTable::Append(std::vector<FoundItem> batch) {
    if (batch.empty()) return;
    const size_t first = rows_.size();
    rows_.reserve(first + batch.size());
    for (FoundItem& item : batch) {
        Row row;
        row.folder = Folded(item.place);
        row.name = Folded(item.name);
        row.item = std::move(item);
        rows_.push_back(std::move(row));
    }
    const size_t before = view_.size();
    for (size_t i = first; i < rows_.size(); ++i) {
        if (!Passes(rows_[i])) continue;
        view_.push_back(static_cast<uint32_t>(i));
        shownBytes_ += SortSize(rows_[i].item);
    }
    const auto less = [this](uint32_t a, uint32_t b) { return Less(a, b); };
    std::sort(view_.begin() + static_cast<ptrdiff_t>(before), view_.end(), less);
    std::inplace_merge(view_.begin(), view_.begin() + static_cast<ptrdiff_t>(before), view_.end(), less);
    rowOfValid_ = false;
}

void CDetailsTable::Rebuild() {
    view_.clear();
    shownBytes_ = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!Passes(rows_[i])) continue;
        view_.push_back(static_cast<uint32_t>(i));
        shownBytes_ += SortSize(rows_[i].item);
    }
    std::sort(view_.begin(), view_.end(), [this](uint32_t a, uint32_t b) { return Less(a, b); });
    rowOfValid_ = false;
}

void CDetailsTable::SetFilter(const std::wstring& text) {
    std::wstring folded = text;
    if (!folded.empty()) ::CharLowerBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    if (folded == filter_) return;
    // Typing on narrows the shown lines, already in order: no need to look at the others.
    const bool narrower = folded.find(filter_) != std::wstring::npos;
    filter_ = std::move(folded);
    if (!narrower) {
        Rebuild();
        return;
    }
    view_.erase(std::remove_if(view_.begin(), view_.end(), [this](uint32_t line) { return !Passes(rows_[line]); }),
                view_.end());
    shownBytes_ = 0;
    for (uint32_t line : view_) shownBytes_ += SortSize(rows_[line].item);
    rowOfValid_ = false;
}

void CDetailsTable::SortBy(DetailsColumn column) {
    if (column == column_) {
        // Sorted again rather than reversed: equal lines keep their arrival order either way.
        descending_ = !descending_;
        Rebuild();
        return;
    }
    column_ = column;
    descending_ = column == DetailsColumn::Size || column == DetailsColumn::LastWrite;
    Rebuild();
}

int CDetailsTable::RowOf(uint32_t line) {
    if (!rowOfValid_) {
        rowOf_.assign(rows_.size(), -1);
        for (size_t r = 0; r < view_.size(); ++r) rowOf_[view_[r]] = static_cast<int>(r);
        rowOfValid_ = true;
    }
    return line < rowOf_.size() ? rowOf_[line] : -1;
}

size_t CDetailsTable::RemoveExcluded(const ExcludeList& excludes) {
    using Kind = FoundItem::Kind;
    const size_t before = rows_.size();
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(),
                               [&](const Row& row) {
                                   const FoundItem& i = row.item;
                                   if (i.kind == Kind::File) return excludes.ExcludesFile(PathOf(i));
                                   if (i.kind == Kind::RegistryValue || i.kind == Kind::RegistryKey)
                                       return excludes.ExcludesKey(i.place);
                                   return false;
                               }),
                rows_.end());
    const size_t removed = before - rows_.size();
    if (removed > 0) Rebuild();
    return removed;
}

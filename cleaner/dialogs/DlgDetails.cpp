#include "dialogs/DlgDetails.h"

#include "engine/ExcludeStore.h"
#include "engine/SizeFormat.h"
#include "engine/VolumeMedia.h"
#include "platform/GdiHandles.h"
#include "platform/Text.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "targets/TargetCatalog.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

namespace {
constexpr UINT kCollectMessage = WM_APP + 40;
constexpr UINT_PTR kBatchTimer = 1;
constexpr UINT kBatchMs = 100;
constexpr UINT kKeepCommand = IDC_DETAILS_KEEP;
constexpr UINT kKeepFolderCommand = IDC_DETAILS_KEEP_FOLDER;

struct ColumnLook {
    const wchar_t* title;
    int width;
    int format;
};
constexpr ColumnLook kColumns[] = {
    {L"Folder", 224, LVCFMT_LEFT},
    {L"Name", 160, LVCFMT_LEFT},
    {L"Size", 76, LVCFMT_RIGHT},
    {L"Last write", 140, LVCFMT_LEFT},
};

bool Keepable(const FoundItem& item, bool folders) {
    using Kind = FoundItem::Kind;
    if (folders) return item.kind == Kind::File;
    return item.kind == Kind::File || item.kind == Kind::RegistryValue || item.kind == Kind::RegistryKey;
}

// The exclude a kept line stands for; none for rows and stores.
std::optional<Exclude> ExcludeFor(const FoundItem& item, bool folders) {
    using Kind = FoundItem::Kind;
    switch (item.kind) {
    case Kind::File: return folders ? ParseExclude("PATH|" + item.place) : ParseExclude("FILE|" + CDetailsTable::PathOf(item));
    case Kind::RegistryValue:
    case Kind::RegistryKey: return folders ? std::nullopt : ParseExclude("REG|" + item.place);
    default: return std::nullopt;
    }
}
}  // namespace

CDlgDetails::CDlgDetails(TargetCatalog& catalog, size_t targetIndex, std::string refusal)
    : CMyDialog(IDD_DETAILS), catalog_(catalog), targetIndex_(targetIndex), refusal_(std::move(refusal)) {
    SetPixelTemplate(true);
}

CDlgDetails::~CDlgDetails() { collector_.reset(); }

std::string CDlgDetails::TitleFor(const std::string& targetName) { return "Details: " + targetName; }

BOOL CDlgDetails::OnInitDialog() {
    CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    const Target& target = catalog_.TargetAt(targetIndex_);
    ::SetWindowTextW(hwnd, WideFromUtf8(TitleFor(target.Name())).c_str());
    HICON small = static_cast<HICON>(
        ::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(IDI_TRACELORN), IMAGE_ICON, 16, 16, LR_SHARED));
    if (small) ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    (void)keep_.AttachItem(hwnd, IDC_DETAILS_KEEP);
    (void)keepFolder_.AttachItem(hwnd, IDC_DETAILS_KEEP_FOLDER);
    (void)close_.AttachItem(hwnd, IDCANCEL);
    (void)status_.AttachItem(hwnd, IDC_DETAILS_STATUS);
    AddToolTip(IDC_DETAILS_KEEP, "No Scan or Kill will count or remove the selected files and registry keys");
    AddToolTip(IDC_DETAILS_KEEP_FOLDER, "No Scan or Kill will enter the folders of the selected files");
    AddToolTip(IDC_DETAILS_FILTER, "Shows only the lines whose folder or name holds this text");
    const HFONT font = SkinResources::Get().Font(SkinFont::Normal);
    for (int id : {IDC_DETAILS_FILTER_LABEL, IDC_DETAILS_FILTER, IDC_DETAILS_STATUS, IDC_DETAILS_LIST})
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    AddFramedControl(IDC_DETAILS_FILTER);
    AddFramedControl(IDC_DETAILS_LIST);
    SetHelpTopic("main.html");
    SetUpList();
    UpdateButtons();

    if (refusal_.empty()) refusal_ = target.PendingSkipNotice();
    if (refusal_.empty()) StartCollecting();
    ShowCount();
    ::SetFocus(Item(IDC_DETAILS_LIST));
    return FALSE;
}

void CDlgDetails::SetUpList() {
    HWND list = Item(IDC_DETAILS_LIST);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    ::SendMessageW(list, LVM_SETBKCOLOR, 0, palette::kList);
    ::SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, palette::kList);
    ::SendMessageW(list, LVM_SETTEXTCOLOR, 0, palette::kText);
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    ShowSortMark();
}

void CDlgDetails::StartCollecting() {
    Target& target = catalog_.TargetAt(targetIndex_);
    // The excludes as they are now, the same as a Scan started from the main window would take.
    run_excludes::Begin(catalog_.SettingsPath());
    volume_media::BeginRun();
    collector_ = std::make_unique<CDetailsCollector>(Hwnd(), kCollectMessage);
    collecting_ = collector_->Start([&target](FoundItems* sink) { target.ScanForDetails(sink); });
    if (!collecting_) refusal_ = "The details cannot be read now.";
}

void CDlgDetails::TakeBatch() {
    if (!collector_) return;
    std::vector<FoundItem> batch = collector_->Take();
    if (!added_.Empty()) {
        batch.erase(std::remove_if(batch.begin(), batch.end(),
                                   [this](const FoundItem& i) {
                                       if (i.kind == FoundItem::Kind::File) return added_.ExcludesFile(CDetailsTable::PathOf(i));
                                       return (i.kind == FoundItem::Kind::RegistryKey ||
                                               i.kind == FoundItem::Kind::RegistryValue) &&
                                              added_.ExcludesKey(i.place);
                                   }),
                    batch.end());
    }
    if (batch.empty()) return;
    HWND list = Item(IDC_DETAILS_LIST);
    // Everything selected (Ctrl+A) stays everything without following each line.
    const size_t selectedCount = static_cast<size_t>(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    const bool all = selectedCount > 0 && selectedCount == table_.Shown();
    const std::vector<uint32_t> selected = all ? std::vector<uint32_t>() : SelectedLines();
    table_.Append(std::move(batch));
    ::SendMessageW(list, LVM_SETITEMCOUNT, table_.Shown(), LVSICF_NOSCROLL);
    if (all) {
        LVITEMW state{};
        state.state = state.stateMask = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    }
    Reselect(selected);
    ::InvalidateRect(list, nullptr, FALSE);
    ShowCount();
}

std::vector<uint32_t> CDlgDetails::SelectedLines() const {
    std::vector<uint32_t> lines;
    HWND list = Item(IDC_DETAILS_LIST);
    for (int row = -1; (row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
        if (static_cast<size_t>(row) >= table_.Shown()) break;
        lines.push_back(table_.LineAt(static_cast<size_t>(row)));
    }
    return lines;
}

// The rows move while the list fills (a larger file sorts in above): the selection follows its
// lines, not its row numbers.
void CDlgDetails::Reselect(const std::vector<uint32_t>& lines) {
    if (lines.empty()) return;
    HWND list = Item(IDC_DETAILS_LIST);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    bool focused = false;
    for (uint32_t line : lines) {
        const int row = table_.RowOf(line);
        if (row < 0) continue;
        state.state = LVIS_SELECTED | (focused ? 0 : LVIS_FOCUSED);
        focused = true;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }
}

void CDlgDetails::ShowCount() {
    std::string text;
    if (!refusal_.empty()) {
        text = refusal_;
    } else {
        text = CountText(static_cast<uint32_t>(table_.Shown()));
        if (table_.Shown() != table_.Total()) text += " of " + CountText(static_cast<uint32_t>(table_.Total()));
        text += table_.Total() == 1 ? " line, " : " lines, ";
        text += FormatSize(table_.ShownBytes());
        if (collecting_) text += " (reading...)";
    }
    ::SetWindowTextW(Item(IDC_DETAILS_STATUS), WideFromUtf8(text).c_str());
}

void CDlgDetails::ShowSortMark() {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(Item(IDC_DETAILS_LIST), LVM_GETHEADER, 0, 0));
    if (!header) return;
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == static_cast<int>(table_.SortColumn())) item.fmt |= table_.Descending() ? HDF_SORTDOWN : HDF_SORTUP;
        ::SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void CDlgDetails::OnDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= table_.Shown()) return;
    if (item.iSubItem < 0 || item.iSubItem >= static_cast<int>(std::size(kColumns))) return;
    cell_ = WideFromUtf8(CDetailsTable::CellText(table_.At(static_cast<size_t>(item.iItem)),
                                                 static_cast<DetailsColumn>(item.iSubItem)));
    if (item.pszText && item.cchTextMax > 0) ::lstrcpynW(item.pszText, cell_.c_str(), item.cchTextMax);
}

// Selected lines in the result list's colours rather than the system's highlight.
LRESULT CDlgDetails::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const UINT state = static_cast<UINT>(::SendMessageW(Item(IDC_DETAILS_LIST), LVM_GETITEMSTATE,
                                                        draw.nmcd.dwItemSpec, LVIS_SELECTED));
    if (state & LVIS_SELECTED) {
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        draw.clrTextBk = palette::kTargetBand;
    } else {
        draw.clrTextBk = palette::kList;
    }
    draw.clrText = palette::kText;
    return CDRF_DODEFAULT;
}

void CDlgDetails::UpdateButtons() {
    bool files = false, keys = false;
    HWND list = Item(IDC_DETAILS_LIST);
    for (int row = -1; (row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
        if (static_cast<size_t>(row) >= table_.Shown()) break;
        const FoundItem& item = table_.At(static_cast<size_t>(row));
        files = files || Keepable(item, true);
        keys = keys || Keepable(item, false);
        if (files) break;
    }
    ::EnableWindow(Item(IDC_DETAILS_KEEP), keys ? TRUE : FALSE);
    ::EnableWindow(Item(IDC_DETAILS_KEEP_FOLDER), files ? TRUE : FALSE);
}

void CDlgDetails::KeepSelected(bool folders) {
    const std::vector<uint32_t> lines = SelectedLines();
    ExcludeList kept;
    int stored = 0;
    for (uint32_t line : lines) {
        const int row = table_.RowOf(line);
        if (row < 0) continue;
        const std::optional<Exclude> exclude = ExcludeFor(table_.At(static_cast<size_t>(row)), folders);
        if (!exclude) continue;  // rows and stores, or a drive root as a folder
        if (!exclude_store::Add(catalog_.SettingsPath(), *exclude)) continue;
        kept.Add(*exclude);
        added_.Add(*exclude);
        ++stored;
    }
    if (stored == 0) return;
    HWND list = Item(IDC_DETAILS_LIST);
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    (void)table_.RemoveExcluded(kept);
    ::SendMessageW(list, LVM_SETITEMCOUNT, table_.Shown(), LVSICF_NOSCROLL);
    ::InvalidateRect(list, nullptr, FALSE);
    ShowCount();
    UpdateButtons();
}

void CDlgDetails::ShowContextMenu(LPARAM at) {
    HWND list = Item(IDC_DETAILS_LIST);
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == static_cast<LPARAM>(-1)) {
        // The context-menu key: at the focused line, or the list's corner.
        RECT rect{LVIR_BOUNDS, 0, 0, 0};
        const int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (row < 0 || !::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect))) rect = RECT{};
        point = POINT{rect.left + 16, rect.bottom};
        ::ClientToScreen(list, &point);
    }
    const MenuHandle menu(::CreatePopupMenu());
    if (!menu) return;
    const UINT keep = ::IsWindowEnabled(Item(IDC_DETAILS_KEEP)) ? MF_ENABLED : MF_GRAYED;
    const UINT keepFolder = ::IsWindowEnabled(Item(IDC_DETAILS_KEEP_FOLDER)) ? MF_ENABLED : MF_GRAYED;
    ::AppendMenuW(menu.Get(), MF_STRING | keep, kKeepCommand, L"Never remove this");
    ::AppendMenuW(menu.Get(), MF_STRING | keepFolder, kKeepFolderCommand, L"Never remove this folder");
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                           point.x, point.y, 0, Hwnd(), nullptr));
    if (chosen == kKeepCommand) KeepSelected(false);
    if (chosen == kKeepFolderCommand) KeepSelected(true);
}

bool CDlgDetails::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_DETAILS_FILTER && code == EN_CHANGE) {
        wchar_t text[256] = {};
        ::GetWindowTextW(Item(IDC_DETAILS_FILTER), text, 256);
        HWND list = Item(IDC_DETAILS_LIST);
        LVITEMW none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
        table_.SetFilter(text);
        ::SendMessageW(list, LVM_SETITEMCOUNT, table_.Shown(), 0);
        ::InvalidateRect(list, nullptr, FALSE);
        ShowCount();
        UpdateButtons();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_DETAILS_KEEP) {
        KeepSelected(false);
        return true;
    }
    if (code == BN_CLICKED && id == IDC_DETAILS_KEEP_FOLDER) {
        KeepSelected(true);
        return true;
    }
    return CMyDialog::OnCommand(id, code, control);
}

void CDlgDetails::OnTimer(UINT_PTR id) {
    if (id == kBatchTimer) TakeBatch();
}

void CDlgDetails::OnCancel() {
    // Stop and wait here, before the window goes: the worker may still hand over lines.
    collector_.reset();
    collecting_ = false;
    CMyDialog::OnCancel();
}

void CDlgDetails::OnDestroy() {
    ::KillTimer(Hwnd(), kBatchTimer);
    collector_.reset();
    CMyDialog::OnDestroy();
}

LRESULT CDlgDetails::OnMessage(UINT message, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    switch (message) {
    case kCollectMessage:
        if (wp == 0 && collecting_) ::SetTimer(Hwnd(), kBatchTimer, kBatchMs, nullptr);
        TakeBatch();
        if (wp == 1) {
            ::KillTimer(Hwnd(), kBatchTimer);
            collecting_ = false;
            ShowCount();
        }
        return 0;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wp) != Item(IDC_DETAILS_LIST)) break;
        ShowContextMenu(lp);
        return 0;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lp);
        if (header.idFrom != IDC_DETAILS_LIST) break;
        if (header.code == LVN_GETDISPINFOW) {
            OnDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lp));
            return 0;
        }
        if (header.code == LVN_COLUMNCLICK) {
            const auto& click = *reinterpret_cast<const NMLISTVIEW*>(lp);
            const std::vector<uint32_t> selected = SelectedLines();
            table_.SortBy(static_cast<DetailsColumn>(click.iSubItem));
            Reselect(selected);
            ShowSortMark();
            ::InvalidateRect(Item(IDC_DETAILS_LIST), nullptr, FALSE);
            return 0;
        }
        if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey == 'A' &&
            ::GetKeyState(VK_CONTROL) < 0) {
            LVITEMW state{};
            state.state = state.stateMask = LVIS_SELECTED;
            ::SendMessageW(Item(IDC_DETAILS_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
            return 0;
        }
        if (header.code == NM_CUSTOMDRAW) return OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
        if (header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED) {
            UpdateButtons();
            return 0;
        }
        break;
    }
    default: break;
    }
    handled = false;
    return CMyDialog::OnMessage(message, wp, lp, handled);
}

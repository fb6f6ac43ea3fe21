#include "dialogs/DlgExcludes.h"

#include "dialogs/FolderChooser.h"
#include "platform/Text.h"
#include "targets/PolicyReader.h"
#include "targets/TargetCatalog.h"

#include <commdlg.h>

#include <algorithm>
#include <utility>

namespace {
constexpr COLORREF kFrameLine = RGB(100, 100, 150);
constexpr COLORREF kFrameCaption = RGB(0, 60, 116);

std::string ChooseFile(HWND owner) {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"All Files (*.*)\0*.*\0\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"Never remove this file";
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
    return ::GetOpenFileNameW(&ofn) ? Utf8FromWide(TrimNul(path)) : std::string();
}

}  // namespace

CDlgExcludes::CDlgExcludes(TargetCatalog& catalog, PathChooser choose)
    : COptionsPage(IDD_EXCLUDES), catalog_(catalog), choose_(choose ? std::move(choose) : PathChooser(&ChoosePath)) {}

std::string CDlgExcludes::ChoosePath(HWND owner, bool folder) {
    return folder ? ChooseFolder(owner, "Never remove anything in this folder") : ChooseFile(owner);
}

std::string CDlgExcludes::LineOf(const Exclude& exclude) {
    switch (exclude.kind) {
    case ExcludeKind::File: return "File:  " + exclude.path;
    case ExcludeKind::Folder: return "Folder:  " + exclude.path;
    case ExcludeKind::Key: return "Registry key:  " + exclude.path;
    }
    return exclude.path;
}

BOOL CDlgExcludes::OnInitDialog() {
    COptionsPage::OnInitDialog();
    HWND page = Hwnd();
    if (addFile_.AttachItem(page, IDC_EXCLUDE_ADD_FILE)) AddToolTip(IDC_EXCLUDE_ADD_FILE, "Never remove a file you choose");
    if (addFolder_.AttachItem(page, IDC_EXCLUDE_ADD_FOLDER))
        AddToolTip(IDC_EXCLUDE_ADD_FOLDER, "Never remove anything in a folder you choose");
    if (remove_.AttachItem(page, IDC_EXCLUDE_REMOVE)) AddToolTip(IDC_EXCLUDE_REMOVE, "Let Scan and Kill reach the selected lines again");
    AddFrame(RECT{10, 10, 436, 300}, kFrameLine, kFrameCaption, kFrameRounded, "Never remove:");
    SetHelpTopic("settings.html");
    entries_ = exclude_store::Read(catalog_.SettingsPath());
    policy_ = ReadMachinePolicy().excludes;
    Fill();
    return FALSE;
}

void CDlgExcludes::Fill() {
    HWND list = Item(IDC_EXCLUDE_LIST);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    int widest = 0;
    std::vector<std::string> lines;
    // The administrator's first: they are listed for the user to see, never to remove.
    for (const Exclude& e : policy_) lines.push_back(LineOf(e) + "   (set by your administrator)");
    for (const auto& e : entries_) lines.push_back(LineOf(e.exclude));
    for (const std::string& text : lines) {
        const std::wstring line = WideFromUtf8(text);
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        widest = std::max(widest, static_cast<int>(line.size()) * 7);
    }
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, widest, 0);
    ::EnableWindow(Item(IDC_EXCLUDE_REMOVE), entries_.empty() ? FALSE : TRUE);
}

void CDlgExcludes::AddChosen(bool folder) {
    const std::string path = choose_(::GetAncestor(Hwnd(), GA_ROOT), folder);
    if (path.empty()) return;
    const auto exclude = ParseExclude((folder ? "PATH|" : "FILE|") + path);
    if (!exclude) return;  // a drive root would exclude everything on it
    for (const auto& e : entries_)
        if (SameExclude(e.exclude, *exclude)) return;
    entries_.push_back(exclude_store::StoredEntry{std::string(), *exclude});
    Fill();
}

void CDlgExcludes::RemoveSelected() {
    HWND list = Item(IDC_EXCLUDE_LIST);
    const int first = static_cast<int>(policy_.size());
    for (int i = static_cast<int>(entries_.size()); i-- > 0;) {
        if (::SendMessageW(list, LB_GETSEL, first + i, 0) <= 0) continue;
        if (!entries_[i].valueName.empty()) removed_.push_back(entries_[i].valueName);
        entries_.erase(entries_.begin() + i);
    }
    Fill();
}

bool CDlgExcludes::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_EXCLUDE_ADD_FILE: AddChosen(false); return true;
    case IDC_EXCLUDE_ADD_FOLDER: AddChosen(true); return true;
    case IDC_EXCLUDE_REMOVE: RemoveSelected(); return true;
    default: return false;
    }
}

void CDlgExcludes::Apply() {
    const std::string& settings = catalog_.SettingsPath();
    for (const std::string& name : removed_) (void)exclude_store::Remove(settings, name);
    removed_.clear();
    for (const auto& e : entries_)
        if (e.valueName.empty()) (void)exclude_store::Add(settings, e.exclude);
}

#include "config/Text.h"
#include "install/PathRules.h"
#include "install/SizeText.h"
#include "win/ComPtr.h"
#include "win/WideText.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace setup {

CLocationPage::CLocationPage(WizardContext& context)
    : CBasePage(context, context.session.Settings().FixedLocation() ? IDD_LOCATION_FIXED : IDD_LOCATION,
                context.session.Settings().FixedLocation() ? "PLOF" : "PLO", true, ButtonState{true, true, 1007},
                ButtonState{true, true, 103}, ButtonState{true, true, 2}, IDC_FOLDER) {}

FolderCheck CLocationPage::Validate(const std::u16string& folder) const {
    return CheckInstallFolder(context_.session.Settings(), folder);
}

BOOL CLocationPage::OnInitDialog() {
    ::SendMessageW(Item(IDC_FOLDER), EM_LIMITTEXT, kMaxPath - 1, 0);
    SetItemText(IDC_FOLDER, ToWide(context_.session.InstallFolder()).c_str());
    return TRUE;
}

void CLocationPage::FolderChanged() {
    wchar_t text[kMaxPath] = L"";
    ::GetDlgItemTextW(Handle(), IDC_FOLDER, text, kMaxPath);
    const std::u16string folder = TrimSeparators(FromWide(text));
    const FolderCheck check = Validate(folder);
    const bool valid = check.verdict == FolderVerdict::Usable;
    if (valid) context_.session.SetInstallFolder(folder);
    free_ = valid ? check.freeBytes : 0;
    // A folder that holds someone else's files is refused with the reason and the first one found.
    const std::u16string refused =
        check.verdict == FolderVerdict::NotOurs
            ? Languages().Text("tNotOurs") + u" " + JoinPath(folder, check.foreign).value_or(folder)
            : std::u16string();
    SetItemText(IDC_FOLDER_REFUSED, ToWide(refused).c_str());
    const LanguageSet& l = Languages();
    const std::u16string available =
        free_ ? l.Text("tSpaceA") + u" " + SizeText(free_, l.Text("kb"), l.Text("mb"), l.Text("gb")) : std::u16string();
    SetItemText(IDC_SPACE_AVAILABLE, ToWide(available).c_str());
    if (next_.enabled != valid) {
        next_.enabled = valid;
        RefreshButtons();
    }
}

bool CLocationPage::OnShow() {
    // A folder chosen earlier may have become unusable since (a drive that went away).
    FolderChanged();
    uint64_t bytes = 0;
    for (const auto& component : context_.session.Components()) {
        if (component->Selected()) bytes += component->Size();
    }
    const LanguageSet& l = Languages();
    SetItemText(IDC_SPACE_REQUIRED,
                ToWide(l.Text("tSpaceR") + u" " + SizeText(bytes, l.Text("kb"), l.Text("mb"), l.Text("gb"))).c_str());
    return CBasePage::OnShow();
}

bool CLocationPage::OnCommand(int id, int code, HWND) {
    if (id == IDC_FOLDER && code == EN_CHANGE) {
        FolderChanged();
        return true;
    }
    if (id == IDC_BROWSE && code == BN_CLICKED) {
        Browse();
        return true;
    }
    return false;
}

int CALLBACK CLocationPage::BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
    auto* page = reinterpret_cast<CLocationPage*>(data);
    try {
        if (message == BFFM_INITIALIZED) {
            const LanguageSet& l = page->Languages();
            ::SetWindowTextW(window, ToWide(l.Text("dlgBrowse")).c_str());
            for (int id : {14146, 14150, IDCANCEL}) {
                const std::u16string text = l.ItemText("dlgBrowse", std::to_string(id));
                if (!text.empty()) ::SetDlgItemTextW(window, id, ToWide(text).c_str());
            }
        } else if (message == BFFM_SELCHANGED) {
            // The product's folder goes below the one chosen, so only the path rules apply here.
            wchar_t path[MAX_PATH] = L"";
            const bool valid = ::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path) &&
                               page->Validate(FromWide(path)).verdict != FolderVerdict::Unusable;
            ::SendMessageW(window, BFFM_ENABLEOK, 0, valid);
        }
    } catch (...) {
    }
    return 0;
}

void CLocationPage::Browse() {
    BROWSEINFOW info{};
    info.hwndOwner = Handle();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    const CoTaskMem<ITEMIDLIST> chosen(::SHBrowseForFolderW(&info));
    if (!chosen) return;
    wchar_t path[MAX_PATH] = L"";
    if (!::SHGetPathFromIDListW(chosen.Get(), path)) return;
    const auto folder = JoinPath(FromWide(path), context_.session.Settings().DefaultFolder());
    if (folder) SetItemText(IDC_FOLDER, ToWide(*folder).c_str());
}

}  // namespace setup

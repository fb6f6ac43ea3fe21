#include "dialogs/AddTargetPages.h"

#include "dialogs/DlgAddTargetIds.h"
#include "dialogs/FolderChooser.h"
#include "platform/Text.h"
#include "skin/SkinPalette.h"
#include "skin/WindowText.h"

#include <commdlg.h>

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
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return ::GetOpenFileNameW(&ofn) ? Utf8FromWide(TrimNul(path)) : std::string();
}

std::string ChooseTargetFolder(HWND owner) { return ChooseFolder(owner, "Select folder"); }
}  // namespace

std::string CAddTargetPage::Text(int id) const {
    return window_text::Get(Item(id));
}

void CAddTargetPage::SetText(int id, const std::string& text) const { window_text::Set(Item(id), text); }

int CAddTargetPage::CheckedRoot() const {
    for (int i = 0; i < target_editor::kRootCount; ++i)
        if (::IsDlgButtonChecked(Hwnd(), IDC_ROOT_FIRST + i) == BST_CHECKED) return i;
    return -1;
}

void CAddTargetPage::CheckRoot(int index) const {
    for (int i = 0; i < target_editor::kRootCount; ++i)
        ::CheckDlgButton(Hwnd(), IDC_ROOT_FIRST + i, i == index ? BST_CHECKED : BST_UNCHECKED);
}

// The root radios check themselves here: the system's automatic radios (and CheckRadioButton)
// would reach into the editor's other pages and uncheck controls that share their ids.
bool CAddTargetPage::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (code != BN_CLICKED || id < IDC_ROOT_FIRST || id >= IDC_ROOT_FIRST + target_editor::kRootCount) return false;
    CheckRoot(id - IDC_ROOT_FIRST);
    return true;
}

void CAddTargetPage::AddRootFrame() { AddFrame(RECT{0, 8, 446, 66}, kFrameLine, kFrameCaption, kFrameRounded, "Select Root Key:"); }

// Kinds 1 to 3 ------------------------------------------------------------------------------------

CBrowsePage::CBrowsePage(UINT templateId, int pathId, int browseId, const char* browseTip, Chooser choose)
    : CAddTargetPage(templateId), pathId_(pathId), browseId_(browseId), browseTip_(browseTip), choose_(choose) {}

BOOL CBrowsePage::OnInitDialog() {
    CAddTargetPage::OnInitDialog();
    if (browse_.AttachItem(Hwnd(), browseId_)) AddToolTip(browseId_, browseTip_);
    AddFramedControl(pathId_);
    return FALSE;
}

bool CBrowsePage::OnCommand(WORD id, WORD code, HWND control) {
    if (id != browseId_ || code != BN_CLICKED) return CAddTargetPage::OnCommand(id, code, control);
    const std::string path = choose_(::GetAncestor(Hwnd(), GA_ROOT));
    if (!path.empty()) SetText(pathId_, path);
    return true;
}

// Kind 1 ------------------------------------------------------------------------------------------

CDlgAddFile::CDlgAddFile()
    : CBrowsePage(IDD_ADD_FILE, IDC_FILE_PATH, IDC_FILE_BROWSE, "Browse for the file", ChooseFile) {}

void CDlgAddFile::Fill(const target_editor::Fields& f) { SetText(IDC_FILE_PATH, f.file); }
void CDlgAddFile::Read(target_editor::Fields& f) const { f.file = Text(IDC_FILE_PATH); }

// Kinds 2 and 3 -----------------------------------------------------------------------------------

CDlgAddFolder::CDlgAddFolder(bool wildcard)
    : CBrowsePage(wildcard ? IDD_ADD_FILES : IDD_ADD_FOLDER, IDC_FOLDER_PATH, IDC_FOLDER_BROWSE,
                  "Browse for the folder", ChooseTargetFolder),
      wildcard_(wildcard) {}

BOOL CDlgAddFolder::OnInitDialog() {
    CBrowsePage::OnInitDialog();
    if (recurse_.AttachItem(Hwnd(), IDC_INCLUDE_SUBFOLDERS)) recurse_.SetChecked(true);
    if (wildcard_) AddFramedControl(IDC_WILDCARD);
    return FALSE;
}

void CDlgAddFolder::Fill(const target_editor::Fields& f) {
    SetText(IDC_FOLDER_PATH, f.folder);
    recurse_.SetChecked(f.recurse);
    if (wildcard_) SetText(IDC_WILDCARD, f.wildcard);
}

void CDlgAddFolder::Read(target_editor::Fields& f) const {
    f.folder = Text(IDC_FOLDER_PATH);
    f.recurse = recurse_.Checked();
    if (wildcard_) f.wildcard = Text(IDC_WILDCARD);
}

// Kind 4 ------------------------------------------------------------------------------------------

CDlgAddFolderReg::CDlgAddFolderReg() : CAddTargetPage(IDD_ADD_FOLDER_REG) {}

BOOL CDlgAddFolderReg::OnInitDialog() {
    CAddTargetPage::OnInitDialog();
    if (recurse_.AttachItem(Hwnd(), IDC_INCLUDE_SUBFOLDERS)) recurse_.SetChecked(true);
    AddRootFrame();
    AddFramedControl(IDC_SUB_KEY);
    AddFramedControl(IDC_VALUE_NAME);
    return FALSE;
}

void CDlgAddFolderReg::Fill(const target_editor::Fields& f) {
    CheckRoot(f.root);
    SetText(IDC_SUB_KEY, f.subKey);
    SetText(IDC_VALUE_NAME, f.valueName);
    recurse_.SetChecked(f.recurse);
}

void CDlgAddFolderReg::Read(target_editor::Fields& f) const {
    f.root = CheckedRoot();
    f.subKey = Text(IDC_SUB_KEY);
    f.valueName = Text(IDC_VALUE_NAME);
    f.recurse = recurse_.Checked();
}

// Kinds 5 and 6 -----------------------------------------------------------------------------------

CDlgAddRegValue::CDlgAddRegValue(bool valueName) : CAddTargetPage(IDD_ADD_REG_VALUE), valueName_(valueName) {}

BOOL CDlgAddRegValue::OnInitDialog() {
    CAddTargetPage::OnInitDialog();
    AddRootFrame();
    AddFramedControl(IDC_SUB_KEY);
    if (valueName_)
        AddFramedControl(IDC_VALUE_NAME);
    else
        ShowItems({IDC_VALUE_NAME_LABEL, IDC_VALUE_NAME}, false);
    return FALSE;
}

void CDlgAddRegValue::Fill(const target_editor::Fields& f) {
    CheckRoot(f.root);
    SetText(IDC_SUB_KEY, f.subKey);
    if (valueName_) SetText(IDC_VALUE_NAME, f.valueName);
}

void CDlgAddRegValue::Read(target_editor::Fields& f) const {
    f.root = CheckedRoot();
    f.subKey = Text(IDC_SUB_KEY);
    if (valueName_) f.valueName = Text(IDC_VALUE_NAME);
}

#include "dialogs/DlgAddTarget.h"

#include "dialogs/DlgAddTargetIds.h"
#include "engine/EntryFactory.h"
#include "engine/EntryPath.h"
#include "engine/FolderGuard.h"
#include "engine/WalkRootGuard.h"
#include "platform/Text.h"
#include "res/ResourceIds.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"
#include "targets/Target.h"

namespace {
constexpr COLORREF kFrameLine = RGB(100, 100, 150);
constexpr COLORREF kFrameCaption = RGB(0, 60, 116);
constexpr int kKindIds[6] = {IDC_KIND_FILE, IDC_KIND_FOLDER, IDC_KIND_FILES,
                             IDC_KIND_FOLDER_REG, IDC_KIND_REG_VALUE, IDC_KIND_REG_KEY};
}  // namespace

CDlgAddTarget::CDlgAddTarget() : CMyDialog(IDD_ADD_TARGET), editing_(false) {
    SetPixelTemplate(true);
    pages_[0] = std::make_unique<CDlgAddFile>();
    pages_[1] = std::make_unique<CDlgAddFolder>();
    pages_[2] = std::make_unique<CDlgAddFiles>();
    pages_[3] = std::make_unique<CDlgAddFolderReg>();
    pages_[4] = std::make_unique<CDlgAddRegValue>(true);
    pages_[5] = std::make_unique<CDlgAddRegValue>(false);
}

CDlgAddTarget::CDlgAddTarget(const std::string& name, bool active, const EntryRecord* first) : CDlgAddTarget() {
    editing_ = true;
    fields_.name = name;
    fields_.active = active;
    if (first && first->kind >= 1 && first->kind <= 6) target_editor::FillFrom(*first, fields_);
}

CDlgAddTarget::~CDlgAddTarget() = default;

std::unique_ptr<Target> CDlgAddTarget::TakeResult() { return std::move(result_); }

CAddTargetPage& CDlgAddTarget::PageOf(int kind) const { return *pages_[kind >= 1 && kind <= 6 ? kind - 1 : 0]; }

BOOL CDlgAddTarget::OnInitDialog() {
    CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    window_text::Set(hwnd, editing_ ? "Edit Target" : "Add Target to Kill");
    const HFONT font = SkinResources::Get().Font(SkinFont::Normal);
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    window_text::Set(Item(IDC_TARGET_NAME), fields_.name);
    if (active_.AttachItem(hwnd, IDC_IS_ACTIVE)) active_.SetChecked(editing_ ? fields_.active : true);
    if (ok_.AttachItem(hwnd, IDOK)) AddToolTip(IDOK, "Save the target");
    if (cancel_.AttachItem(hwnd, IDCANCEL)) AddToolTip(IDCANCEL, "Close without saving the target");
    if (help_.AttachItem(hwnd, IDC_EDITOR_HELP)) {
        (void)help_.SetIcon(IDB_HELP_LINK);
        AddToolTip(IDC_EDITOR_HELP, "Help");
    }
    AddFramedControl(IDC_TARGET_NAME);
    AddFrame(RECT{20, 44, 500, 88}, kFrameLine, kFrameCaption, kFrameRounded,
             "Enter the name of Target (maximum 32 characters):");
    AddFrame(RECT{20, 100, 500, 132}, kFrameLine, kFrameCaption, kFrameRounded, "Is Target Active:");
    AddFrame(RECT{20, 144, 500, 262}, kFrameLine, kFrameCaption, kFrameRounded, "Select Target type:");
    AddFrame(RECT{20, 270, 500, 480}, kFrameLine, kFrameCaption, kFrameRounded,
             "Target Properties ( Fill in all fields and click \"OK\" ):");
    SetHelpTopic("custom.html");

    // Every page starts empty ("Include Subfolders" ticked); the one of the target's kind shows it.
    const int kind = editing_ ? fields_.kind : 1;
    for (int k = 1; k <= 6; ++k) {
        CAddTargetPage& page = PageOf(k);
        if (!page.CreatePage(hwnd, kPageX, kPageY)) continue;
        if (editing_ && k == kind) page.Fill(fields_);
    }
    ShowKind(kind);
    return TRUE;
}

// The kind radios are checked here, by the editor's own ids: the system's automatic radios and
// CheckRadioButton would also reach the controls of the pages that share these ids.
void CDlgAddTarget::ShowKind(int kind) {
    for (int k = 1; k <= 6; ++k) ::CheckDlgButton(Hwnd(), kKindIds[k - 1], k == kind ? BST_CHECKED : BST_UNCHECKED);
    if (kind == kind_) return;
    for (int k = 1; k <= 6; ++k)
        if (PageOf(k).Hwnd()) ::ShowWindow(PageOf(k).Hwnd(), k == kind ? SW_SHOW : SW_HIDE);
    kind_ = kind;
}

bool CDlgAddTarget::OnCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED) {
        for (int k = 1; k <= 6; ++k) {
            if (id != kKindIds[k - 1]) continue;
            ShowKind(k);
            return true;
        }
        if (id == IDC_EDITOR_HELP) {
            (void)ShowHelp();
            return true;
        }
    }
    return CMyDialog::OnCommand(id, code, control);
}

bool CDlgAddTarget::OnHelp() { return ShowHelp(); }

void CDlgAddTarget::Tell(const std::string& text, UINT icon) const {
    window_text::Message(Hwnd(), text, "Tracelorn", MB_OK | icon);
}

std::string CDlgAddTarget::Refusal(const EntryRecord& entry, const EntryVerdict& verdict) {
    if (entry.IsRegistryKind()) return target_editor::RefusedRegistryMessage(entry);
    std::string path = verdict.path.empty() ? ResolveEntryPath(entry) : verdict.path;
    if (path.empty()) path = entry.path;
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (!verdict.place.empty())
        return target_editor::RefusedPlaceMessage(
            path, verdict.place, MachineProtectedSet().PlaceOf(path).kind == PlaceKind::KeyMaterial);
    // Folder kinds: name the folder as the walk would see it.
    const std::string canonical = CanonicalPath(path);
    const bool root = WalkRootGuard::IsVolumeRoot(path) || (!canonical.empty() && WalkRootGuard::IsVolumeRoot(canonical));
    return target_editor::RefusedFolderMessage(path, root);
}

bool CDlgAddTarget::ConfirmUserFiles(const EntryRecord& entry, const EntryVerdict& verdict) const {
    const std::string text = target_editor::ConfirmUserFilesMessage(entry, verdict.path, verdict.place);
    return ::MessageBoxW(Hwnd(), WideFromUtf8(text).c_str(), L"Tracelorn",
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CDlgAddTarget::OnOK() {
    target_editor::Fields fields;
    fields.name = window_text::Get(Item(IDC_TARGET_NAME));
    fields.active = active_.Checked();
    fields.kind = kind_;
    PageOf(kind_).Read(fields);
    const std::string problem = target_editor::Check(fields);
    if (!problem.empty()) {
        Tell(problem, MB_ICONINFORMATION);
        return;
    }
    const std::string unstorable = target_editor::CheckStoredForm(fields, [](const std::string& text) {
        std::string stored;
        return AnsiFromUtf8(text, stored);
    });
    if (!unstorable.empty()) {
        Tell(unstorable, MB_ICONWARNING);
        return;
    }
    EntryRecord entry = target_editor::BuildEntry(fields);
    EntryVerdict verdict = JudgeEntryHere(entry, EntrySource::CustomTarget);
    if (!verdict.allowed && verdict.needsConfirmation) {
        // The confirmation is stored with the target; the editor asks again whenever it saves one.
        if (!ConfirmUserFiles(entry, verdict)) return;
        entry.confirmed = true;
        verdict = JudgeEntryHere(entry, EntrySource::CustomTarget);
    }
    if (!verdict.allowed) {
        Tell(Refusal(entry, verdict), MB_ICONWARNING);
        return;
    }
    std::unique_ptr<RemEntry> working = MakeEntry(entry, EntrySource::CustomTarget);
    if (!working) {
        Tell(target_editor::kFieldsEmpty, MB_ICONINFORMATION);
        return;
    }
    result_ = std::make_unique<Target>(fields.name, std::string());
    result_->SetSelected(fields.active);
    result_->AddEntry(std::move(working));
    CMyDialog::OnOK();
}

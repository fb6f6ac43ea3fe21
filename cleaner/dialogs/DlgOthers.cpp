#include "dialogs/DlgOthers.h"

#include "dialogs/LockedControl.h"
#include "dialogs/OptionsRules.h"
#include "engine/KillSettings.h"
#include "engine/VolumeMedia.h"
#include "platform/ProgramFolder.h"
#include "platform/Text.h"
#include "skin/SkinPalette.h"
#include "targets/TargetCatalog.h"

namespace {
constexpr COLORREF kFrameLine = RGB(100, 100, 150);
constexpr COLORREF kFrameCaption = RGB(0, 60, 116);

// The program's own volume or the system's: where the traces a Kill removes mostly live.
bool SystemHasSolidState() {
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const std::string systemFolder = length > 0 && length < MAX_PATH ? Utf8FromWide(system) + "\\" : std::string();
    const std::string programFolder = ExecutableFolder();
    return (!programFolder.empty() && volume_media::AskSolidState(programFolder)) ||
           (!systemFolder.empty() && volume_media::AskSolidState(systemFolder));
}
}  // namespace

CDlgOthers::CDlgOthers(TargetCatalog& catalog, UpdateOpener openUpdate)
    : COptionsPage(IDD_OTHERS), catalog_(catalog), openUpdate_(std::move(openUpdate)) {}

BOOL CDlgOthers::OnInitDialog() {
    COptionsPage::OnInitDialog();
    HWND page = Hwnd();
    const CleanerSettings& s = catalog_.Settings();
    AttachCheckBoxes({
        {autoStart_, IDC_AUTO_START, s.autoStart, "Automatically starts Tracelorn when Windows starts"},
        {notify_, IDC_NOTIFY_WHEN_START, s.notifyWhenStart, "Shows notifycation tooltip when starts"},
        {secDel_, IDC_SEC_DEL, kill_settings::SecureDelete(), "Enables file delete security"},
        {skipSsd_, IDC_SKIP_SSD, kill_settings::SkipOverwriteOnSolidState(),
         "On solid-state drives, deletes without overwriting: an overwrite cannot reach the old flash cells"},
        {autoUpdate_, IDC_AUTO_UPDATE, s.autoUpdate, "Enables Tracelorn AutoUpdate"},
        {updateNotify_, IDC_AUTO_UPDATE_NOTIFY, s.autoUpdateNotify, "Shows AutoUpdate Result in SysTray"},
        {toolTips_, IDC_SHOW_TOOLTIPS, s.showToolTips, "Shows ToolTips"},
    });
    if (updateNow_.AttachItem(page, IDC_UPDATE_NOW)) AddToolTip(IDC_UPDATE_NOW, "Update NOW!");

    using namespace options_rules;
    ::CheckRadioButton(page, IDC_SCAN_SLOW, IDC_SCAN_FAST, IDC_SCAN_SLOW + SpeedIndex(s.scanTime));
    ::CheckRadioButton(page, IDC_KILL_SLOW, IDC_KILL_FAST, IDC_KILL_SLOW + SpeedIndex(s.killTime));
    ::CheckRadioButton(page, IDC_LEVEL_LOW, IDC_LEVEL_EXTREME,
                       IDC_LEVEL_LOW + SecurityLevel(kill_settings::Passes()));
    const MachinePolicy& policy = catalog_.Policy();
    if (policy.autoStart) LockControls(*this, {IDC_AUTO_START});
    if (policy.secDel) LockControls(*this, {IDC_SEC_DEL});
    if (policy.skipOverwriteSolidState) LockControls(*this, {IDC_SKIP_SSD});
    if (policy.delRep)
        LockControls(*this, {IDC_LEVEL_LOW, IDC_LEVEL_MEDIUM, IDC_LEVEL_HIGH, IDC_LEVEL_VERY_HIGH, IDC_LEVEL_EXTREME});
    if (policy.autoUpdate) LockControls(*this, {IDC_AUTO_UPDATE});

    // Group frames in page pixels; their captions interrupt the top edges.
    AddFrame(RECT{10, 8, 436, 52}, kFrameLine, kFrameCaption, kFrameRounded, "Start Options:");
    AddFrame(RECT{10, 58, 436, 104}, kFrameLine, kFrameCaption, kFrameRounded, "Action Speed in Iconic mode:");
    AddFrame(RECT{10, 108, 436, 238}, kFrameLine, kFrameCaption, kFrameRounded, "Security Level:");
    AddFrame(RECT{26, 134, 420, 164}, kFrameLine, kFrameCaption, 0, "Security level (low level works faster):");
    AddFrame(RECT{10, 242, 436, 292}, kFrameLine, kFrameCaption, kFrameRounded, "Update Options:");
    if (SystemHasSolidState()) ::ShowWindow(Item(IDC_SSD_NOTE), SW_SHOWNA);
    SetHelpTopic("settings.html");
    return FALSE;
}

bool CDlgOthers::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (id != IDC_UPDATE_NOW || code != BN_CLICKED) return false;
    // At once and modal over the Options dialog, which stays disabled until it closes.
    if (openUpdate_) openUpdate_(::GetAncestor(Hwnd(), GA_ROOT));
    return true;
}

int CDlgOthers::CheckedRadio(int first, int count) const {
    for (int i = 0; i < count; ++i)
        if (::IsDlgButtonChecked(Hwnd(), first + i) == BST_CHECKED) return i;
    return -1;
}

void CDlgOthers::Apply() {
    CleanerSettings& s = catalog_.Settings();
    s.notifyWhenStart = notify_.Checked();
    s.autoStart = autoStart_.Checked();
    kill_settings::SetSecureDelete(secDel_.Checked());
    kill_settings::SetSkipOverwriteOnSolidState(skipSsd_.Checked());
    s.autoUpdate = autoUpdate_.Checked();
    s.autoUpdateNotify = updateNotify_.Checked();
    s.showToolTips = toolTips_.Checked();

    using namespace options_rules;
    // A group without a checked radio keeps what it showed at opening: Normal stays Normal.
    const int scan = CheckedRadio(IDC_SCAN_SLOW, 3);
    const int kill = CheckedRadio(IDC_KILL_SLOW, 3);
    const int level = CheckedRadio(IDC_LEVEL_LOW, 5);
    s.scanTime = PauseFor(scan >= 0 ? scan : SpeedIndex(s.scanTime));
    s.killTime = PauseFor(kill >= 0 ? kill : SpeedIndex(s.killTime));
    kill_settings::SetPasses(PassesFor(level >= 0 ? level : SecurityLevel(kill_settings::Passes())));
    // A level stands for an odd pass count; a forced even count must not drift to the next one.
    catalog_.Policy().ApplyTo(catalog_);
    // Every open dialog follows the switch at once, not only this one.
    CMyToolTipDialog::SetToolTipsEnabled(s.showToolTips);
}

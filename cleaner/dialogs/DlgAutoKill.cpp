#include "dialogs/DlgAutoKill.h"

#include "dialogs/LockedControl.h"
#include "dialogs/OptionsRules.h"
#include "platform/Text.h"
#include "skin/WindowText.h"
#include "targets/TargetCatalog.h"

#include <commdlg.h>

#include <vector>

namespace {
constexpr COLORREF kFrameLine = RGB(100, 100, 150);
constexpr COLORREF kFrameCaption = RGB(0, 60, 116);
}  // namespace

CDlgAutoKill::CDlgAutoKill(TargetCatalog& catalog, SoundPlayer playEndSound, FileChooser chooseProgram)
    : COptionsPage(IDD_AUTOKILL),
      catalog_(catalog),
      playEndSound_(std::move(playEndSound)),
      chooseProgram_(chooseProgram ? std::move(chooseProgram) : FileChooser(&CDlgAutoKill::ChooseProgram)) {}

BOOL CDlgAutoKill::OnInitDialog() {
    COptionsPage::OnInitDialog();
    HWND page = Hwnd();
    const CleanerSettings& s = catalog_.Settings();
    AttachCheckBoxes({
        {winStart_, IDC_AK_WIN_START, s.akWinStart, "Automatically do Kill action at Windows startup"},
        {browserClosed_, IDC_AK_BROWSER_CLOSED, s.akBrowserClosed,
         "Automatically do Kill action when you close last browser window"},
        {everyTime_, IDC_AK_EVERY_TIME, s.akEveryTime,
         "Automatically do Kill action when given time elapses at last Kill or Auto-Kill action time"},
        {appExit_, IDC_AK_APP_EXIT, s.akAppExit, "Automatically do Kill action after selected application exit"},
        {scan_, IDC_AK_SCAN, s.akScan, "Shows Auto-Kill progress information as tooltip in SysTray in Iconic Mode"},
        {summary_, IDC_AK_SUMMARY, s.akSummary,
         "Shows Auto-Kill summary information as tooltip in SysTray in Iconic Mode"},
        {soundEnd_, IDC_AK_SOUND_END, s.akSoundEnd, "Plays a sound when Auto-Kill action is finished"},
    });
    (void)browse_.AttachItem(page, IDC_AK_BROWSE);
    (void)test_.AttachItem(page, IDC_AK_TEST);

    HWND list = Item(IDC_AK_INTERVAL);
    for (const char* text : options_rules::kIntervalTexts)
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(options_rules::StoredInterval(s.akEveryTimeTime)), 0);

    HWND path = Item(IDC_AK_APP_PATH);
    ::SendMessageA(path, EM_LIMITTEXT, options_rules::kMaxAppPath, 0);
    window_text::Set(path, s.akAppExitName);
    AddFramedControl(path);

    AddFrame(RECT{10, 10, 436, 100}, kFrameLine, kFrameCaption, kFrameRounded, "Auto-Kill Scheduler:");
    AddFrame(RECT{10, 112, 436, 188}, kFrameLine, kFrameCaption, kFrameRounded, "Auto-Kill on application exit:");
    AddFrame(RECT{10, 200, 436, 296}, kFrameLine, kFrameCaption, kFrameRounded, "Auto-Kill action notifications:");
    UpdateEnabling();
    const MachinePolicy& policy = catalog_.Policy();
    if (policy.akWinStart) LockControls(*this, {IDC_AK_WIN_START});
    if (policy.akBrowserClosed) LockControls(*this, {IDC_AK_BROWSER_CLOSED});
    if (policy.akEveryTime) LockControls(*this, {IDC_AK_EVERY_TIME});
    if (policy.akAppExit) LockControls(*this, {IDC_AK_APP_EXIT});
    SetHelpTopic("autokill.html");
    return FALSE;
}

void CDlgAutoKill::UpdateEnabling() {
    EnableItems({IDC_AK_INTERVAL}, everyTime_.Checked());
    EnableItems({IDC_AK_APP_PATH, IDC_AK_BROWSE}, appExit_.Checked());
    // What the policy sets stays greyed whatever the box beside it shows.
    const MachinePolicy& policy = catalog_.Policy();
    if (policy.akEveryTimeTime) LockControls(*this, {IDC_AK_INTERVAL});
    if (policy.akAppExitName) LockControls(*this, {IDC_AK_APP_PATH, IDC_AK_BROWSE});
}

bool CDlgAutoKill::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_AK_EVERY_TIME:
    case IDC_AK_APP_EXIT:
        UpdateEnabling();
        return true;
    case IDC_AK_BROWSE: {
        if (!appExit_.Checked()) return true;
        const std::string chosen = chooseProgram_(::GetAncestor(Hwnd(), GA_ROOT));
        if (!chosen.empty()) window_text::Set(Item(IDC_AK_APP_PATH), options_rules::StoredAppPath(chosen));
        return true;
    }
    case IDC_AK_TEST:
        if (playEndSound_) playEndSound_();
        return true;
    default:
        return false;
    }
}

std::string CDlgAutoKill::PathText() const {
    return window_text::Get(Item(IDC_AK_APP_PATH));
}

void CDlgAutoKill::Apply() {
    CleanerSettings& s = catalog_.Settings();
    s.akWinStart = winStart_.Checked();
    s.akBrowserClosed = browserClosed_.Checked();
    s.akEveryTime = everyTime_.Checked();
    s.akAppExit = appExit_.Checked();
    s.akScan = scan_.Checked();
    s.akSummary = summary_.Checked();
    s.akSoundEnd = soundEnd_.Checked();
    const auto selection = ::SendMessageA(Item(IDC_AK_INTERVAL), CB_GETCURSEL, 0, 0);
    catalog_.SetAutoKillIntervalIndex(options_rules::StoredInterval(static_cast<int>(selection)));
    s.akAppExitName = options_rules::StoredAppPath(PathText());
    catalog_.Policy().ApplyTo(catalog_);
}

std::string CDlgAutoKill::ChooseProgram(HWND owner) {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    // "EXE files (*.exe)|*.exe||" in the dialog's own form: pairs of zero-terminated texts.
    ofn.lpstrFilter = L"EXE files (*.exe)\0*.exe\0\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&ofn)) return {};
    return Utf8FromWide(TrimNul(file));
}

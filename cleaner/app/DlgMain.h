#pragma once
#include "app/ActionDriver.h"
#include "app/RunLock.h"
#include "app/ActionWindow.h"
#include "app/ActionWindowBridge.h"
#include "targets/BannerFile.h"
#include "app/HelpViewer.h"
#include "app/MainSchedulerHost.h"
#include "app/MainTrayIcon.h"
#include "platform/GdiHandles.h"
#include "skin/BannerCtrl.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"
#include "skin/MyListBox.h"
#include "skin/MyProgressCtrl.h"
#include "skin/SkinResources.h"
#include "dialogs/TargetTreeImages.h"
#include "schedule/AutoKillScheduler.h"
#include "schedule/AutoUpdate.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class TargetCatalog;

// The main window: a skinned dialog from template 102 with the Scan, Kill and Stop buttons, the
// row of command buttons, the result list, the progress bar and the banner. It owns the tray icon,
// the skin objects every other window borrows, and the action driver, whose requests it carries
// out on its own thread through its bridge.
class CDlgMain : public CMyDialog, public ActionForm {
public:
    struct Options {
        std::string helpFile;       // full path of Tracelorn.chm
        std::string programFolder;  // where banner.qbf lives
        // Saves everything the exit saves (settings, selections, custom targets, totals): after
        // Options closes with OK, and when the session ends, before Windows ends the process.
        std::function<void()> saveAll;
        // The custom targets were changed in Options: they are written from now on even when the
        // start could not read the stored ones.
        std::function<void()> customTargetsChanged;
        // Shown once in a balloon when the window starts (instead of "I'm here..."); empty: none.
        std::string startNotice;
    };
    CDlgMain(TargetCatalog& catalog, Options options);
    ~CDlgMain() override;

    // Creates the window (hidden) and runs its message loop until Cancel after Exit; shows it
    // first only when `show`. Returns after the loop has ended, the window is destroyed and the
    // worker has ended.
    void RunModal(bool show);

    ActionDriver& Driver() { return driver_; }
    // The scheduler's Start Auto-Kill: nothing while an action runs or another dialog is open.
    void StartAutoKill();
    // The scheduler's automatic update: false when an update is already running.
    bool StartAutoUpdate();
    const CMainTrayIcon& Tray() const { return tray_; }
    // Options (tray menu "Options...", the Options button): one at a time, never during a run,
    // since the engine reads SecDel and DelRep while it works. Saves everything after OK.
    void OpenOptions();
    // About (tray menu "About", the About button): one at a time.
    void OpenAbout();
    // "Update NOW!" of the Settings page: the update dialog, modal over `owner`.
    void OpenUpdateDialog(HWND owner);
    // The details window of the target of a result line (double-click, "Details..."): nothing
    // while a run is in progress or for a line that names no target.
    void OpenDetails(int line);

    // ActionForm: on the window thread only (the bridge brings the worker's calls there).
    void ClearResultLines() override;
    void AddResultLine(const ResultLine& line) override;
    void DeleteLastResultLine() override;
    void RepaintResultList() override;
    bool IsShown() override;
    void ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) override;
    void ShowRunningForm(const std::string& stopCaption, int progressRange) override;
    void StepProgress() override;
    void ShowIdleForm() override;
    void Repaint() override;
    void PlayEndSound() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override {}
    void OnCancel() override;
    void OnTimer(UINT_PTR id) override;
    bool OnPaint() override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
    bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
    void OnDestroy() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void PaintContent(HDC dc, const RECT& client) override;

private:
    void OnClose();
    void OnTrayEvent(LPARAM event);
    // Stops a run and keeps the window thread answering the worker until the worker has ended.
    void EndRunAnsweringWorker();
    void OnSessionEnding(bool ending);
    void LayOutRow();
    void ToggleMode();
    void LoadBanner();
    void OpenBannerUrl();
    [[nodiscard]] int OtherDialogsOpen() const;
    // The catalogue index of the target a result line names; -1 for other lines.
    [[nodiscard]] int TargetOfLine(int line) const;
    void ShowResultMenu(LPARAM at);

    TargetCatalog& catalog_;
    Options options_;
    ActionWindowBridge bridge_;  // before the driver, which holds on to it
    RunLock runLock_;            // likewise
    ActionDriver driver_;
    CMainTrayIcon tray_;
    HelpViewer help_;
    AutoUpdate autoUpdate_;
    MainSchedulerHost schedulerHost_{*this};
    AutoKillScheduler scheduler_;  // timer 5
    bool exitRequested_ = false;
    bool loopEnded_ = false;
    int listClientWidth_ = 0;

    std::unique_ptr<SkinResources> skin_;
    std::unique_ptr<TargetTreeImages> treeImages_;  // the target trees' icons
    CMyStdButton scan_, kill_, stop_, options_button_, about_, hide_, exit_;
    CMyListBox list_;
    CMyProgressCtrl progress_;
    CBannerCtrl banner_;
    GdiBitmap header_, footer_;
    HICON icon_ = nullptr, smallIcon_ = nullptr;
    std::optional<Banner> shownBanner_;
};

#pragma once
#include "app/ActionDriver.h"
#include "app/ActionWindow.h"
#include "app/BannerFile.h"
#include "app/HelpViewer.h"
#include "app/MainTrayIcon.h"
#include "platform/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class TargetCatalog;

// The main window: a dialog from template 102 with the Scan, Kill and Stop buttons, the row of
// command buttons, the result list, the progress bar and the banner. It owns the tray icon and the
// action driver, and carries out the driver's requests on its own thread.
class CDlgMain : public ActionWindow {
public:
    struct Options {
        std::string helpFile;       // full path of Tracelorn.chm
        std::string programFolder;  // where banner.qbf lives
    };
    CDlgMain(TargetCatalog& catalog, Options options);
    ~CDlgMain() override;
    CDlgMain(const CDlgMain&) = delete;
    CDlgMain& operator=(const CDlgMain&) = delete;

    // Creates the window (hidden) and runs its message loop until Cancel after Exit. The window is
    // shown first only when `show`. Returns after the loop has ended and the window is destroyed;
    // the worker has ended by then.
    void RunModal(bool show);

    HWND Handle() const { return hwnd_; }
    ActionDriver& Driver() { return driver_; }
    // The scheduler's Start Auto-Kill: nothing while another dialog is open.
    void StartAutoKill();

    // ActionWindow: called on any thread, carried out on the window thread.
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
    void RunOnWindowThread(const std::function<void()>& work) override;
    void SendRunStopped() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wp, LPARAM lp);
    BOOL OnInitDialog();
    void OnCommand(int id);
    void OnTimer(UINT_PTR id);
    void OnClose();
    void OnCancel();
    void OnTrayEvent(LPARAM event);
    void OnShowWindow(bool shown);
    void OnPaint();
    void OnDestroy();
    void LayOutRow();
    void AddToolTip(int controlId, const char* text);
    void ToggleMode();
    void ShowHelp(const std::string& topic);
    void LoadBanner();
    void OpenBannerUrl();
    void MeasureResultLine(MEASUREITEMSTRUCT& item);
    void DrawResultLine(const DRAWITEMSTRUCT& item);
    void DrawBanner(const DRAWITEMSTRUCT& item);
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    int OtherDialogsOpen() const;

    TargetCatalog& catalog_;
    Options options_;
    ActionDriver driver_;
    CMainTrayIcon tray_;
    HelpViewer help_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    DWORD windowThread_ = 0;
    bool exitRequested_ = false;
    bool loopEnded_ = false;
    uint32_t elapsedMs_ = 0;  // scheduler clock: advanced by each tick of timer 5
    int listClientWidth_ = 0;

    // Skin objects of the window.
    GdiObject lightBrush_, listBrush_, listFont_, boldFont_, titleFont_;
    HICON icon_ = nullptr, smallIcon_ = nullptr;

    // The banner shown now: its file and image, and the frame counter.
    std::optional<Banner> banner_;
    GdiObject bannerImage_;
    int bannerFrameCounter_ = 0;
};

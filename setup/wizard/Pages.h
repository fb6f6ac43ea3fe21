#pragma once
// The wizard's pages. Each is a child dialog of the main window with its own template; the main
// window shows them in the order of the mode and takes the button states from the page shown.
#include "engine/FolderCheck.h"
#include "engine/Progress.h"
#include "engine/SetupSession.h"
#include "win/GdiHandles.h"
#include "win/Handles.h"
#include "win/Skin.h"
#include "wizard/Dialog.h"

#include <atomic>
#include <commctrl.h>
#include <string>

namespace setup {

// Private messages of the wizard.
constexpr UINT kWorkerDoneMessage = WM_APP + 1;  // to the main window: wParam is the WorkResult
constexpr UINT kStatusMessage = WM_APP + 2;      // to the installing page: wParam step, lParam text
constexpr UINT kRangeMessage = WM_APP + 3;       // to the installing page: wParam steps
constexpr UINT kRefreshButtonsMessage = WM_APP + 4;  // to the main window: the page's buttons changed

struct WizardContext {
    SetupSession& session;
    const Skin& skin;
    bool uninstall;
    HWND main = nullptr;
};

struct ButtonState {
    bool visible = true;
    bool enabled = true;
    int caption = 0;  // language item, looked up as number text
};

class CBasePage : public CDialog {
public:
    CBasePage(WizardContext& context, int dialogId, std::string key, bool header, ButtonState back, ButtonState next,
              ButtonState cancel, int focus)
        : context_(context), back_(back), next_(next), cancel_(cancel), dialogId_(dialogId), key_(std::move(key)),
          header_(header), focus_(focus) {}

    int DialogId() const { return dialogId_; }
    bool HasHeader() const { return header_; }
    // The language item: the page key, with "U" appended in uninstall mode.
    std::string Key() const { return context_.uninstall ? key_ + "U" : key_; }
    const ButtonState& Back() const { return back_; }
    const ButtonState& Next() const { return next_; }
    const ButtonState& Cancel() const { return cancel_; }
    std::u16string Title() const { return context_.session.Languages().Text(Key()); }
    std::u16string Description() const { return context_.session.Languages().Description(Key()); }

    virtual void Localise();
    // Returns whether the page set the focus itself.
    virtual bool OnShow();
    virtual void Resize(int /*width*/, int /*height*/) {}

protected:
    WizardContext& context_;
    const LanguageSet& Languages() const { return context_.session.Languages(); }
    ButtonState back_, next_, cancel_;
    // The main window's buttons follow the page; a page that changes its own state asks for it.
    void RefreshButtons() const { ::PostMessageW(context_.main, kRefreshButtonsMessage, 0, 0); }

private:
    int dialogId_;
    std::string key_;
    bool header_;
    int focus_;
};

// Welcome and finish: the skin's side picture, the "welcome" font, white backgrounds.
class CPicturePage : public CBasePage {
public:
    using CBasePage::CBasePage;
    void Resize(int width, int height) override;

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool finish_ = false;
};

class CStartPage : public CPicturePage {
public:
    explicit CStartPage(WizardContext& context);
};

class CFinishPage : public CPicturePage {
public:
    explicit CFinishPage(WizardContext& context);
    void Localise() override;
    bool OnShow() override;

protected:
    bool OnCommand(int id, int code, HWND control) override;
};

class CLicensePage : public CBasePage {
public:
    explicit CLicensePage(WizardContext& context);
    bool OnShow() override;

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
};

class CComponentsPage : public CBasePage {
public:
    explicit CComponentsPage(WizardContext& context);

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Toggle(HTREEITEM item);
    void Describe(HTREEITEM item);
    void ShowSpaceRequired();
    ImageList images_;
};

class CLocationPage : public CBasePage {
public:
    explicit CLocationPage(WizardContext& context);
    bool OnShow() override;
    // Whether the installation can use the folder (engine/FolderCheck.h), with the bytes free there.
    FolderCheck Validate(const std::u16string& folder) const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void FolderChanged();
    void Browse();
    static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
    uint64_t free_ = 0;
};

class CUninstallPage : public CBasePage {
public:
    explicit CUninstallPage(WizardContext& context);

protected:
    BOOL OnInitDialog() override;
};

class CInstallingPage : public CBasePage, public Progress {
public:
    explicit CInstallingPage(WizardContext& context);
    bool OnShow() override;
    void AllowNext();

    // Progress, called on the worker's thread.
    void SetRange(uint32_t steps) override;
    void Status(const std::u16string& line, bool step) override;
    void Finished(WorkResult result) override;

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    static DWORD WINAPI WorkerEntry(void* self);
    std::atomic<bool> started_{false};
    int steps_ = 0;
};

}  // namespace setup

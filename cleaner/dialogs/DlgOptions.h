#pragma once
// "Tracelorn Options" (template 131): the Targets, Auto-Kill, Settings, Excludes and Cookies to Keep
// pages behind five tab buttons, with OK, Cancel and Help. OK sends the pages their OK in order
// (Targets, Auto-Kill, Settings, Excludes, Cookies to Keep) and ends the dialog with IDOK, after
// which the caller saves; Cancel ends it without a word to the pages, so nothing changes.
//
// One Options dialog at a time: while one is open the process-wide pointer names it, and opening
// another brings that one to the front instead.
#include "dialogs/DlgAutoKill.h"
#include "dialogs/DlgCookiesToKeep.h"
#include "dialogs/DlgExcludes.h"
#include "dialogs/DlgOptionsIds.h"
#include "dialogs/DlgOthers.h"
#include "dialogs/DlgTargets.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"

#include <memory>

class TargetCatalog;

class CDlgOptions : public CMyDialog {
public:
    enum Tab : int { kTargets = 0, kAutoKill = 1, kSettings = 2, kExcludes = 3, kCookies = 4, kTabCount = 5 };

    // What the pages need from the program around them.
    struct Services {
        CDlgOthers::UpdateOpener openUpdate;     // "Update NOW!"
        CDlgAutoKill::SoundPlayer playEndSound;  // "Test"
        CDlgAutoKill::FileChooser chooseProgram; // "Browse" (default: the file-open dialog)
        CDlgTargets::CustomChanged customTargetsChanged;  // OK changed the custom targets
        CDlgExcludes::PathChooser chooseExclude;          // "Add File...", "Add Folder..."
        CDlgCookiesToKeep::SiteLister listCookieSites;    // the sites with cookies (default: the browsers')
    };

    CDlgOptions(TargetCatalog& catalog, Services services);
    ~CDlgOptions() override;

    // The open Options dialog, or none.
    static CDlgOptions* OpenDialog();
    // The current tab of the open (or last) Options dialog.
    static int CurrentTab();
    // Brings the open Options dialog to the front; false when none is open.
    static bool BringOpenToFront();

    COptionsPage& Page(int tab);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;
    void OnDestroy() override;
    bool OnHelp() override;

private:
    void ShowTab(int tab);

    std::unique_ptr<CDlgTargets> targets_;
    std::unique_ptr<CDlgAutoKill> autoKill_;
    std::unique_ptr<CDlgOthers> others_;
    std::unique_ptr<CDlgExcludes> excludes_;
    std::unique_ptr<CDlgCookiesToKeep> cookies_;
    CMyTabButton tabs_[kTabCount];
    CMyStdButton ok_, cancel_;
    CLinkButton help_;
};

#pragma once
// The Auto-Kill page of the Options dialog (template 140): the triggers, the watched program and
// the notifications of an Auto-Kill. "Test" plays the end sound through the player it is given.
#include "dialogs/DlgAutoKillIds.h"
#include "dialogs/OptionsPage.h"
#include "skin/MyButton.h"

#include <functional>
#include <string>

class TargetCatalog;

class CDlgAutoKill : public COptionsPage {
public:
    using SoundPlayer = std::function<void()>;
    // Asks the user for a program; empty when nothing was chosen.
    using FileChooser = std::function<std::string(HWND owner)>;
    CDlgAutoKill(TargetCatalog& catalog, SoundPlayer playEndSound, FileChooser chooseProgram = {});

    // The file-open dialog for *.exe files that Browse shows by default.
    static std::string ChooseProgram(HWND owner);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void Apply() override;

private:
    void UpdateEnabling();
    std::string PathText() const;

    TargetCatalog& catalog_;
    SoundPlayer playEndSound_;
    FileChooser chooseProgram_;
    CMyCheckBox winStart_, browserClosed_, everyTime_, appExit_, scan_, summary_, soundEnd_;
    CMyStdButton browse_, test_;
};

#pragma once
// The custom target editor (template 142): a name, "Is Active" and exactly one removal entry of one
// of the six kinds, filled in on the kind's property page. OK checks the name and the page's
// fields, then the engine's safety rules (the same function the plug-in loader uses), and only
// then builds the new target: a target the editor accepts is one the loader keeps and the engine
// works. Cancel gives no result.
#include "dialogs/AddTargetPages.h"
#include "dialogs/TargetEditorRules.h"
#include "engine/EntryTrust.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"

#include <memory>
#include <string>

class Target;

class CDlgAddTarget : public CMyDialog {
public:
    // Adding a new target.
    CDlgAddTarget();
    // Editing: the target's name, the initial "Is Active" and its first entry (none, or a kind
    // outside 1 to 6, opens as a new single-file entry).
    CDlgAddTarget(const std::string& name, bool active, const EntryRecord* first);
    ~CDlgAddTarget() override;

    // The target built by OK; none after Cancel.
    std::unique_ptr<Target> TakeResult();

    static constexpr int kPageX = 36;
    static constexpr int kPageY = 278;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;
    bool OnHelp() override;

private:
    void ShowKind(int kind);
    CAddTargetPage& PageOf(int kind) const;
    // The trust rule's refusal as a message naming why.
    static std::string Refusal(const EntryRecord& entry, const EntryVerdict& verdict);
    // A walk among the user's own files: shows what lies there and asks; true when confirmed.
    bool ConfirmUserFiles(const EntryRecord& entry, const EntryVerdict& verdict) const;
    void Tell(const std::string& text, UINT icon) const;

    bool editing_;
    target_editor::Fields fields_;
    std::unique_ptr<CAddTargetPage> pages_[6];
    CMyCheckBox active_;
    CMyStdButton ok_, cancel_;
    CLinkButton help_;
    int kind_ = 0;
    std::unique_ptr<Target> result_;
};

#pragma once
// The six property pages of the custom target editor, one per kind, placed at one spot inside
// the editor's last frame: CDlgAddFile (kind 1, template 144), CDlgAddFolder (2, 145),
// CDlgAddFiles (3, 146), CDlgAddFolderReg (4, 147) and CDlgAddRegValue (5 with the value name,
// 6 without, template 148). Each fills its fields from the editor's Fields and reads them back.
#include "dialogs/ChildPage.h"
#include "dialogs/TargetEditorRules.h"
#include "skin/MyButton.h"

#include <string>

class CAddTargetPage : public CChildPage {
public:
    explicit CAddTargetPage(UINT templateId) : CChildPage(templateId) {}
    virtual void Fill(const target_editor::Fields& fields) = 0;
    virtual void Read(target_editor::Fields& fields) const = 0;

protected:
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override {}      // the editor decides
    void OnCancel() override {}
    std::string Text(int id) const;
    void SetText(int id, const std::string& text) const;
    // Root radios 1080-1084 (and their frame): the checked index, -1 for none.
    int CheckedRoot() const;
    void CheckRoot(int index) const;
    void AddRootFrame();
};

// Kinds 1 to 3: a path field with a "Browse" button that fills it from a chooser.
class CBrowsePage : public CAddTargetPage {
protected:
    // Asks the user for a path; empty when cancelled.
    using Chooser = std::string (*)(HWND owner);
    CBrowsePage(UINT templateId, int pathId, int browseId, const char* browseTip, Chooser choose);
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    int pathId_;
    int browseId_;
    const char* browseTip_;
    Chooser choose_;
    CMyStdButton browse_;
};

class CDlgAddFile : public CBrowsePage {
public:
    CDlgAddFile();
    void Fill(const target_editor::Fields& fields) override;
    void Read(target_editor::Fields& fields) const override;
};

// Kinds 2 and 3: a folder with "Browse" and "Include Subfolders", and for kind 3 the wildcard.
class CDlgAddFolder : public CBrowsePage {
public:
    explicit CDlgAddFolder(bool wildcard = false);
    void Fill(const target_editor::Fields& fields) override;
    void Read(target_editor::Fields& fields) const override;

protected:
    BOOL OnInitDialog() override;

private:
    bool wildcard_;
    CMyCheckBox recurse_;
};

class CDlgAddFiles : public CDlgAddFolder {
public:
    CDlgAddFiles() : CDlgAddFolder(true) {}
};

class CDlgAddFolderReg : public CAddTargetPage {
public:
    CDlgAddFolderReg();
    void Fill(const target_editor::Fields& fields) override;
    void Read(target_editor::Fields& fields) const override;

protected:
    BOOL OnInitDialog() override;

private:
    CMyCheckBox recurse_;
};

// Kinds 5 and 6: root, sub-key and, for kind 5 only, the value name.
class CDlgAddRegValue : public CAddTargetPage {
public:
    explicit CDlgAddRegValue(bool valueName);
    void Fill(const target_editor::Fields& fields) override;
    void Read(target_editor::Fields& fields) const override;

protected:
    BOOL OnInitDialog() override;

private:
    bool valueName_;
};

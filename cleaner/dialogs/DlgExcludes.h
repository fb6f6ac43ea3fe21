#pragma once
// The Excludes page of the Options dialog (template 151): the files, folders and registry keys no
// Scan or Kill touches, stored under the settings key's "Excludes". Add and Remove change the
// page's list only; OK writes the changes, Cancel forgets them. The policy's excludes are listed
// first and cannot be removed here.
#include "dialogs/DlgExcludesIds.h"
#include "dialogs/OptionsPage.h"
#include "engine/ExcludeStore.h"
#include "skin/MyButton.h"

#include <functional>
#include <string>
#include <vector>

class TargetCatalog;

class CDlgExcludes : public COptionsPage {
public:
    // Asks the user for a file (folder false) or a folder; empty when nothing was chosen.
    using PathChooser = std::function<std::string(HWND owner, bool folder)>;
    CDlgExcludes(TargetCatalog& catalog, PathChooser choose = {});

    // The file-open dialog, or the folder browser.
    static std::string ChoosePath(HWND owner, bool folder);
    // The line the list shows for an exclude.
    static std::string LineOf(const Exclude& exclude);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void Apply() override;

private:
    void Fill();
    void AddChosen(bool folder);
    void RemoveSelected();

    TargetCatalog& catalog_;
    PathChooser choose_;
    std::vector<Exclude> policy_;                       // the administrator's, listed first
    std::vector<exclude_store::StoredEntry> entries_;  // as the list shows them; new ones unnamed
    std::vector<std::string> removed_;                 // value names to delete on OK
    CMyStdButton addFile_, addFolder_, remove_;
};

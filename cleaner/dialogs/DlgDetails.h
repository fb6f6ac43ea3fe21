#pragma once
// The details window of one target (template 160): everything that target's Kill would remove, as
// its Scan finds it again now, one line per file, registry value or key, database table or
// special store. A virtual list sorted by size (any column on a click, again to reverse), a
// filter over folder and name that applies as the user types, and "Never remove this" (the
// selected files or keys) and "Never remove this folder" (the folders of the selected files),
// stored as the Excludes page stores them.
//
// The Scan runs on a worker of the window while it is open and stops when it closes. The window
// is modal over the main window, whose owner claims the run exclusion for as long as it shows,
// so no Scan or Kill of this or another process runs beside it.
#include "dialogs/DlgDetailsCollector.h"
#include "dialogs/DlgDetailsIds.h"
#include "dialogs/DlgDetailsTable.h"
#include "engine/ExcludeList.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"
#include "skin/MyStatic.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

class TargetCatalog;

class CDlgDetails : public CMyDialog {
public:
    // `refusal` non-empty: nothing is collected and the window says why.
    CDlgDetails(TargetCatalog& catalog, size_t targetIndex, std::string refusal = {});
    ~CDlgDetails() override;

    // The title for a target.
    static std::string TitleFor(const std::string& targetName);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnCancel() override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void SetUpList();
    void StartCollecting();
    void TakeBatch();
    void ShowCount();
    void ShowSortMark();
    void OnDisplayInfo(NMLVDISPINFOW& info);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void ShowContextMenu(LPARAM at);
    void UpdateButtons();
    // The lines of the selected rows.
    std::vector<uint32_t> SelectedLines() const;
    void Reselect(const std::vector<uint32_t>& lines);
    void KeepSelected(bool folders);

    TargetCatalog& catalog_;
    size_t targetIndex_;
    std::string refusal_;
    CDetailsTable table_;
    std::unique_ptr<CDetailsCollector> collector_;  // made once the window exists
    ExcludeList added_;                        // kept by this window: later batches drop them too
    bool collecting_ = false;
    std::wstring cell_;                        // the text handed to the list for one cell
    CMyStdButton keep_, keepFolder_, close_;
    CMyStatic status_;
};

#pragma once
#include "dialogs/DlgUpdateIds.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"
#include "skin/MyProgressCtrl.h"
#include "skin/MyStatic.h"

#include <windows.h>

#include <cstdint>
#include <string>

class TargetCatalog;

// "Update Tracelorn" (template 150): runs one update on demand and shows how it goes. Opening it
// stops an automatic update that is running and waits for its worker to end, so two updates never
// run at once. Cancel (or Enter) while the update runs stops it; Cancel or OK afterwards closes.
class CDlgUpdate : public CMyDialog {
public:
    explicit CDlgUpdate(TargetCatalog& catalog);

    // Whether the update is still running as far as the dialog is concerned.
    bool UpdateRunning() const { return running_; }
    uint32_t FilesBegun() const { return begun_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Close(IDOK); }
    void OnCancel() override { Close(IDCANCEL); }
    void OnDestroy() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void OnNotification(uint32_t code, LPARAM value);
    void Close(INT_PTR result);
    void ShowEnded(const std::string& text);
    void SetStatus(const std::string& text);

    static constexpr int kUnitsPerFile = 1000;  // the bar's range per file: progress within it

    TargetCatalog& catalog_;
    CMyStdButton ok_, cancel_;
    CMyStatic status_;
    CMyProgressCtrl bar_;
    bool running_ = false;
    uint32_t total_ = 0;
    uint32_t begun_ = 0;
};

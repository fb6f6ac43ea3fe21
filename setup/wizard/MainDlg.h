#pragma once
// The wizard's main window: the header band, the pages of the mode in order, and Back, Next and
// Cancel, whose states follow the page shown.
#include "wizard/Pages.h"

#include <memory>
#include <vector>

namespace setup {

class CMainDlg : public CDialog {
public:
    CMainDlg(SetupSession& session, const Skin& skin);
    // Runs the wizard; returns the exit code (success, cancelled or failed).
    int Run();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    class Header : public CDialog {
    public:
        explicit Header(const Skin& skin) : skin_(skin) {}

    protected:
        BOOL OnInitDialog() override;
        INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    private:
        const Skin& skin_;
    };

    void Layout();
    void ShowPage(size_t index);
    void ApplyButtons();
    void Cancel();
    int OutcomeCode() const;

    WizardContext context_;
    Header header_;
    std::vector<std::unique_ptr<CBasePage>> pages_;
    size_t current_ = 0;
    size_t installing_ = 0;
};

}  // namespace setup

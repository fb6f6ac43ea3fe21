#pragma once
// CMyDialog: the skinned window. A borderless dialog (the template gives WS_POPUP without a
// caption) with a rounded region, painted title and bottom bands, gradient edges, an outline, its
// title in bold, the frames of CMyToolTipDialog, a close button (IDC_SKIN_CLOSE) in the top right corner
// that sends the dialog a Cancel, and dragging by the title band. Every open CMyDialog is in a
// global list in the order of creation.
#include "res/ResourceIds.h"
#include "skin/MyButton.h"
#include "skin/MyToolTipDialog.h"

#include <vector>

class CMyDialog : public CMyToolTipDialog {
public:
    static constexpr int kCloseButtonId = IDC_SKIN_CLOSE;

    using CMyToolTipDialog::CMyToolTipDialog;
    ~CMyDialog() override;

    // Open skinned dialogs, oldest first; the main window is the first.
    static const std::vector<CMyDialog*>& OpenDialogs();
    static size_t OpenCount() { return OpenDialogs().size(); }
    // Brings the most recently created open dialog to the foreground (tray icon clicks).
    static void BringLastToFront();

    // Draws the rounded inner panel (20, 60)-(width - 20, height - 50) as well.
    void SetInnerPanel(bool on) { innerPanel_ = on; }
    // Paints the skin (edges, bands, outline, panel, title, frames) into dc, for WM_PAINT and for
    // pages that ask for their parent's background.
    void PaintSkin(HDC dc);
    bool IsActive() const { return active_; }
    bool IsDragging() const { return dragging_; }
    CMyStdButton& CloseButton() { return close_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnPaint() override;
    bool OnEraseBackground(HDC dc) override;
    bool OnMouse(UINT message, WPARAM keys, POINT point) override;
    void OnActivate(bool active) override;
    void OnSize(int width, int height) override;
    void OnDestroy() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // Extra painting of a derived window after the skin and before the frames (pictures, ...).
    virtual void PaintContent(HDC dc, const RECT& client) { (void)dc; (void)client; }

private:
    void RemoveSystemFrame();
    void ApplyRegion();
    void RepaintBands();

    CMyStdButton close_;
    bool innerPanel_ = false;
    bool active_ = true;
    bool dragging_ = false;
    POINT dragStart_{};
};

#pragma once
// The progress bar, painted by the program: the filled part a left-to-right gradient, the rest the
// list colour, a 1-pixel border in the non-client area. Range and position are the standard
// progress messages (PBM_SETRANGE32, PBM_SETPOS, PBM_STEPIT, ...).
#include "skin/PaintedWnd.h"

class CMyProgressCtrl : public CPaintedWnd {
public:
    // Hooks an existing progress bar and gives it the 1-pixel border.
    [[nodiscard]] bool AttachItem(HWND dialog, int id);
    [[nodiscard]] bool AttachWindow(HWND control);

    void SetRange(int lower, int upper);
    void SetPos(int position);
    void SetStep(int step);
    void StepIt();
    int Pos() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;
    void PaintClient(HDC dc) override;

private:
    void PaintBorder();
};

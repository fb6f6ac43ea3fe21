#pragma once
// The tab buttons of the Targets tab: rounded rectangles, filled dark with light text while their
// page is shown, light with dark text otherwise, with the skin's hover ring.
#include "skin/MyButton.h"

class CTargetTab : public CMyStdButton {
public:
    void SetCurrent(bool current);
    bool IsCurrent() const { return current_; }

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    bool current_ = false;
};

#pragma once
// The skinned buttons. Each hooks a "Button" window through CSubclassWnd, gives it the owner-draw
// style (so the system draws nothing) and paints it itself on WM_PAINT, double-buffered; state
// changes (press, focus, enable, hover) repaint it. The hand cursor is shown over every skinned
// button. The parent sees the usual BN_CLICKED commands.
#include "skin/ImageStrip.h"
#include "skin/PaintedWnd.h"

#include <string>

class CMyButton : public CPaintedWnd {
public:
    // Hooks an existing button of a dialog; false when there is no such control.
    [[nodiscard]] bool AttachItem(HWND dialog, int id);
    // Creates a child button with this text and rectangle (parent client pixels) and hooks it.
    [[nodiscard]] bool Create(HWND parent, const char* text, const RECT& rect, UINT id,
                              DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);

    bool Hovered() const { return hover_; }
    bool Pressed() const;
    bool Focused() const;
    bool Enabled() const;
    std::string Text() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;
    // Paints the whole client rectangle into dc (a memory DC already filled with the light body
    // colour and set up with the skin's button font).
    virtual void Paint(HDC dc, const RECT& client) = 0;
    // Font for the text; the skin's bold 16.
    virtual HFONT TextFont() const;

    // Double-buffered: fills the body colour, selects the font and calls Paint.
    void PaintClient(HDC target) override;

private:
    bool hover_ = false;
};

// Owner-drawn push button: with an image strip it draws the frame that FrameIndex picks, without
// one a gradient button with outline, hover and focus rings.
class CMyStdButton : public CMyButton {
public:
    // The strip is borrowed; it must outlive the button.
    void SetStrip(const ImageStrip* strip) { strip_ = strip; }
    const ImageStrip* Strip() const { return strip_; }

protected:
    // 0 normal, 1 hover, 2 pressed.
    virtual int FrameIndex() const;
    void Paint(HDC dc, const RECT& client) override;

private:
    const ImageStrip* strip_ = nullptr;
};

// A tab button of the Options dialog: frame 2 while it is the current page's button, else 1 when
// hovered, else 0. Draws its text over the frame.
class CMyTabButton : public CMyStdButton {
public:
    void SetCurrent(bool current);
    bool IsCurrent() const { return current_; }

protected:
    int FrameIndex() const override;
    void Paint(HDC dc, const RECT& client) override;

private:
    bool current_ = false;
};

// Check box drawn from a five-frame strip (default: the skin's check boxes, resource 202). Frame =
// check (0 or 1) + 2 when hovered; frame 4 (when present) while disabled. A click or the space
// bar toggles the check before the parent hears BN_CLICKED; BM_GETCHECK and BM_SETCHECK work as
// on a system check box. Attaching sets the control's height to the strip's frame height.
class CMyCheckBox : public CMyButton {
public:
    void SetStrip(const ImageStrip* strip);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;
    void Paint(HDC dc, const RECT& client) override;
    HFONT TextFont() const override;

private:
    const ImageStrip* Strip() const;
    void Toggle();
    const ImageStrip* strip_ = nullptr;
    bool checked_ = false;
};

// A web or help link: blue text (purple while hovered) after an optional 16 x 16 icon whose
// top-left pixel colour is transparent; the hovered icon lifts with a grey shadow. What a click
// opens is for the dialog to decide (BN_CLICKED).
class CLinkButton : public CMyButton {
public:
    // Loads the icon bitmap from the skin's resource module; false when it is missing (the link
    // then shows text only).
    [[nodiscard]] bool SetIcon(UINT bitmapId);
    bool HasIcon() const { return icon_.IsValid(); }

protected:
    void Paint(HDC dc, const RECT& client) override;
    HFONT TextFont() const override;

private:
    GdiBitmap icon_;
    int iconWidth_ = 0;
    int iconHeight_ = 0;
};

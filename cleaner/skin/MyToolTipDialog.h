#pragma once
// CMyToolTipDialog: a dialog with tooltips on its controls, a help topic, painted frames around
// controls and groups, and a keep-open mode. Child pages (the Options pages) and small dialogs
// derive from it directly; skinned windows derive from CMyDialog, which adds the window skin.
//
// The tooltip switch is program-wide (setting ShowToolTips): SetToolTipsEnabled sends it to the
// tooltip control of every open dialog of this kind at once.
#include "skin/Dialog.h"

#include <functional>
#include <string>
#include <vector>

class CMyToolTipDialog : public CDialog {
public:
    using CDialog::CDialog;
    ~CMyToolTipDialog() override;

    // Registers a tooltip for a child control; without a text the control's own window text (up
    // to 127 characters) is used. False when there is no tooltip control or no such child.
    bool AddToolTip(HWND control, const char* text = nullptr);
    bool AddToolTip(int controlId, const char* text = nullptr) { return AddToolTip(Item(controlId), text); }
    HWND ToolTip() const { return tooltip_; }

    // Help: F1 opens "<help file>::/<topic>" through the help opener when a topic is set.
    void SetHelpTopic(std::string topic) { helpTopic_ = std::move(topic); }
    const std::string& HelpTopic() const { return helpTopic_; }
    // The program's help file path and the function that shows an address (the application sets
    // both at start; without an opener help does nothing).
    static void SetHelpFile(std::string path);
    static const std::string& HelpFile();
    using HelpOpener = std::function<void(HWND owner, const std::string& address)>;
    static void SetHelpOpener(HelpOpener opener);
    // "%s::/%s" from the help file path and the topic.
    static std::string HelpAddress(const std::string& topic);
    // Opens this dialog's topic; false when it has none or there is no opener.
    bool ShowHelp();

    // Frames painted by PaintFrames: a rectangle one pixel outside each framed control (three for
    // "Edit" controls), and frame records (rectangles in client pixels, flag bit 0: rounded
    // corners 7 x 7) with an optional caption that interrupts the top edge.
    enum FrameFlags : UINT { kFrameRounded = 1 };
    void AddFramedControl(HWND control);
    void AddFramedControl(int controlId) { AddFramedControl(Item(controlId)); }
    void AddFrame(const RECT& rect, COLORREF line, COLORREF caption, UINT flags = 0, const char* text = nullptr);
    void PaintFrames(HDC dc) const;

    // Takes the template's numbers as pixels (see PixelLayout.h): set before the window is created.
    void SetPixelTemplate(bool on) { pixelTemplate_ = on; }
    bool PixelTemplate() const { return pixelTemplate_; }

    // While set, OK and Cancel do not end the dialog (modeless windows are hidden by their owners).
    void SetKeepOpen(bool keepOpen) { keepOpen_ = keepOpen; }
    bool KeepOpen() const { return keepOpen_; }

    static void SetToolTipsEnabled(bool enabled);
    static bool ToolTipsEnabled();
    // Every open dialog of this kind, in the order of creation.
    static const std::vector<CMyToolTipDialog*>& OpenToolTipDialogs();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnPaint() override;
    bool OnEraseBackground(HDC dc) override;
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;
    bool OnHelp() override;
    void OnDestroy() override;

    // The light body brush; CMyDialog paints its own background.
    virtual void PaintBackground(HDC dc, const RECT& client);

private:
    struct Frame {
        RECT rect;
        COLORREF line;
        COLORREF caption;
        UINT flags;
        std::string text;
    };
    void CreateToolTip();

    HWND tooltip_ = nullptr;
    std::string helpTopic_;
    std::vector<HWND> framedControls_;
    std::vector<Frame> frames_;
    bool keepOpen_ = false;
    bool pixelTemplate_ = false;
};

#pragma once
// The result list of the main window: an owner-drawn list box (LBS_OWNERDRAWVARIABLE with
// LBS_HASSTRINGS) whose item texts are result lines in the stored form of skin/ListLine.h. The
// dialog hands it its WM_MEASUREITEM and WM_DRAWITEM (CDialog does that for every registered
// OwnerDrawItem). A letter key A..Z selects the next target line whose name begins with it.
#include "skin/ResultLine.h"
#include "skin/Dialog.h"
#include "skin/SubclassWnd.h"

#include <string>

class CMyListBox : public CSubclassWnd, public OwnerDrawItem {
public:
    ~CMyListBox() override;

    [[nodiscard]] bool AttachItem(HWND dialog, int id);
    [[nodiscard]] bool AttachWindow(HWND list);

    // Appends a line and selects it, so the list shows the newest line; the index or -1. `text`
    // holds the texts joined; the lengths say where each ends (each cut to 254).
    int AddLine(const std::string& text, int kind, int state, size_t nameLength, size_t filesLength = 0,
                size_t itemsLength = 0, size_t sizeLength = 0);
    int AddLine(const ResultLine& line);
    // The line at index; false when there is none or its text is not a result line.
    [[nodiscard]] bool GetLine(int index, ResultLine& line) const;
    void DeleteLastLine();
    void Clear();
    int Count() const;
    int Selection() const;

    // What a letter key does: the line it selects, or -1 (the key is then the list's own).
    int LetterTarget(char letter) const;

    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void MeasureItem(MEASUREITEMSTRUCT& item) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;

private:
    void DrawLine(HDC dc, const RECT& rect, const ResultLine& line) const;
    void DrawCounts(HDC dc, int x, int y, int bottom, const ResultLine& line, bool separators) const;
    int pendingKind_ = 0;
};

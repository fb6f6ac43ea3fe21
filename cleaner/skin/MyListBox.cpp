#include "skin/MyListBox.h"

#include "platform/GdiHandles.h"
#include "platform/Text.h"
#include "skin/ListLine.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"

#include <vector>

namespace {
constexpr int kNoPending = -1;

// The list holds each line in the stored form of skin/ListLine.h with the texts in UTF-16, so it
// keeps names of any script; the lengths count UTF-16 units (ResultLine cuts each text to 254
// bytes between characters, so never more units than that).
std::wstring StoredLine(const ResultLine& line) {
    list_line::Parts<wchar_t> parts;
    parts.kind = static_cast<int>(line.kind);
    parts.state = line.state;
    const std::string* texts[4] = {&line.name, &line.files, &line.items, &line.size};
    for (int i = 0; i < 4; ++i) parts.texts[i] = WideFromUtf8(*texts[i]);
    return list_line::EncodeParts(parts);
}

bool LineFromStored(std::wstring_view stored, ResultLine& out) {
    list_line::Parts<wchar_t> parts;
    if (!list_line::DecodeParts(stored, parts)) return false;
    ResultLine line;
    line.kind = static_cast<LineKind>(parts.kind);
    line.state = static_cast<RunState>(parts.state);
    std::string* texts[4] = {&line.name, &line.files, &line.items, &line.size};
    for (int i = 0; i < 4; ++i)
        if (!Utf8FromWide(parts.texts[i], *texts[i])) return false;
    out = std::move(line);
    return true;
}

int KindOfStored(std::wstring_view stored) { return list_line::KindOfParts(stored); }

std::wstring ItemText(HWND list, int index) {
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    if (got == LB_ERR || got < 0) return {};
    text.resize(static_cast<size_t>(got));
    return text;
}

void TextAt(HDC dc, int x, int y, const std::string& text, COLORREF colour, HFONT font) {
    skin_draw::Text(dc, x, y, text.c_str(), static_cast<int>(text.size()), colour, font);
}

void TextIn(HDC dc, RECT rect, const std::string& text, COLORREF colour, HFONT font, UINT format) {
    const SelectedObject selected(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    window_text::Draw(dc, text, rect, format | DT_SINGLELINE | DT_NOPREFIX);
}
}  // namespace

CMyListBox::~CMyListBox() {
    if (Hwnd()) OwnerDrawItem::Unregister(Hwnd());
}

bool CMyListBox::AttachItem(HWND dialog, int id) { return Attach(::GetDlgItem(dialog, id)); }
bool CMyListBox::AttachWindow(HWND list) { return Attach(list); }

void CMyListBox::OnAttached() {
    pendingKind_ = kNoPending;
    OwnerDrawItem::Register(Hwnd(), this);
}

int CMyListBox::AddLine(const std::string& text, int kind, int state, size_t nameLength, size_t filesLength,
                        size_t itemsLength, size_t sizeLength) {
    // Split the joined texts by the lengths, clamped to what is there.
    std::string_view rest(text);
    auto take = [&rest](size_t n) {
        const std::string_view part = rest.substr(0, n < rest.size() ? n : rest.size());
        rest.remove_prefix(part.size());
        return part;
    };
    const std::string name(take(nameLength));
    const std::string files(take(filesLength));
    const std::string items(take(itemsLength));
    const std::string size(take(sizeLength));
    return AddLine(ResultLine::Make(static_cast<LineKind>(kind), state, name, files, items, size));
}

int CMyListBox::AddLine(const ResultLine& line) {
    const std::wstring stored = StoredLine(ResultLine::Make(line.kind, line.state, line.name, line.files, line.items,
                                                            line.size));
    pendingKind_ = KindOfStored(stored);
    const LRESULT index = ::SendMessageW(Hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(stored.c_str()));
    pendingKind_ = kNoPending;
    if (index == LB_ERR || index == LB_ERRSPACE) return -1;
    ::SendMessageW(Hwnd(), LB_SETCURSEL, index, 0);
    return static_cast<int>(index);
}

bool CMyListBox::GetLine(int index, ResultLine& line) const {
    if (index < 0 || index >= Count()) return false;
    return LineFromStored(ItemText(Hwnd(), index), line);
}

void CMyListBox::DeleteLastLine() {
    const int count = Count();
    if (count > 0) ::SendMessageA(Hwnd(), LB_DELETESTRING, count - 1, 0);
}

void CMyListBox::Clear() { ::SendMessageA(Hwnd(), LB_RESETCONTENT, 0, 0); }

int CMyListBox::Count() const {
    const LRESULT count = ::SendMessageA(Hwnd(), LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

int CMyListBox::Selection() const {
    const LRESULT selection = ::SendMessageA(Hwnd(), LB_GETCURSEL, 0, 0);
    return selection == LB_ERR ? -1 : static_cast<int>(selection);
}

int CMyListBox::LetterTarget(char letter) const {
    const int count = Count();
    std::vector<ResultLine> lines(static_cast<size_t>(count));
    std::vector<skin_geometry::LetterLine> view;
    view.reserve(lines.size());
    for (int i = 0; i < count; ++i) {
        if (!GetLine(i, lines[i])) lines[i] = ResultLine{};
        view.push_back({static_cast<int>(lines[i].kind), lines[i].name});
    }
    return skin_geometry::NextLetterLine(view, Selection(), letter);
}

LRESULT CMyListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
        const WPARAM key = wParam;
        if ((key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z')) {
            const char c = static_cast<char>(key);
            const int target = LetterTarget(c);
            if (target >= 0) {
                ::SendMessageA(Hwnd(), LB_SETCURSEL, target, 0);
                if (::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & LBS_NOTIFY)
                    ::SendMessageA(::GetParent(Hwnd()), WM_COMMAND,
                                   MAKEWPARAM(::GetDlgCtrlID(Hwnd()), LBN_SELCHANGE), reinterpret_cast<LPARAM>(Hwnd()));
            }
            // The list's own prefix search would look at the header bytes: never let it run.
            return 0;
        }
    }
    return Default(message, wParam, lParam);
}

void CMyListBox::MeasureItem(MEASUREITEMSTRUCT& item) {
    int kind = pendingKind_;
    if (kind == kNoPending) kind = KindOfStored(ItemText(Hwnd(), static_cast<int>(item.itemID)));
    const int defaultHeight = item.itemHeight > 0 ? static_cast<int>(item.itemHeight) : 18;
    item.itemHeight = static_cast<UINT>(skin_geometry::LineHeight(kind, defaultHeight < 18 ? 18 : defaultHeight));
}

void CMyListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    HDC dc = item.hDC;
    const RECT& rect = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    skin_draw::Fill(dc, rect, selected ? palette::kListSelected : palette::kList);
    ResultLine line;
    if (!LineFromStored(ItemText(Hwnd(), static_cast<int>(item.itemID)), line)) return;
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    DrawLine(dc, rect, line);
    ::RestoreDC(dc, saved);
}

void CMyListBox::DrawCounts(HDC dc, int x, int y, int bottom, const ResultLine& line, bool separators) const {
    const auto& skin = SkinResources::Get();
    // The label columns are narrow (34, 40 and 70 pixels): a smaller face keeps every label clear
    // of its value whatever font stands in for Arial.
    static const GdiFont small(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
    const HFONT label = small ? small.Get() : skin.Font(SkinFont::Normal);
    const HFONT value = skin.Font(SkinFont::Bold14);
    TextAt(dc, x + 15, y, "Files:", palette::kLinePlain, label);
    TextAt(dc, x + 110, y, "Items:", palette::kLinePlain, label);
    TextAt(dc, x + 210, y, "Disk space:", palette::kLinePlain, label);
    TextAt(dc, x + 49, y, line.files, palette::kValue, value);
    TextAt(dc, x + 150, y, line.items, palette::kValue, value);
    TextAt(dc, x + 280, y, line.size, palette::kValue, value);
    if (!separators) return;
    skin_draw::Line(dc, x + 100, y - 3, x + 100, bottom - 2, palette::kTargetBand);
    skin_draw::Line(dc, x + 200, y - 3, x + 200, bottom - 2, palette::kTargetBand);
}

void CMyListBox::DrawLine(HDC dc, const RECT& rect, const ResultLine& line) const {
    const auto& skin = SkinResources::Get();
    HFONT listFont = reinterpret_cast<HFONT>(::SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
    if (!listFont) listFont = skin.Font(SkinFont::Normal);
    const int x = rect.left;
    const int y = rect.top;
    switch (line.kind) {
    case LineKind::Plain:
    case LineKind::Highlighted: {
        RECT text = rect;
        text.left = x + 10;
        TextIn(dc, text, line.name, line.kind == LineKind::Plain ? palette::kLinePlain : palette::kLineHighlighted,
               line.kind == LineKind::Plain ? listFont : skin.Font(SkinFont::Bold14), DT_LEFT | DT_VCENTER);
        break;
    }
    case LineKind::Heading: {
        RECT text = rect;
        text.bottom -= 8;
        TextIn(dc, text, line.name, palette::kLineHeading, skin.Font(SkinFont::Bold16b), DT_CENTER | DT_VCENTER);
        skin_draw::Line(dc, x + 50, y + 28, rect.right - 50, y + 28, palette::kHeadingRule, 2);
        break;
    }
    case LineKind::Target: {
        RECT band{x + 10, y + 3, rect.right - 10, y + 19};
        skin_draw::Fill(dc, band, palette::kTargetBand);
        TextAt(dc, x + 20, y + 3, line.name, palette::kTargetName, skin.Font(SkinFont::Bold14));
        skin_draw::Line(dc, x + 5, y, rect.right - 5, y, palette::kTargetRule);
        skin_draw::Line(dc, x + 5, rect.bottom - 1, rect.right - 5, rect.bottom - 1, palette::kTargetRule);
        if (line.state == RunScan || line.state == RunKill) {
            TextAt(dc, x + 10, y + 22, line.state == RunScan ? "Scanning..." : "Killing...", palette::kLinePlain,
                   skin.Font(SkinFont::Normal));
        } else {
            DrawCounts(dc, x, y + 22, rect.bottom, line, true);
        }
        break;
    }
    case LineKind::Summary: {
        // The heading sits on the lower edge of a one-line area at the top, the counts below it
        // on a band like a target line's.
        RECT text{x, y + 8, rect.right, y + 38};
        TextIn(dc, text, line.name, palette::kSummaryText, skin.Font(SkinFont::Bold16b), DT_CENTER | DT_BOTTOM);
        skin_draw::Line(dc, x + 5, y + 44, rect.right - 5, y + 44, palette::kTargetRule);
        RECT band{x + 10, y + 48, rect.right - 10, y + 70};
        skin_draw::Fill(dc, band, palette::kLight);
        DrawCounts(dc, x, y + 52, y + 73, line, true);
        skin_draw::Line(dc, x + 5, y + 74, rect.right - 5, y + 74, palette::kTargetRule);
        break;
    }
    default:
        break;
    }
}

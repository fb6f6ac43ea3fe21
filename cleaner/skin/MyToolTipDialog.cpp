#include "skin/MyToolTipDialog.h"

#include "platform/GdiHandles.h"
#include "platform/Text.h"
#include "skin/PixelLayout.h"
#include "skin/SkinDraw.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"

#include <commctrl.h>

#include <algorithm>

namespace {
std::vector<CMyToolTipDialog*>& OpenList() {
    static std::vector<CMyToolTipDialog*> list;
    return list;
}
bool g_toolTipsOn = true;
std::string g_helpFile;
CMyToolTipDialog::HelpOpener g_helpOpener;

bool IsEdit(HWND control) {
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    return ::lstrcmpiW(name, L"Edit") == 0;
}
}  // namespace

CMyToolTipDialog::~CMyToolTipDialog() {
    auto& list = OpenList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void CMyToolTipDialog::SetHelpFile(std::string path) { g_helpFile = std::move(path); }
const std::string& CMyToolTipDialog::HelpFile() { return g_helpFile; }
void CMyToolTipDialog::SetHelpOpener(HelpOpener opener) { g_helpOpener = std::move(opener); }
std::string CMyToolTipDialog::HelpAddress(const std::string& topic) { return g_helpFile + "::/" + topic; }

bool CMyToolTipDialog::ShowHelp() {
    if (helpTopic_.empty() || !g_helpOpener) return false;
    g_helpOpener(Hwnd(), HelpAddress(helpTopic_));
    return true;
}

const std::vector<CMyToolTipDialog*>& CMyToolTipDialog::OpenToolTipDialogs() { return OpenList(); }

bool CMyToolTipDialog::ToolTipsEnabled() { return g_toolTipsOn; }

void CMyToolTipDialog::SetToolTipsEnabled(bool enabled) {
    g_toolTipsOn = enabled;
    for (CMyToolTipDialog* dialog : OpenList())
        if (dialog->tooltip_) ::SendMessageA(dialog->tooltip_, TTM_ACTIVATE, enabled ? TRUE : FALSE, 0);
}

void CMyToolTipDialog::CreateToolTip() {
    if (tooltip_) return;
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;
    ::SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
    ::SendMessageA(tooltip_, TTM_ACTIVATE, g_toolTipsOn ? TRUE : FALSE, 0);
}

bool CMyToolTipDialog::AddToolTip(HWND control, const char* text) {
    if (!tooltip_ || !control) return false;
    // A tooltip may show a target's name or description: UTF-8 in, the wide tool out.
    std::wstring wide = WideFromUtf8(text ? std::string(text) : window_text::Get(control));
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    // The tooltip hooks the control itself and sees its mouse messages before the control does.
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = Hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = &wide[0];
    ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CMyToolTipDialog::AddFramedControl(HWND control) {
    if (control && std::find(framedControls_.begin(), framedControls_.end(), control) == framedControls_.end())
        framedControls_.push_back(control);
}

void CMyToolTipDialog::AddFrame(const RECT& rect, COLORREF line, COLORREF caption, UINT flags, const char* text) {
    frames_.push_back({rect, line, caption, flags, text ? text : ""});
}

void CMyToolTipDialog::PaintFrames(HDC dc) const {
    const auto& skin = SkinResources::Get();
    for (HWND control : framedControls_) {
        if (!::IsWindow(control) || !::IsWindowVisible(control)) continue;
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
        const int outside = IsEdit(control) ? 3 : 1;
        ::InflateRect(&r, outside, outside);
        skin_draw::Outline(dc, r, skin.FramePen(), 0);
    }
    const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
    for (const Frame& frame : frames_) {
        const GdiPen pen(::CreatePen(PS_SOLID, 1, frame.line));
        skin_draw::Outline(dc, frame.rect, pen.Get(), (frame.flags & kFrameRounded) ? 7 : 0);
        if (frame.text.empty()) continue;
        const std::string caption = " " + frame.text + " ";
        const SelectedObject selectedFont(dc, dialogFont ? dialogFont : skin.Font(SkinFont::Normal));
        const SIZE size = window_text::Extent(dc, caption);
        ::SetBkMode(dc, OPAQUE);
        ::SetBkColor(dc, palette::kLight);
        ::SetTextColor(dc, frame.caption);
        window_text::Out(dc, frame.rect.left + 8, frame.rect.top - size.cy / 2, caption);
    }
}

BOOL CMyToolTipDialog::OnInitDialog() {
    if (pixelTemplate_ && TemplateId() != 0) (void)PlaceInPixels(Hwnd(), TemplateId(), ResourceModule());
    CreateToolTip();
    OpenList().push_back(this);
    return TRUE;
}

void CMyToolTipDialog::OnOK() {
    if (!keepOpen_) CDialog::OnOK();
}

void CMyToolTipDialog::OnCancel() {
    if (!keepOpen_) CDialog::OnCancel();
}

void CMyToolTipDialog::PaintBackground(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, SkinResources::Get().LightBrush());
}

bool CMyToolTipDialog::OnEraseBackground(HDC dc) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    PaintBackground(dc, client);
    return true;
}

bool CMyToolTipDialog::OnPaint() {
    const PaintDc paint(Hwnd());
    PaintFrames(paint.Get());
    return true;
}

HBRUSH CMyToolTipDialog::OnCtlColor(UINT message, HDC dc, HWND control) {
    (void)control;
    const auto& skin = SkinResources::Get();
    switch (message) {
    case WM_CTLCOLORLISTBOX:
        ::SetBkColor(dc, palette::kList);
        return skin.ListBrush();
    case WM_CTLCOLOREDIT:
        return nullptr;  // edits keep the system's white field
    default:
        ::SetBkColor(dc, palette::kLight);
        ::SetTextColor(dc, palette::kText);
        return skin.LightBrush();
    }
}

bool CMyToolTipDialog::OnHelp() { return ShowHelp(); }

void CMyToolTipDialog::OnDestroy() {
    auto& list = OpenList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (tooltip_) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
}

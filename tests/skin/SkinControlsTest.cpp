// Skinned dialog and controls in a real dialog under Wine.
#include "res/ResourceIds.h"
#include "skin/BannerCtrl.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"
#include "skin/MyListBox.h"
#include "skin/MyProgressCtrl.h"
#include "skin/MyStatic.h"
#include "skin/SkinResources.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

void Pump(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    } while (::GetTickCount() < end);
}

// A skinned window with one of every control, as a dialog of the program would hold them.
class ShowcaseDialog : public CMyDialog {
public:
    CMyStdButton scan, kill;
    CMyTabButton tab1, tab2;
    CMyCheckBox check1, check2;
    CLinkButton link;
    CMyStatic label;
    CMyProgressCtrl progress;
    CMyListBox list;
    int cancels = 0;
    int okClicks = 0;

protected:
    BOOL OnInitDialog() override {
        CMyDialog::OnInitDialog();
        HWND h = Hwnd();
        SetInnerPanel(false);
        (void)tab1.Create(h, "Targets", RECT{30, 36, 137, 60}, 301);
        (void)tab2.Create(h, "Settings", RECT{140, 36, 247, 60}, 302);
        tab1.SetCurrent(true);
        HWND lb = ::CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWVARIABLE |
                                    LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                                    30, 72, 420, 250, h, reinterpret_cast<HMENU>(1027), nullptr, nullptr);
        (void)list.AttachWindow(lb);
        AddFramedControl(lb);
        HWND pb = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 29, 326, 422, 8, h,
                                    reinterpret_cast<HMENU>(1092), nullptr, nullptr);
        (void)progress.AttachWindow(pb);
        progress.SetRange(0, 3);
        progress.SetPos(2);
        HWND c1 = ::CreateWindowExA(0, "Button", "Start with Windows", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                    40, 350, 180, 20, h, reinterpret_cast<HMENU>(401), nullptr, nullptr);
        HWND c2 = ::CreateWindowExA(0, "Button", "Show tooltips", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                    40, 372, 180, 20, h, reinterpret_cast<HMENU>(402), nullptr, nullptr);
        (void)check1.Attach(c1);
        (void)check2.Attach(c2);
        check2.SetChecked(true);
        HWND st = ::CreateWindowExA(0, "Static", "Selected Targets: 12", WS_CHILD | WS_VISIBLE, 250, 352, 190, 18, h,
                                    reinterpret_cast<HMENU>(403), nullptr, nullptr);
        (void)label.Attach(st);
        label.SetTextColor(RGB(0, 60, 116));
        (void)link.Create(h, "Help", RECT{250, 372, 340, 392}, 404);
        (void)link.SetIcon(IDB_HELP_LINK);
        AddFrame(RECT{30, 344, 450, 398}, RGB(100, 100, 150), RGB(0, 60, 116), kFrameRounded, "Options");
        (void)scan.Create(h, "Scan Targets", RECT{60, 410, 220, 436}, 32781);
        (void)kill.Create(h, "Kill Targets", RECT{260, 410, 420, 436}, 1087);
        AddToolTip(scan.Hwnd(), "Scans selected Targets");
        list.AddLine(ResultLine::Make(LineKind::Heading, 0, "Start Scan Action:"));
        list.AddLine(ResultLine::Make(LineKind::Target, 0, "Recent Documents", "12", "3", "48,00 KB"));
        list.AddLine(ResultLine::Make(LineKind::Target, 0, "Temporary Folder", "331", "0", "12,40 MB"));
        list.AddLine(ResultLine::Make(LineKind::Target, 1, "Internet Explorer Cache"));
        list.AddLine(ResultLine::Make(LineKind::Plain, 0, ""));
        list.AddLine(ResultLine::Make(LineKind::Highlighted, 0, "Scan action breaked by user."));
        list.AddLine(ResultLine::Make(LineKind::Summary, 0, "Summary Scan Information:", "343", "3", "12,45 MB"));
        return TRUE;
    }
    bool OnCommand(WORD id, WORD code, HWND control) override {
        if (id == 32781) { ++okClicks; return true; }
        return CMyDialog::OnCommand(id, code, control);
    }
    void OnCancel() override { ++cancels; }
};

class SkinWindow : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
        templ_ = CDialog::BlankTemplate("Tracelorn", 320, 300);
        ASSERT_TRUE(dialog_.CreateIndirect(nullptr, reinterpret_cast<const DLGTEMPLATE*>(templ_.data())));
        RECT r{0, 0, 480, 460};
        ::SetWindowPos(dialog_.Hwnd(), nullptr, 40, 40, r.right, r.bottom, SWP_NOZORDER);
        ::ShowWindow(dialog_.Hwnd(), SW_SHOW);
        Pump(50);
    }
    void TearDown() override { ::DestroyWindow(dialog_.Hwnd()); }

    std::vector<WORD> templ_;
    ShowcaseDialog dialog_;
};

}  // namespace

TEST_F(SkinWindow, ListKeepsLineData) {
    ResultLine line;
    ASSERT_EQ(dialog_.list.Count(), 7);
    ASSERT_TRUE(dialog_.list.GetLine(1, line));
    EXPECT_EQ(line, ResultLine::Make(LineKind::Target, 0, "Recent Documents", "12", "3", "48,00 KB"));
    EXPECT_EQ(dialog_.list.Selection(), 6);  // the newest line is selected
    // The stored text carries the header of the line format, in UTF-16 units.
    wchar_t text[128] = {};
    ::SendMessageW(dialog_.list.Hwnd(), LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text[0], 5);
    EXPECT_EQ(text[2], 17);
    // A name outside the ANSI code page (Cyrillic and CJK: "Кэш 浏览器") is kept whole: the list
    // holds it in UTF-16 and gives it back in UTF-8.
    const std::string name = "\xD0\x9A\xD1\x8D\xD1\x88 \xE6\xB5\x8F\xE8\xA7\x88\xE5\x99\xA8";
    const int added = dialog_.list.AddLine(ResultLine::Make(LineKind::Target, 0, name, "1", "0", "1,00 KB"));
    ASSERT_EQ(added, 7);
    ASSERT_TRUE(dialog_.list.GetLine(added, line));
    EXPECT_EQ(line.name, name);
    ::SendMessageW(dialog_.list.Hwnd(), LB_GETTEXT, added, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text + 6, 7), L"\u041A\u044D\u0448 \u6D4F\u89C8\u5668");
    EXPECT_EQ(text[2], 8) << "7 UTF-16 units";
    dialog_.list.DeleteLastLine();
    // Line heights follow the kinds.
    EXPECT_EQ(::SendMessageA(dialog_.list.Hwnd(), LB_GETITEMHEIGHT, 0, 0), 40);
    EXPECT_EQ(::SendMessageA(dialog_.list.Hwnd(), LB_GETITEMHEIGHT, 1, 0), 40);
    EXPECT_EQ(::SendMessageA(dialog_.list.Hwnd(), LB_GETITEMHEIGHT, 6, 0), 80);
    dialog_.list.DeleteLastLine();
    EXPECT_EQ(dialog_.list.Count(), 6);
}

TEST_F(SkinWindow, LetterKeySelectsNextTarget) {
    ::SendMessageA(dialog_.list.Hwnd(), LB_SETCURSEL, 0, 0);
    ::SendMessageA(dialog_.list.Hwnd(), WM_CHAR, 't', 0);
    EXPECT_EQ(dialog_.list.Selection(), 2);
    ::SendMessageA(dialog_.list.Hwnd(), WM_CHAR, 'R', 0);
    EXPECT_EQ(dialog_.list.Selection(), 1);  // none below: from the top
    ::SendMessageA(dialog_.list.Hwnd(), WM_CHAR, 'z', 0);
    EXPECT_EQ(dialog_.list.Selection(), 1);
}

TEST_F(SkinWindow, CheckBoxTogglesOnClick) {
    EXPECT_FALSE(dialog_.check1.Checked());
    ::SendMessageA(dialog_.check1.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(dialog_.check1.Checked());
    EXPECT_EQ(::SendMessageA(dialog_.check1.Hwnd(), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageA(dialog_.check1.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(dialog_.check1.Checked());
    ::SendMessageA(dialog_.check1.Hwnd(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(dialog_.check1.Checked());
    RECT r{};
    ::GetWindowRect(dialog_.check1.Hwnd(), &r);
    EXPECT_EQ(r.bottom - r.top, 13);  // the strip's frame height
}

TEST_F(SkinWindow, RegionAndCloseButton) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(::GetWindowRgn(dialog_.Hwnd(), region), ERROR);
    EXPECT_FALSE(::PtInRegion(region, 0, 0));   // rounded corner cut away
    EXPECT_TRUE(::PtInRegion(region, 240, 200));
    ::DeleteObject(region);
    HWND close = ::GetDlgItem(dialog_.Hwnd(), CMyDialog::kCloseButtonId);
    ASSERT_NE(close, nullptr);
    RECT r{};
    ::GetWindowRect(close, &r);
    ::MapWindowPoints(nullptr, dialog_.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.right - r.left, 21);
    EXPECT_EQ(r.top, 4);
    ::SendMessageA(close, BM_CLICK, 0, 0);
    EXPECT_EQ(dialog_.cancels, 0);  // posted, not sent
    Pump(50);
    EXPECT_EQ(dialog_.cancels, 1);
}

TEST_F(SkinWindow, GlobalListAndTooltipSwitch) {
    ASSERT_FALSE(CMyDialog::OpenDialogs().empty());
    EXPECT_EQ(CMyDialog::OpenDialogs().back(), &dialog_);
    CMyToolTipDialog::SetToolTipsEnabled(false);
    EXPECT_FALSE(CMyToolTipDialog::ToolTipsEnabled());
    CMyToolTipDialog::SetToolTipsEnabled(true);
    EXPECT_NE(dialog_.ToolTip(), nullptr);
    EXPECT_GE(::SendMessageA(dialog_.ToolTip(), TTM_GETTOOLCOUNT, 0, 0), 2);
}

TEST_F(SkinWindow, DragOnlyInTitleBand) {
    RECT before{};
    ::GetWindowRect(dialog_.Hwnd(), &before);
    ::SendMessageA(dialog_.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 27));
    EXPECT_FALSE(dialog_.IsDragging());
    ::SendMessageA(dialog_.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 26));
    EXPECT_TRUE(dialog_.IsDragging());
    ::SendMessageA(dialog_.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 46));
    ::SendMessageA(dialog_.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(130, 46));
    EXPECT_FALSE(dialog_.IsDragging());
    RECT after{};
    ::GetWindowRect(dialog_.Hwnd(), &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
}

TEST(SkinFrame, TemplateCaptionAndBorderAreRemoved) {
    // A resource script's CAPTION line adds WS_CAPTION; the skin must not show a system caption.
    std::vector<WORD> templ = CDialog::BlankTemplate(
        "Tracelorn", 200, 150, WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_SETFONT,
        WS_EX_DLGMODALFRAME);
    ShowcaseDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(nullptr, reinterpret_cast<const DLGTEMPLATE*>(templ.data())));
    const LONG_PTR style = ::GetWindowLongPtrA(dialog.Hwnd(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0) << "the system menu (taskbar Close) stays";
    EXPECT_EQ(::GetWindowLongPtrA(dialog.Hwnd(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    RECT window{}, client{};
    ::GetWindowRect(dialog.Hwnd(), &window);
    ::GetClientRect(dialog.Hwnd(), &client);
    EXPECT_EQ(client.right, window.right - window.left) << "the client area is the whole window";
    EXPECT_EQ(client.bottom, window.bottom - window.top);
    ::DestroyWindow(dialog.Hwnd());
}

TEST_F(SkinWindow, StaticPaintsItsTextOnTheBody) {
    HWND label = dialog_.label.Hwnd();
    RECT client{};
    ::GetClientRect(label, &client);
    ASSERT_GT(client.right, 8);
    HDC screen = ::GetDC(label);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    auto textPixels = [&] {
        ::SendMessageA(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        int count = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x) count += ::GetPixel(dc, x, y) != RGB(240, 240, 255);
        return count;
    };
    ::SetWindowTextA(label, "");
    EXPECT_EQ(textPixels(), 0) << "an empty static is all body colour";
    ::SetWindowTextA(label, "WWWW");
    EXPECT_GT(textPixels(), 0);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(label, screen);
}

TEST_F(SkinWindow, ProgressPaintsFillAndRest) {
    HDC dc = ::GetDC(dialog_.progress.Hwnd());
    dialog_.progress.SetPos(0);
    ::UpdateWindow(dialog_.progress.Hwnd());
    ::SendMessageA(dialog_.progress.Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    EXPECT_EQ(::GetPixel(dc, 2, 2), RGB(220, 220, 255));
    dialog_.progress.SetPos(3);
    ::SendMessageA(dialog_.progress.Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    EXPECT_NE(::GetPixel(dc, 2, 2), RGB(220, 220, 255));
    ::ReleaseDC(dialog_.progress.Hwnd(), dc);
}

TEST_F(SkinWindow, ArtworkStripsHaveTheirSizes) {
    const auto& skin = SkinResources::Get();
    EXPECT_EQ(skin.TitleActive().Width(), 1);
    EXPECT_EQ(skin.TitleActive().FrameHeight(), 27);
    EXPECT_EQ(skin.CloseButton().FrameCount(), 3);
    EXPECT_EQ(skin.CloseButton().FrameWidth(), 21);
    EXPECT_TRUE(skin.CloseButton().HasAlpha());
    EXPECT_EQ(skin.CheckBoxes().FrameCount(), 5);
    EXPECT_EQ(skin.TabButtons().FrameCount(), 3);
    EXPECT_EQ(skin.Emblem().FrameCount(), 4);
}

namespace {
// The footer picture (425 x 77) as a BMP file in memory, as a banner file would carry an image.
std::vector<BYTE> FooterAsBmpFile() {
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_MAIN_FOOTER), RT_BITMAP);
    if (!found) return {};
    // A bitmap resource is a BMP file without its 14-byte file header.
    const auto* info = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    const DWORD size = ::SizeofResource(nullptr, found);
    std::vector<BYTE> file(14 + size);
    const DWORD offset = 14 + 40;
    file[0] = 'B'; file[1] = 'M';
    *reinterpret_cast<DWORD*>(&file[2]) = static_cast<DWORD>(file.size());
    *reinterpret_cast<DWORD*>(&file[10]) = offset;
    memcpy(file.data() + 14, info, size);
    return file;
}
}  // namespace

TEST(ImageStripMemory, DecodesBmpDataAndRejectsGarbage) {
    const std::vector<BYTE> file = FooterAsBmpFile();
    ASSERT_FALSE(file.empty());
    ImageStrip strip;
    ASSERT_TRUE(strip.LoadFromMemory(file.data(), file.size(), 85, 5));
    EXPECT_EQ(strip.FrameWidth(), 85);
    EXPECT_EQ(strip.FrameCount(), 5);
    EXPECT_EQ(strip.FrameHeight(), 77);
    const char junk[] = "not an image at all";
    EXPECT_FALSE(strip.LoadFromMemory(junk, sizeof(junk)));
    EXPECT_FALSE(strip.IsLoaded());
    EXPECT_FALSE(strip.LoadFromMemory(nullptr, 0));
}

// Keeps the showcase on screen for a screenshot when TL_SKIN_SHOWCASE_MS is set.
TEST_F(SkinWindow, Showcase) {
    const char* ms = std::getenv("TL_SKIN_SHOWCASE_MS");
    if (!ms) GTEST_SKIP() << "set TL_SKIN_SHOWCASE_MS to look at the window";
    ::InvalidateRect(dialog_.Hwnd(), nullptr, TRUE);
    Pump(static_cast<DWORD>(std::atoi(ms)));
}

TEST_F(SkinWindow, BannerAnimatesOnlyWithAnInterval) {
    const std::vector<BYTE> file = FooterAsBmpFile();
    ASSERT_FALSE(file.empty());
    CBannerCtrl banner;
    ASSERT_TRUE(banner.Create(dialog_.Hwnd(), "", RECT{20, 300, 60, 330}, 1037));
    ASSERT_TRUE(banner.SetImage(file.data(), file.size(), 85, 5));
    RECT r{};
    ::GetClientRect(banner.Hwnd(), &r);
    EXPECT_EQ(r.right, 85) << "the control takes one frame's size";
    EXPECT_EQ(r.bottom, 77);

    banner.SetAnimation(0, skin_geometry::BannerMode::Loop);  // "AnimTime" 0
    Pump(300);
    EXPECT_EQ(banner.Counter(), 0u);
    EXPECT_EQ(banner.CurrentFrame(), 0);

    banner.SetAnimation(20, skin_geometry::BannerMode::Loop);
    Pump(400);
    EXPECT_GT(banner.Counter(), 2u);
    banner.SetAnimation(0, skin_geometry::BannerMode::Loop);
    const unsigned stopped = banner.Counter();
    Pump(200);
    EXPECT_EQ(banner.Counter(), stopped) << "interval 0 stops the frames";

    const char junk[] = "garbage";
    EXPECT_FALSE(banner.SetImage(junk, sizeof junk, 10, 1));
    EXPECT_FALSE(banner.Strip().IsLoaded());
    ::DestroyWindow(banner.Hwnd());
}

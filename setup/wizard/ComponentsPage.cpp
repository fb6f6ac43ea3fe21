#include "install/SizeText.h"
#include "win/GdiHandles.h"
#include "win/Handles.h"
#include "win/WideText.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

namespace setup {

namespace {

enum CheckImage { kUnchecked = 0, kChecked = 1, kUncheckedDisabled = 2, kCheckedDisabled = 3 };

// Four 16 x 16 check boxes on white: the theme's own when one is open, else the classic ones.
ImageList MakeCheckImages(HWND window) {
    ImageList list(::ImageList_Create(16, 16, ILC_COLOR24, 4, 0));
    if (!list) return list;
    const ThemeHandle theme(::OpenThemeData(window, L"Button"));
    const int themed[4] = {CBS_UNCHECKEDNORMAL, CBS_CHECKEDNORMAL, CBS_UNCHECKEDDISABLED, CBS_CHECKEDDISABLED};
    const UINT classic[4] = {DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED, DFCS_BUTTONCHECK | DFCS_INACTIVE,
                             DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE};
    const WindowDc screenDc(nullptr);
    const HDC screen = screenDc.Get();
    for (int i = 0; i < 4; ++i) {
        GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, 16, 16));
        {
            MemoryDc memory(::CreateCompatibleDC(screen));
            SelectedObject selected(memory.Get(), bitmap.Get());
            RECT all{0, 0, 16, 16};
            ::FillRect(memory.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            RECT box{2, 2, 15, 15};
            if (theme) {
                ::DrawThemeBackground(theme.Get(), memory.Get(), BP_CHECKBOX, themed[i], &box, nullptr);
            } else {
                ::DrawFrameControl(memory.Get(), &box, DFC_BUTTON, classic[i]);
            }
        }
        ::ImageList_Add(list.Get(), bitmap.Get(), nullptr);
    }
    return list;
}

CComponent* ComponentOf(HWND tree, HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!item || !::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return nullptr;
    return reinterpret_cast<CComponent*>(data.lParam);
}

}  // namespace

CComponentsPage::CComponentsPage(WizardContext& context)
    : CBasePage(context, IDD_COMPONENTS, "PC", true, ButtonState{true, true, 1007}, ButtonState{true, true, 101},
                ButtonState{true, true, 2}, IDC_COMPONENTS_TREE) {}

BOOL CComponentsPage::OnInitDialog() {
    const HWND tree = Item(IDC_COMPONENTS_TREE);
    images_ = MakeCheckImages(tree);
    ::SetWindowLongPtrW(tree, GWL_STYLE, ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_INFOTIP);
    ::SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.Get()));
    for (auto& component : context_.session.Components()) {
        if (!component->Listed()) continue;
        const std::wstring caption = ToWide(component->Caption(Languages()));
        const int image = component->Fixed() ? kCheckedDisabled : (component->Selected() ? kChecked : kUnchecked);
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(caption.c_str());
        insert.item.iImage = insert.item.iSelectedImage = image;
        insert.item.lParam = reinterpret_cast<LPARAM>(component.get());
        ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
    Describe(nullptr);
    ShowSpaceRequired();
    return TRUE;
}

void CComponentsPage::Toggle(HTREEITEM item) {
    const HWND tree = Item(IDC_COMPONENTS_TREE);
    CComponent* component = ComponentOf(tree, item);
    if (!component || component->Fixed()) return;
    component->SetSelected(!component->Selected());
    TVITEMW data{};
    data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    data.hItem = item;
    data.iImage = data.iSelectedImage = component->Selected() ? kChecked : kUnchecked;
    ::SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    ShowSpaceRequired();
}

void CComponentsPage::Describe(HTREEITEM item) {
    const CComponent* component = ComponentOf(Item(IDC_COMPONENTS_TREE), item);
    EnableItem(IDC_DESCRIPTION, component != nullptr);
    const std::u16string text = component ? component->Description(Languages()) : Languages().Text("tCompDesc");
    SetItemText(IDC_DESCRIPTION, ToWide(text).c_str());
}

void CComponentsPage::ShowSpaceRequired() {
    uint64_t bytes = 0;
    for (const auto& component : context_.session.Components()) {
        if (component->Selected()) bytes += component->Size();
    }
    const LanguageSet& l = Languages();
    const std::u16string text = l.Text("tSpaceR") + u" " + SizeText(bytes, l.Text("kb"), l.Text("mb"), l.Text("gb"));
    SetItemText(IDC_SPACE_REQUIRED, ToWide(text).c_str());
}

INT_PTR CComponentsPage::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
    if (message != WM_NOTIFY) return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_COMPONENTS_TREE) return 0;
    const HWND tree = header->hwndFrom;
    switch (header->code) {
    case NM_CLICK: {
        TVHITTESTINFO hit{};
        const DWORD position = ::GetMessagePos();
        hit.pt = POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
        ::ScreenToClient(tree, &hit.pt);
        const auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (item && (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL))) Toggle(item);
        Describe(item);
        return 0;
    }
    case TVN_KEYDOWN:
        if (reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey == VK_SPACE) {
            Toggle(reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)));
            handled = true;
            return 1;
        }
        return 0;
    case TVN_SELCHANGEDW:
        Describe(reinterpret_cast<const NMTREEVIEWW*>(lParam)->itemNew.hItem);
        return 0;
    case TVN_GETINFOTIPW: {
        auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(lParam);
        Describe(tip->hItem);
        return 0;
    }
    default:
        return 0;
    }
}

}  // namespace setup

#include "skin/PixelLayout.h"

#include "skin/DialogTemplate.h"

namespace {

struct TemplateBytes {
    const void* data = nullptr;
    size_t size = 0;
};

TemplateBytes FindTemplate(UINT templateId, HINSTANCE module) {
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {bytes, ::SizeofResource(module, found)};
}

void Centre(HWND dialog) {
    RECT area{};
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    ::GetWindowRect(dialog, &own);
    const int w = own.right - own.left, h = own.bottom - own.top;
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    // Never off the top or left of the screen, where the title band (the only handle) would be lost.
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool PlaceInPixels(HWND dialog, UINT templateId, HINSTANCE module) {
    const TemplateBytes found = FindTemplate(templateId, module);
    return found.data && PlaceInPixels(dialog, found.data, found.size);
}

bool PlaceInPixels(HWND dialog, const void* dialogTemplate, size_t size) {
    const auto geometry = dialog_template::ReadGeometry(static_cast<const uint8_t*>(dialogTemplate), size);
    if (!geometry) return false;

    // The dialog manager creates the controls in template order, each after the previous one, so
    // the n-th child is the n-th item. Ids are compared in their low word: a template may store the
    // statics' -1 as 0xFFFF or as 0xFFFFFFFF.
    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (const auto& item : geometry->items) {
        const WORD id = LOWORD(item.id);
        HWND control = nullptr;
        if (child && LOWORD(::GetDlgCtrlID(child)) == id) {
            control = child;
            child = ::GetWindow(child, GW_HWNDNEXT);
        } else if (id != 0xFFFF) {
            control = ::GetDlgItem(dialog, id);
        }
        if (!control) continue;
        ::SetWindowPos(control, nullptr, item.rect.x, item.rect.y, item.rect.cx, item.rect.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongA(dialog, GWL_EXSTYLE);
    RECT frame{0, 0, geometry->dialog.cx, geometry->dialog.cy};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(exStyle));
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if ((style & DS_CENTER) && !(style & WS_CHILD)) Centre(dialog);
    return true;
}

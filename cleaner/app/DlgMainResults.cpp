// The main window's result list as a way into the details window: a double-click on a target's
// line, or "Details..." in the line's context menu (right click, or the context-menu key).
#include "app/DlgMain.h"

#include "app/ActionTexts.h"
#include "app/DlgMainIds.h"
#include "dialogs/DlgDetails.h"
#include "platform/GdiHandles.h"
#include "targets/TargetCatalog.h"

int CDlgMain::TargetOfLine(int index) const {
    ResultLine line;
    if (!list_.GetLine(index, line) || line.kind != LineKind::Target || line.state != RunIdle) return -1;
    const std::string suffix = std::string(" ") + action_texts::kOverwriteSkipped;
    std::string name = line.name;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < catalog_.TargetCount(); ++i) {
            const Target& target = catalog_.TargetAt(i);
            // Compared as the line stores it: cut as every result line's text is.
            if (target.Selected() && ResultLine::Make(LineKind::Target, RunIdle, target.Name()).name == name)
                return static_cast<int>(i);
        }
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) break;
        name.resize(name.size() - suffix.size());
    }
    return -1;
}

// Modal over this window, whose buttons and tray menu stay out of reach while it shows, and with
// the run exclusion held: another process's Scan or Kill cannot run beside its collection either.
void CDlgMain::OpenDetails(int line) {
    if (driver_.Busy() || OtherDialogsOpen() > 0) return;
    const int index = TargetOfLine(line);
    if (index < 0) return;
    const bool claimed = runLock_.TryClaim();
    {
        CDlgDetails dialog(catalog_, static_cast<size_t>(index),
                           claimed ? std::string() : std::string(action_texts::kAnotherRunBusy));
        (void)dialog.DoModal(Hwnd());
    }
    if (claimed) runLock_.Release();
}

void CDlgMain::ShowResultMenu(LPARAM at) {
    HWND list = Item(IDC_RESULTS);
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == static_cast<LPARAM>(-1)) {
        RECT rect{};
        const int selection = list_.Selection();
        if (selection < 0 || ::SendMessageW(list, LB_GETITEMRECT, selection, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
            rect = RECT{};
        point = POINT{rect.left + 24, rect.bottom};
        ::ClientToScreen(list, &point);
    } else {
        // A right click picks the line under it first, as a left click would.
        POINT client = point;
        ::ScreenToClient(list, &client);
        const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
        if (HIWORD(hit) == 0) ::SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
    }
    const int line = list_.Selection();
    const MenuHandle menu(::CreatePopupMenu());
    if (!menu) return;
    const bool available = !driver_.Busy() && TargetOfLine(line) >= 0;
    ::AppendMenuW(menu.Get(), MF_STRING | (available ? MF_ENABLED : MF_GRAYED), ID_RESULT_DETAILS, L"Details...");
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, Hwnd(), nullptr));
    if (chosen == ID_RESULT_DETAILS) OpenDetails(line);
}

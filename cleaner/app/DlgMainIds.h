#pragma once
// Dialog template and control ids of the main window (CDlgMain), its tray icon and the tray menu's
// commands. Usable from C++ and from .rc files; the end-to-end tests drive the window by these.
#include "res/ResourceIds.h"

#define IDD_MAIN 102
#define IDC_SCAN 32781
#define IDC_KILL 1087
#define IDC_STOP 1088
#define IDC_OPTIONS 32790
#define IDC_ABOUT 32783
#define IDC_HIDE 2
#define IDC_EXIT 32773
#define IDC_RESULTS 1027
#define IDC_BANNER 1037
#define IDC_PROGRESS 1092

#define IDM_TRAY 128
#define ID_TOGGLE_MODE 32789
#define ID_HELP_INDEX 57670
// Starts the automatic update at once, as the scheduler does once an hour when one is due.
#define ID_AUTO_UPDATE 32800
// "Details..." of the result list's context menu.
#define ID_RESULT_DETAILS 32801
// The tray icon's id is also the id of its icon and of its tooltip text (CTrayIcon::SetIcon).
#define ID_TRAY_ICON IDI_TRACELORN
#define IDS_TRAY_TIP ID_TRAY_ICON
// The tray icon's callback message. The same number is the dialog manager's DM_GETDEFID: only
// ID_TRAY_ICON in wParam makes it a tray event.
#define WM_TRAY_ICON WM_USER

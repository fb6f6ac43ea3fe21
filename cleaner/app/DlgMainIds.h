#pragma once
// Dialog template and control ids of the main window (CDlgMain), and the tray menu's commands.
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
#define IDC_CLOSE_FRAME 1800

#define IDM_TRAY 128
#define ID_TOGGLE_MODE 32789
#define ID_HELP_INDEX 57670
// Starts the automatic update at once, as the scheduler does once an hour when one is due.
#define ID_AUTO_UPDATE 32800
#define IDS_TRAY_TIP 128
#define IDI_MAIN_ICON 128

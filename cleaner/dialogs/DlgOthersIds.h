#pragma once
// Template and control ids of the Settings page (CDlgOthers).
#include "dialogs/DlgUpdateIds.h"  // IDC_UPDATE_NOW: the button and the command share one id

#define IDD_OTHERS 139
#define IDC_NOTIFY_WHEN_START 1053
#define IDC_AUTO_START 1054
#define IDC_SEC_DEL 1055
#define IDC_AUTO_UPDATE 1056
#define IDC_SCAN_SLOW 1057
#define IDC_SCAN_NORMAL 1058
#define IDC_SCAN_FAST 1059
#define IDC_AUTO_UPDATE_NOTIFY 1060
#define IDC_KILL_SLOW 1061
#define IDC_KILL_NORMAL 1062
#define IDC_KILL_FAST 1063
#define IDC_LEVEL_LOW 1064
#define IDC_LEVEL_MEDIUM 1065
#define IDC_LEVEL_HIGH 1066
#define IDC_LEVEL_VERY_HIGH 1067
#define IDC_LEVEL_EXTREME 1068
#define IDC_SHOW_TOOLTIPS 1070
#define IDC_SKIP_SSD 1071
#define IDC_SSD_NOTE 1072

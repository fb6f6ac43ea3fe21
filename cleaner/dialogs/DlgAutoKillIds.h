#pragma once
// Template and control ids of the Auto-Kill page (CDlgAutoKill).
#define IDD_AUTOKILL 140
#define IDC_AK_APP_PATH 1043
#define IDC_AK_BROWSE 1064
#define IDC_AK_SCAN 1065
#define IDC_AK_SUMMARY 1066
#define IDC_AK_WIN_START 1067
#define IDC_AK_BROWSER_CLOSED 1068
#define IDC_AK_EVERY_TIME 1069
#define IDC_AK_INTERVAL 1070
#define IDC_AK_APP_EXIT 1071
#define IDC_AK_SOUND_END 1072
#define IDC_AK_TEST 1073

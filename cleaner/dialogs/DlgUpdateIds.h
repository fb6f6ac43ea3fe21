#pragma once
// Dialog template and control ids of the update dialog (CDlgUpdate).
#define IDD_UPDATE 150
#define IDC_UPDATE_STATUS 1150
#define IDC_UPDATE_PROGRESS 1091
// "Update NOW!": the command that opens the update dialog (the Settings page's button id).
#define IDC_UPDATE_NOW 1069

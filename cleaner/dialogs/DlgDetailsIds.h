#pragma once
// Template, control and command ids of the details window (CDlgDetails). The end-to-end tests
// drive the window by these.
#define IDD_DETAILS 160
#define IDC_DETAILS_FILTER 1160
#define IDC_DETAILS_LIST 1161
#define IDC_DETAILS_STATUS 1162
#define IDC_DETAILS_KEEP 1163
#define IDC_DETAILS_KEEP_FOLDER 1164
#define IDC_DETAILS_FILTER_LABEL 1165

#pragma once
// Template and control ids of the Options dialog (CDlgOptions) and its Targets page. Usable from
// C++ and from .rc files; the end-to-end tests drive the dialog by these.
#define IDD_OPTIONS 131
#define IDD_TARGETS 138
#define IDC_TAB_TARGETS 1060
#define IDC_TAB_AUTOKILL 1061
#define IDC_TAB_SETTINGS 1062
#define IDC_OPTIONS_HELP 1063
#define IDC_TAB_EXCLUDES 1064
#define IDC_TAB_COOKIES 1164

#pragma once
// Template and control ids of the "Cookies to Keep" page (CDlgCookiesToKeep) and of its dialog
// for a site typed by hand (CDlgAddSite).
#define IDD_COOKIES_TO_KEEP 153
#define IDD_ADD_SITE 154
#define IDC_KEEP_SEARCH 1160
#define IDC_KEEP_LIST 1161
#define IDC_KEEP_ADD 1162
#define IDC_KEEP_STATUS 1163
#define IDC_ADD_SITE_TEXT 1165

#pragma once
// Templates and control ids of the Targets tab (CDlgTargets) and its pages: the check-box pages
// (CDlgTarget), the Applications tree (CDlgTargetApp) and the group pop-ups (CDlgTargetMin). Usable
// from C++ and from .rc files; the end-to-end tests drive the pages by these.
#define IDD_TARGET 141
#define IDD_TARGET_MIN 143
#define IDD_TARGET_APP 149

// Tab buttons of the Targets tab.
#define IDC_TAB_WINDOWS 1080
#define IDC_TAB_BROWSERS 1081
#define IDC_TAB_APPLICATIONS 1082
#define IDC_TAB_CUSTOM 1083

// Every page and pop-up.
#define IDC_SELECT_ALL 1051
#define IDC_SELECTED_COUNT 1099
// The scrolling list of a page or pop-up; its check boxes are IDC_TARGET_FIRST + i, one per
// target of the category, as many as the category holds.
#define IDC_TARGET_LIST 1095
#define IDC_TARGET_FIRST 1002
// Group buttons of a check-box page: IDC_GROUP_FIRST + g, one per group the page shows.
#define IDC_GROUP_FIRST 1100

// Applications page.
#define IDC_SHOW_DESCRIPTION 1052
#define IDC_APP_TREE 1086
#define IDC_APP_SEARCH 1096
#define IDC_APP_IMPORT 1097
#define IDC_APP_REMOVE_IMPORTED 1098

// Custom page.
#define IDC_CUSTOM_TREE 1087
#define IDC_ADD_TARGET 1090
#define IDC_EDIT_TARGET 1093
#define IDC_DELETE_TARGET 1094

#pragma once
// Template and control ids of the Excludes page (CDlgExcludes).
#define IDD_EXCLUDES 151
#define IDC_EXCLUDE_LIST 1151
#define IDC_EXCLUDE_ADD_FILE 1152
#define IDC_EXCLUDE_ADD_FOLDER 1153
#define IDC_EXCLUDE_REMOVE 1154

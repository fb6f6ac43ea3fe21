#pragma once
// Templates and control ids of the custom target editor (CDlgAddTarget) and its six property
// pages. Usable from C++ and from .rc files; the end-to-end tests drive the editor by these.
#define IDD_ADD_TARGET 142
#define IDD_ADD_FILE 144
#define IDD_ADD_FOLDER 145
#define IDD_ADD_FILES 146
#define IDD_ADD_FOLDER_REG 147
#define IDD_ADD_REG_VALUE 148

// The editor.
#define IDC_TARGET_NAME 1044
#define IDC_IS_ACTIVE 1056
#define IDC_KIND_FILE 1072
#define IDC_KIND_FOLDER 1073
#define IDC_KIND_FILES 1074
#define IDC_KIND_FOLDER_REG 1075
#define IDC_KIND_REG_VALUE 1076
#define IDC_KIND_REG_KEY 1077
#define IDC_EDITOR_HELP 1063

// The property pages.
#define IDC_FILE_PATH 1043
#define IDC_FILE_BROWSE 1073
#define IDC_FOLDER_PATH 1074
#define IDC_FOLDER_BROWSE 1075
#define IDC_INCLUDE_SUBFOLDERS 1076
#define IDC_WILDCARD 1077
#define IDC_SUB_KEY 1078
#define IDC_VALUE_NAME 1079
#define IDC_ROOT_FIRST 1080  // 1080-1084: Classes_Root, Current_User, Local_Machine, Current_Config, Users
#define IDC_VALUE_NAME_LABEL 1085

#pragma once
// Template and control ids of the About dialog (CDlgAbout), and its picture.
#include "res/ResourceIds.h"

#define IDD_ABOUT 136
#define IDC_ABOUT_HOME 1037
#define IDC_ABOUT_MAIL 1038
#define IDC_ABOUT_MAKER 1041
#define IDC_ABOUT_NAME 1095
#define IDC_ABOUT_STATISTICS 1097

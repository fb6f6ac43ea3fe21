#pragma once
// Resource ids shared by several windows of the cleaner: icons, bitmaps, image strips and the end
// sound. A dialog's own template and control ids live in the header beside that dialog. Usable
// from C++ and from .rc files.

// Icons.
#define IDI_TRACELORN 128          // window, taskbar and tray icon (16, 32, 48 px)
#define IDI_PAGE_WINDOWS 158       // target page "Windows"
#define IDI_GROUP_APPLETS 159      // "Windows Applets" group, "Applications" page
#define IDI_TREE_CUSTOM 163        // 16 x 16 icons of the target tree's image list
#define IDI_TREE_TARGET 164
#define IDI_TREE_CATEGORY 165
#define IDI_GROUP_OPERA 175
#define IDI_GROUP_NETSCAPE 176
#define IDI_GROUP_OFFICE 180
#define IDI_GROUP_FLOCK 182
#define IDI_PAGE_BROWSERS 198      // target page "Internet Explorer"
#define IDI_GROUP_FIREFOX 200

// Bitmaps and image strips.
#define IDB_TRAY_SCAN 140          // 16 x 15 tray-menu bitmap of "Scan Targets"
#define IDB_TAB_BUTTONS 151        // 3 frames of 107 x 24: normal, hover, selected
#define IDB_CLOSE_BUTTON 152       // 3 frames of 21 x 21: normal, hover, pressed
#define IDB_EMBLEM 173             // 4 frames of 64 x 64
#define IDB_TITLE_ACTIVE 183       // 1 x 27 title and bottom band, active window
#define IDB_ABOUT_PICTURE 184      // 182 x 35 picture of the About dialog
#define IDB_TITLE_INACTIVE 186     // 1 x 27, inactive window
#define IDB_TRAY_KILL 187          // 16 x 15 tray-menu bitmap of "Kill Targets!"
#define IDB_HELP_LINK 190          // 16 x 16 Help link icon, also the tray menu's "Help..." (16 x 15 drawn)
#define IDB_CHECK_BOXES 202        // 5 frames of 13 x 13: off, on, off hover, on hover, disabled
#define IDB_MAIN_HEADER 208        // 425 x 180 picture of the main window's upper body
#define IDB_MAIN_FOOTER 209        // 425 x 77 picture behind the main window's action buttons
#define IDB_PAGE_IMAGES 216        // 4 frames of 64 x 64, one per target page (tab index)

// Controls of every skinned dialog.
#define IDC_SKIN_CLOSE 1800        // the close button in the title band (CMyDialog)

// Sounds.
#define IDW_END_SOUND 214          // WAVE resource played after an Auto-Kill

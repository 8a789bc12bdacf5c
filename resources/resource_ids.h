// Numbers of every resource and control of the program. Shared by the resource
// script and the C++ code, so only preprocessor definitions may live here.
#ifndef WORDLARK_RESOURCES_RESOURCE_IDS_H
#define WORDLARK_RESOURCES_RESOURCE_IDS_H

// Controls without an id of their own (labels, group frames, pictures).
#define IDC_NONE (-1)

// Icons: 2 is the program icon and the tray icon while Intelligent Typing is on,
// 150 the tray icon while it is off, 131 the small class icon, 143 to 145 the
// three web-search rows of the command window.
#define IDI_PROGRAM 2
#define IDI_SMALL 131
#define IDI_SEARCH_FIRST 143
#define IDI_SEARCH_SECOND 144
#define IDI_SEARCH_THIRD 145
#define IDI_TRAY_OFF 150

// The command window's picture.
#define IDB_COMMAND_PICTURE 135

// Strings: the window title and the window class name.
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

// Tray menu and accelerator table.
#define IDR_TRAY_MENU 109
#define IDR_ACCELERATORS 109

// Tray menu commands.
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_QUICK_LAUNCH 32773
#define IDM_SCREEN_KEYBOARD 32775
#define IDM_CONFIGURATIONS 32779
#define IDM_HELP 32785
#define IDM_CHECK_UPDATES 32786
#define IDM_ENABLE_TYPING 32781

// Tray icon callback message (WM_APP + 1) and the tray icon's id.
#define WM_TRAY_CALLBACK 32769
#define TRAY_ICON_ID 2

// Dialogs.
#define IDD_COMMAND 102
#define IDD_ABOUT 103
#define IDD_KEYBOARD 139
#define IDD_CONFIG 146

// Command window (dialog 102).
#define IDC_COMMAND_CLOSE 1003
#define IDC_COMMAND_PICTURE 2
#define IDC_COMMAND_COMBO 1006

// Configurations dialog (dialog 146).
#define IDC_CFG_LAUNCH_ON_STARTUP 1054
#define IDC_CFG_COMMAND_SPACE 1058
#define IDC_CFG_COMMAND_S 1059
#define IDC_CFG_COMMAND_L 1060
#define IDC_CFG_TYPING_M 1061
#define IDC_CFG_TYPING_I 1062
#define IDC_CFG_TYPING_T 1063
#define IDC_CFG_KEYBOARD_O 1064
#define IDC_CFG_KEYBOARD_K 1065
#define IDC_CFG_KEYBOARD_B 1066
#define IDC_CFG_PROGRAM_LIST 1068
#define IDC_CFG_LEARNING_TEXT 1071
#define IDC_CFG_HOTKEY_GROUP 1072
#define IDC_CFG_WORDLIST_PATH 1073
#define IDC_CFG_WORDLIST_CHOOSE 1074
#define IDC_CFG_WORDLIST_TEXT 1075
#define IDC_CFG_WORDLIST_CLEAR 1076

// Keyboard window (dialog 139): character keys 1001 to 1047 in layout order.
#define IDC_KEY_FIRST 1001
#define IDC_KEY_LAST 1047
#define IDC_KEY_BACKSPACE 1048
#define IDC_KEY_DELETE 1049
#define IDC_KEY_ENTER 1050
#define IDC_KEY_SHIFT 2001
#define IDC_KEY_SPACE 2003

#endif

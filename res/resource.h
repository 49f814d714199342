// Resource identifiers of ZK-Arbolin.exe, in bands: resources 1xx, menu commands 400xx, About controls
// 100x. Only #defines: windres reads this file as well as the compiler.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Resources
#define IDR_MAIN_MENU           101
#define IDD_ABOUT               102
#define IDB_MASCOT              106
#define IDI_APP                 114
#define IDB_BANNER              116

// Menu commands (menu 101)
#define IDM_SELECT_FOLDER       40002
#define IDM_SUBFOLDERS          40003
#define IDM_EXIT                40004
#define IDM_FOLDER_NAMES        40005
#define IDM_FILE_NAMES          40006
#define IDM_HELP                40007
#define IDM_ABOUT               40008
#define IDM_SAVE_LIST           40009
#define IDM_TREE_VIEW           40011
#define IDM_DEPTH_UNLIMITED     40014
#define IDM_DEPTH_2             40015
#define IDM_DEPTH_3             40016
#define IDM_DEPTH_4             40017
#define IDM_DEPTH_5             40018
#define IDM_DEPTH_6             40019
#define IDM_NAME_LIMIT          40020

// About dialog controls (dialog 102)
#define IDC_WEB_ADDRESS         1002
#define IDC_MAIL_ADDRESS        1003
#define IDC_SEND_MAIL           1005
#define IDC_GO                  1006

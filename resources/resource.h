// Resource ids shared by the resource scripts and the code.
#pragma once

#define IDD_QUOTRIX_DIALOG 102

// The icon image list's pictures and the program's icons (drawn by tools/make-artwork.py).
#define IDI_QUOTRIX 128
#define IDB_ARROWS_TYPE0 137
#define IDI_QUOTRIX_ABOUT 140
#define IDI_STOCK_FILE 141
#define IDB_ARROWS_TYPE1 148
#define IDB_ARROWS_TYPE2 149
#define IDB_MARKS 150
#define IDB_MENU_PICTURES 147

// Quotrix.exe: the string table (caption, start-up and application messages).
#define IDS_APP_CAPTION 103
#define IDS_BAD_CODES 105
#define IDS_INIT_FAILED 107
#define IDS_TIMER_FAILED 115
#define IDS_WINDOW_FAILED 116
#define IDS_COMPANY_KEY 124
#define IDS_WIZARD_FILE 129
#define IDS_DEFAULT_FILE 130
#define IDS_LOAD_FAILED 131
#define IDS_BAD_COMMAND_LINE 132
#define IDS_APP_TIP 135
#define IDS_DELETE_STOCK 137
#define IDS_PRODUCT_PAGE 146
#define IDS_OLD_DEFAULT_FILE 152
#define IDS_TIP_CLOSE 153
#define IDS_TIP_ROLL_UP 156
#define IDS_TIP_AUTO_HIDE 158
#define IDS_TO_DESKTOP 160
#define IDS_TO_TRAY 161
#define IDS_DELETE_CAPTION 162
#define IDS_OTHER_PAGES 32959
#define IDS_PROPERTIES 32952
#define IDS_ROW_CLEAR_BOARD 32953
#define IDS_ROW_CLEAR_NEWS 32954
#define IDS_ROW_UP 32955
#define IDS_ROW_DOWN 32956

// Menus and accelerators of the main window.
#define IDR_POPUP_MENUS 232
#define IDR_ACCELERATORS 242
#define IDR_WEB_PAGES 248

// Dialogs of the main window.
#define IDD_ABOUTBOX 100
#define IDD_STARTUP_CHOICE 258
#define IDD_EXIT_PROMPT 260
#define IDD_LAST_RUN_REPORT 234
#define IDC_REPORT_SET_TIMEOUTS 1004
#define IDC_REPORT_DONT_SHOW 1005
#define IDC_CHOICE_CODES 1001
#define IDC_CHOICE_FILE 1002
#define IDC_EXIT_AUTO 1003
#define IDC_ABOUT_VERSION 1010
#define IDC_ABOUT_SYSTEM 1011
#define IDC_ABOUT_WEB 1012
#define IDC_ABOUT_CHECK 1013

// Commands of the popup menus.
#define ID_VERUP_DOWNLOAD 33024
#define ID_VERUP_CLOSE 33025
#define ID_APP_ADD_STOCK 33027
#define ID_APP_MANAGER 33028
#define ID_APP_CLEAR_BOARD 33029
#define ID_APP_CLEAR_NEWS 33030
#define ID_APP_SAVE 33031
#define ID_APP_OPTIONS 33032
#define ID_APP_EXIT 33033
#define ID_APP_ABOUT 33034
#define ID_APP_RELEASE_CHECK 33035
#define ID_STOCK_WEB 33036
#define ID_STOCK_UPDATE 33037
#define ID_STOCK_PROPERTIES 33038
#define ID_STOCK_TOGGLE 33039
#define ID_STOCK_HIDE 33040
#define ID_STOCK_DELETE 33041
#define ID_ROW_HIDE 33010
#define ID_APP_UPDATE_ALL 33069
#define ID_ACCEL_MANAGER 33070
#define ID_ACCEL_ADD_STOCK 33071
#define ID_ACCEL_SAVE 33072
#define ID_APP_PORTFOLIO 33073
#define ID_APP_SECURITIES 33074
#define ID_WEB_FIRST 33081
#define ID_WEB_LAST 33094
#define ID_WEB_QUOTE_BOARD 33122
#define ID_WEB_REPORT 33123
#define ID_ROW_CLEAR_BOARD 33117
#define ID_ROW_CLEAR_NEWS 33118
#define ID_STOCK_RESET 33136
// Accelerators answered by the stock list manager and the trades page.
#define ID_ACCEL_COPY 33105
#define ID_ACCEL_PASTE 33111
#define ID_ACCEL_DELETE 33106
#define ID_ACCEL_SELECT_ALL 33119
#define ID_ACCEL_UPDATE 33062
#define ID_ACCEL_UNDO 33067
#define ID_ACCEL_REDO 33068
#define ID_ACCEL_TRADE_H 33131
#define ID_ACCEL_TRADE_L 33137
#define ID_STOCK_TO_DESKTOP 40016
#define ID_STOCK_TO_TRAY 40017
#define ID_ROW_SEPARATOR1 40024
#define ID_ROW_UP 40025
#define ID_ROW_DOWN 40026
#define ID_ROW_SEPARATOR2 40027

// The portfolio window: the title buttons' pictures and the texts its buttons' tips change to
// (resources/Portfolio.rc).
#define IDB_PORTFOLIO_BUTTONS 230
#define IDS_TIP_ROLL_DOWN 157
#define IDS_TIP_ALWAYS_SHOWN 159

// Enlistor.exe, the wizard (resources/Enlistor.rc). Its icons are numbered in the order the shell
// counts them: the file type's "DefaultIcon" names the stock file icon as icon 4 of Enlistor.exe.
#define IDI_ENLISTOR 128
#define IDI_WIZ_QUOTRIX 129
#define IDI_WIZ_CODES 130
#define IDI_WIZ_FOLDER 131
#define IDI_WIZ_STOCK_FILE 132
#define IDB_WIZ_STRIP 300
#define IDD_WIZ_START 310
#define IDD_WIZ_CODES 311
#define IDD_WIZ_FOLDER 312
#define IDD_WIZ_FINISH 313
#define IDC_WIZ_STRIP 1100
#define IDC_WIZ_CODES 1101
#define IDC_WIZ_KEYWORD 1102
#define IDC_WIZ_SEARCH 1103
#define IDC_WIZ_MODE_APPDATA 1104
#define IDC_WIZ_MODE_USER 1105
#define IDC_WIZ_TITLE_LABEL 1106
#define IDC_WIZ_TITLE 1107
#define IDC_WIZ_PATH_LABEL 1108
#define IDC_WIZ_PATH 1109
#define IDC_WIZ_BROWSE 1110
#define IDC_WIZ_RUN 1111
#define IDC_WIZ_SHORTCUT 1112
#define IDC_WIZ_NOTICE 1113
#define IDC_WIZ_REGISTER 1114
#define IDC_WIZ_HEADING 1115

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

// The stock property sheet (trade, display, icon, watch and desktop-item pages) and the trade
// dialogs: templates 470 to 479, controls 4700 to 4816 (resources/StockProperty.rc).
#define IDD_STOCK_PRICE_PAGE 470
#define IDD_STOCK_DISP_PAGE 471
#define IDD_STOCK_ICON_PAGE 472
#define IDD_STOCK_WATCH_PAGE 473
#define IDD_STOCK_DESK_PAGE 474
#define IDD_STOCK_EXCHANGE 475
#define IDD_SELL_STOCK 476
#define IDD_CHANGE_MARKET 477
#define IDD_STOCK_ERRLOG 478
#define IDD_ACCOUNT_BALANCE 479
#define IDC_TP_NAME 4700
#define IDC_TP_CODE 4701
#define IDC_TP_MARKET 4702
#define IDC_TP_PORTFOLIO 4703
#define IDC_TP_SHARES_LABEL 4704
#define IDC_TP_SHARES 4705
#define IDC_TP_TOTAL_LABEL 4706
#define IDC_TP_TOTAL 4707
#define IDC_TP_TOTAL_UNIT 4708
#define IDC_TP_AVERAGE_LABEL 4709
#define IDC_TP_AVERAGE 4710
#define IDC_TP_AVERAGE_UNIT 4711
#define IDC_TP_VALUE_LABEL 4712
#define IDC_TP_VALUE 4713
#define IDC_TP_VALUE_UNIT 4714
#define IDC_TP_MARGIN 4715
#define IDC_TP_SHORT 4716
#define IDC_TP_ADD 4717
#define IDC_TP_REMOVE 4718
#define IDC_TP_UNDO 4719
#define IDC_TP_REDO 4720
#define IDC_TP_NAME_MARKET 4721
#define IDC_TP_LOG 4722
#define IDC_EX_NAME 4725
#define IDC_EX_SHARES 4726
#define IDC_EX_AMOUNT 4727
#define IDC_EX_TOTAL 4728
#define IDC_EX_UNIT 4729
#define IDC_EX_CALC 4730
#define IDC_SE_NAME 4731
#define IDC_SE_SHARES 4732
#define IDC_SE_AMOUNT_LABEL 4733
#define IDC_SE_AMOUNT 4734
#define IDC_SE_TOTAL 4735
#define IDC_SE_UNIT 4736
#define IDC_SE_PROFIT 4737
#define IDC_SE_GROUP 4738
#define IDC_SE_AVERAGE_TEXT 4739
#define IDC_SE_AVERAGE 4740
#define IDC_SE_COST_LABEL 4741
#define IDC_SE_COST_TEXT 4742
#define IDC_SE_COST 4743
#define IDC_SE_EDIT 4744
#define IDC_SE_CALC 4745
#define IDC_CM_NAME 4746
#define IDC_CM_REFETCH 4747
#define IDC_CM_MARKET 4748
#define IDC_CM_MARKET_TEXT 4749
#define IDC_LOG_TEXT 4750
#define IDC_AB_AMOUNT 4751
#define IDC_AB_SET 4752
#define IDC_AB_ADD 4753
#define IDC_AB_SUBTRACT 4754
#define IDC_DP_ALWAYS 4755
#define IDC_DP_NEVER 4756
#define IDC_DP_OUTSIDE 4757
#define IDC_DP_INSIDE 4758
#define IDC_DP_WHERE 4759
#define IDC_DP_BALLOON 4760
#define IDC_DP_RANGE 4761
#define IDC_DP_RANGE_BUTTON 4762
#define IDC_DP_PORTFOLIO 4763
#define IDC_DP_BORDER 4764
#define IDC_IP_PREVIOUS 4765
#define IDC_IP_TRADE 4766
#define IDC_IP_TARGET 4767
#define IDC_IP_TARGET_TEXT 4768
#define IDC_IP_TARGET_BUTTON 4769
#define IDC_IP_UNIT 4770
#define IDC_IP_CAPTION 4771
#define IDC_IP_EXPLAIN 4772
#define IDC_IP_STANDARD 4773
#define IDC_IP_ARROW1 4774
#define IDC_IP_STEP1 4778
#define IDC_IP_UNIT1 4782
#define IDC_WP_LOWER 4786
#define IDC_WP_UPPER 4787
#define IDC_WP_HIGHLIGHT 4788
#define IDC_WP_TARGET 4789
#define IDC_WP_TARGET_HIGHLIGHT 4790
#define IDC_WP_TARGET_SHOW 4791
#define IDC_DK_MODE 4792
#define IDC_DK_SIMPLE 4793
#define IDC_DK_PORTFOLIO 4794
// The desktop items' 17 check boxes: IDC_DK_ITEM0 + the item's position on the page.
#define IDC_DK_ITEM0 4800
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

// The add-stock sheet (resources/AddStock.rc).
#define IDS_ADD_STOCK_CAPTION 118
#define IDD_ADD_SEARCH 280
#define IDD_ADD_DIRECT 281
#define IDC_ADD_PROMPT 1200
#define IDC_ADD_KEYWORD 1201
#define IDC_ADD_RESULTS 1202
#define IDC_ADD_SEARCHING 1203
#define IDC_ADD_PROGRESS 1204
#define IDC_ADD_HINT_ICON 1205
#define IDC_ADD_HINT 1206
#define IDC_ADD_SEARCH_BUTTON 1207
#define IDC_ADD_SELECT_ALL 1208
#define IDC_ADD_SELECT_NONE 1209
#define IDC_ADD_CODES 1210
#define IDC_ADD_WIZARD 1211

// The stock list manager (resources/StockList.rc): window, menu bar, controls and the commands of
// its menu bar, numbered 5000 to 5199.
#define IDD_STOCKLIST 5000
#define IDR_STOCKLIST_MENU 5001
#define IDC_SL_LIST 5010
#define IDC_SL_SORT 5011
#define ID_SL_ADD 5020
#define ID_SL_SAVE 5021
#define ID_SL_SAVE_COPY 5022
#define ID_SL_SAVE_CSV 5023
#define ID_SL_WIZARD 5024
#define ID_SL_OPTIONS 5025
#define ID_SL_CLOSE 5026
#define ID_SL_COPY_ALL 5030
#define ID_SL_COPY 5031
#define ID_SL_PASTE 5032
#define ID_SL_DELETE 5033
#define ID_SL_SELECT_ALL 5034
#define ID_SL_TOTAL_ICON 5040
#define ID_SL_PORTFOLIO 5041
#define ID_SL_TIP_TEXT 5042
#define ID_SL_PRICE_BARS 5043
#define ID_SL_GRID 5044
#define ID_SL_REFRESH 5045
#define ID_SL_PF_HOLDINGS 5050
#define ID_SL_PF_ALL 5051
#define ID_SL_PF_HIDE_EMPTY 5052
#define ID_SL_PF_BORDERS 5053
#define ID_SL_PF_NO_BORDERS 5054
#define ID_SL_APPLY_ORDER 5055
#define ID_SL_WEB 5060
#define ID_SL_RELEASE_CHECK 5061
#define ID_SL_ABOUT 5062
// Posted to the main window by the manager's window as it goes, so that its object is freed.
#define ID_SL_CLOSED 5099

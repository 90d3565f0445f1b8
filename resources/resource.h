// Resource ids shared by the resource scripts and the code.
#pragma once

#define IDD_QUOTRIX_DIALOG 102
#define IDD_ENLISTOR_FRAME 300
#define IDC_ENLISTOR_BACK 301
#define IDC_ENLISTOR_NEXT 302
#define IDC_ENLISTOR_TEXT 303

// The icon image list's pictures and the program's icons (drawn by tools/make-artwork.py).
#define IDI_QUOTRIX 128
#define IDB_ARROWS_TYPE0 137
#define IDI_QUOTRIX_ABOUT 140
#define IDI_STOCK_FILE 141
#define IDB_ARROWS_TYPE1 148
#define IDB_ARROWS_TYPE2 149
#define IDB_MARKS 150

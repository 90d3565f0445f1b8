// Resource ids shared by the resource scripts and the code.
#pragma once

#define IDD_QUOTRIX_DIALOG 102
#define IDD_ENLISTOR_FRAME 300
#define IDC_ENLISTOR_BACK 301
#define IDC_ENLISTOR_NEXT 302
#define IDC_ENLISTOR_TEXT 303

// The resource ids of the shared widgets' dialog templates and controls (widgets.rci), for the
// widgets' code and for the .rc files of every program that carries them. Plain defines, so that
// the resource compiler reads them too; a program's own resource.h may define the same names with
// the same values.
#pragma once

#define IDD_LOADING 188
#define IDD_WAIT 391
#define IDD_CUSTOM_MSG 687
#define IDC_TITLE 1011
#define IDC_WAIT_FRAME 1058
#define IDC_WAIT_TEXT 1059
#define IDC_LOADING_PICTURE 1062
#define IDC_LOADING_TEXT 1063
#define IDC_MSG_YES 1246
#define IDC_MSG_NO 1247

// Resource ids of the windowing layer's tests.
#pragma once

#define IDC_STATIC (-1)

#define IDD_MAIN 100
#define IDD_PAGE 200
#define IDD_PLAIN 300
#define IDD_ORPHAN_CHILD 400
#define IDB_TINY 105

#define IDC_TABS 101
#define IDC_TREE 102
#define IDC_ADD 104
#define IDC_FRAME 106
#define IDC_HIDDEN_BUTTON 107
#define IDC_DISABLED_BUTTON 108

#define IDC_RADIO_A1 0x7D0
#define IDC_RADIO_A2 2001
#define IDC_RADIO_B1 2002
#define IDC_RADIO_B2 2003
#define IDC_COMBO 1002
#define IDC_PICTURE 1003

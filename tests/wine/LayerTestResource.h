// Resource ids of the layer test's own dialogs.
#pragma once

#define IDD_LAYER_TEST 100
#define IDD_LAYER_PAGE 1000
#define IDB_LAYER_PICTURE 105
#define IDC_TREE 201
#define IDC_TABS 202
#define IDC_COMBO 203
#define IDC_RADIO_A 204
#define IDC_RADIO_B 205
#define IDC_PUSH 206
#define IDC_PICTURE 207
#define IDC_TEXT 208
#define IDC_PAGE_BUTTON 1001

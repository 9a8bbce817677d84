// Resource ids of the configuration library's dialogs, controls and bitmap.
#pragma once

#define IDC_STATIC (-1)

// Template window.
#define IDD_TEMPLATE_DIALOG 100
#define IDC_PAGE_TABS 101
#define IDC_TEMPLATE_TREE 102
#define IDC_REMOVE 103
#define IDC_ADD 104
#define IDB_BOARD 105
#define IDC_PAGE_FRAME 106
#define IDC_SAVE 1006
#define IDC_CLOSE 1007

// Device page.
#define IDD_DEVICE_PAGE 1000
#define IDC_MODEL_TEXT 1001
#define IDC_BOARD_ID 1002
#define IDC_BOARD_PICTURE 1003
#define IDC_DESCRIPTION 1004

// Digital-input page: one pair of radio buttons per channel group, first button = bit set.
#define IDD_DI_PAGE 2000
#define IDC_TRIGGER_CH0_RISING 2100
#define IDC_TRIGGER_CH0_FALLING 2101
#define IDC_TRIGGER_CH16_RISING 2102
#define IDC_TRIGGER_CH16_FALLING 2103
#define IDC_TRIGGER_CH32_RISING 2104
#define IDC_TRIGGER_CH32_FALLING 2105
#define IDC_TRIGGER_CH48_RISING 2106
#define IDC_TRIGGER_CH48_FALLING 2107
#define IDC_LATCH_CH0_ENABLE 1008
#define IDC_LATCH_CH0_DISABLE 1009
#define IDC_LATCH_CH16_ENABLE 1010
#define IDC_LATCH_CH16_DISABLE 1011
#define IDC_LATCH_CH32_ENABLE 1012
#define IDC_LATCH_CH32_DISABLE 1013
#define IDC_LATCH_CH48_ENABLE 1014
#define IDC_LATCH_CH48_DISABLE 1015

// Resource identifiers of the settings dialog (TDistributeConfigForm) and its three pages.
// Plain macros, so the resource script, the Win32 dialog and the portable layout share them.
#pragma once

// Dialog templates: the form and the pages shown inside its page control.
#define IDD_CONFIG_FORM 2000
#define IDD_PAGE_OPTIONS 2001
#define IDD_PAGE_EXIT 2002
#define IDD_PAGE_README 2003

// The form: header box, page control, buttons and the maker's credit. _BtnOK is IDOK and
// Button1 is IDCANCEL, so Enter and Esc work as everywhere else.
#define IDC_TITLE_LABEL 2100
#define IDC_AUTHOR_LABEL 2101
#define IDC_WEBSITE_LABEL 2102
#define IDC_BANNER_IMAGE 2103
#define IDC_PAGE_CONTROL 2104
#define IDC_TEXT_KESTRO 2105
#define IDC_TEXT_WEBSITE 2106

// "Options" page.
#define IDC_SEQUENCE_GROUP 2200
#define IDC_FLASH_NORMALIZE_RADIO 2201
#define IDC_FLASH_SHUFFLE_RADIO 2202
#define IDC_INTELLI_RADIO 2203
#define IDC_FLASH_OPTIONS_GROUP 2204
#define IDC_FLASH_SIZE_LABEL 2205
#define IDC_FLASH_SIZE_CB 2206
#define IDC_FLASH_QUALITY_LABEL 2207
#define IDC_FLASH_QUALITY_CB 2208
#define IDC_FLASH_COLOR_LABEL 2209
#define IDC_FLASH_COLOR_CB 2210
#define IDC_FLASH_LABEL 2211
#define IDC_FLASH_DOWNLOAD_TIME_EDIT 2212
#define IDC_FLASH_DOWNLOAD_TIME_SPIN 2213
#define IDC_FLASH_MUTE_CHECK 2214

// "Exit Conditions" page.
#define IDC_EXIT_GROUP 2300
#define IDC_MOUSE_MOVE_CHECK 2301
#define IDC_MOUSE_PRESS_CHECK 2302
#define IDC_KEYBOARD_CHECK 2303
#define IDC_SHOW_CURSOR_CHECK 2304
#define IDC_ESC_KEY_CHECK 2305

// "Readme" page.
#define IDC_MEMO1 2400

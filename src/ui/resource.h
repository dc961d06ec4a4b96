// Resource and control identifiers of the main window. Shared with the tests that drive it.
#pragma once

#define IDI_TARNINFO 1

#define IDC_LBL_ITEMS 101
#define IDC_LST_ITEMS 102
#define IDC_LBL_LOG 103
#define IDC_TXT_LOG 104
#define IDC_CMD_OPEN 105
#define IDC_CMD_GET_INFO 106
#define IDC_CMD_EXIT 107

#define IDM_FILE_OPEN 201
#define IDM_FILE_EXIT 202
#define IDM_EDIT_COPY_ALL 203
#define IDM_EDIT_COPY 204

#define TARN_MAIN_WINDOW_CLASS "TarnInfoMainWindow"

// The file dialog. OK and Cancel carry the system's own identifiers, so Enter and Esc reach them.
#define IDC_DRV_DRIVE 301
#define IDC_LBL_DRIVE 302
#define IDC_DIR_FOLDERS 303
#define IDC_LBL_FOLDERS 304
#define IDC_FIL_FILES 305
#define IDC_LBL_FILES 306
#define IDC_CMD_OK 1
#define IDC_CMD_CANCEL 2

#define TARN_FILE_DIALOG_CLASS "TarnInfoFileDialog"

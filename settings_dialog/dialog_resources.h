// Resource identifiers of the settings dialog's pictures and design data.
#pragma once
#define IDI_PROGRAM 1             // the program's icon: window, dialog and Explorer
#define IDB_DIALOG_SHEET 401      // 450 x 319 paper sheet, the face of Pic_C
#define IDB_RADIO_ROUND_OFF 402   // Img_Opt(0), 13 x 13
#define IDB_RADIO_ROUND_ON 403    // Img_Opt(1)
#define IDB_RADIO_SQUARE_OFF 404  // Img_Ra(0), 12 x 12
#define IDB_RADIO_SQUARE_ON 405   // Img_Ra(1)
#define IDC_HAND_POINTER 410      // 32 x 32, hot spot (12, 1)
// Stored properties of the dialog's reusable controls (property bags).
#define IDR_DESIGN_CMD_SET 420
#define IDR_DESIGN_CMD_CAN 421
#define IDR_DESIGN_CMD_FILE 422
#define IDR_DESIGN_UCANIGIF1 423

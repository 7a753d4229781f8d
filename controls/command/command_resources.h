// Resource identifiers of the Command button's skins (64 x 25, 24-bit).
#pragma once
#define IDB_COMMAND_NORMAL 301
#define IDB_COMMAND_HIGHLIGHT 302  // also HighLightSelect: the same picture
#define IDB_COMMAND_SELECTED 303
#define IDB_COMMAND_PRESSED 304
#define IDB_COMMAND_DISABLE 305

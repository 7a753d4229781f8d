// The real Windows multimedia calls (winmm), for the shipped launcher.
// Defined in mci_win32.cpp; only the Windows builds have it.
#pragma once
#include "multimedia_api.h"

MultimediaApi& SystemMultimedia();

// What the two programs agree on. Velmora.scr and Velmora.dll meet only
// through window titles and the file system; both read these names from
// here, so neither can drift from the other.
#pragma once
#include <string_view>

// The renderer's window class and title. The launcher watches for a window
// of this title: its disappearance ends a run.
constexpr const char* kRendererWindowName = "Nimbel_VC";

// The launcher's hidden run form and its settings dialog. A start that finds
// either title refuses to run twice.
constexpr const char* kRunFormTitle = "Nimbel_Main";
constexpr const char* kSettingsTitle = "<Velmora>";

// The renderer program, beside the launcher: appended to the launcher's folder.
constexpr const char* kRendererName = "\\Velmora.dll";

// The scratch folder the launcher makes for a run and empties and removes
// after it, and the texture it hands over in it (written before the renderer
// starts, read once by the renderer).
constexpr const char* kScratchFolder = "C:\\q_vesk";
constexpr const char* kHandOffPath = "C:\\q_vesk\\Nimbel.bmp";
static_assert(std::string_view(kHandOffPath).starts_with(kScratchFolder));

// What the current-frame export reads from the player: the frame on show in
// the frame strip, with its palette and transparency.
#pragma once
#include <optional>

#include "anigif_player.h"
#include "gif_export.h"

// None when nothing is loaded, or the current frame is not built yet.
std::optional<ExportSource> CurrentFrameSource(const AniGifPlayer& player);

// Writing a picture to disk as a bitmap file.
#pragma once
#include <string>

#include "form_win32.h"

namespace forms {
// The picture as a 24-bit bitmap file, replacing a plain file of that name.
// Refuses (false, nothing written) when the folder or the file is a link or
// junction, so the write can never land in a file the link points to.
bool WritePictureAsBitmap(const Picture& picture, const std::string& path);
// The picture's pixels as 24-bit rows, bottom row first; empty on failure.
std::string PictureRows24(const Picture& picture);
}  // namespace forms

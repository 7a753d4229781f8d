// Writing a picture to disk as a bitmap file.
#pragma once
#include <string>

#include "form_win32.h"

namespace forms {
// The picture as a 24-bit bitmap file, replacing whatever had that name. A
// link at that name is replaced, not written through; a folder that is a link
// or junction is refused (false, nothing written).
bool WritePictureAsBitmap(const Picture& picture, const std::string& path);
// The picture's pixels as 24-bit rows, bottom row first; empty on failure.
std::string PictureRows24(const Picture& picture);
}  // namespace forms

#include "picture_file_win32.h"

#include "app_win32.h"
#include "bitmap_file.h"
#include "file_access.h"
#include "gdi_win32.h"

namespace forms {

std::string PictureRows24(const Picture& picture) {
    const SIZE size = picture.Size();
    if (size.cx <= 0 || size.cy <= 0) return {};
    BITMAPINFO info = {};
    info.bmiHeader = BottomUpDibHeader(size.cx, size.cy, 24);
    std::string rows(static_cast<std::size_t>(BitmapStride24(size.cx) * size.cy), '\0');
    HDC screen = GetDC(nullptr);
    const int got =
        GetDIBits(screen, picture.Handle(), 0, static_cast<UINT>(size.cy), rows.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (got != size.cy) return {};
    return rows;
}

bool WritePictureAsBitmap(const Picture& picture, const std::string& path) {
    const SIZE size = picture.Size();
    const std::string file = BuildBitmapFile24(size.cx, size.cy, PictureRows24(picture));
    if (file.empty()) return false;
    return ReplaceFileAtomically(SystemFileAccess(), path, file);
}

}  // namespace forms

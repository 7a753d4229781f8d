#include "picture_file_win32.h"

#include "app_win32.h"
#include "bitmap_file.h"

namespace forms {

std::string PictureRows24(const Picture& picture) {
    const SIZE size = picture.Size();
    if (size.cx <= 0 || size.cy <= 0) return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    std::string rows(static_cast<std::size_t>(BitmapStride24(size.cx) * size.cy), '\0');
    HDC screen = GetDC(nullptr);
    const int got = GetDIBits(screen, picture.Handle(), 0, static_cast<UINT>(size.cy), rows.data(), &info,
                              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (got != size.cy) return {};
    return rows;
}

bool WritePictureAsBitmap(const Picture& picture, const std::string& path) {
    const SIZE size = picture.Size();
    const std::string file = BuildBitmapFile24(size.cx, size.cy, PictureRows24(picture));
    if (file.empty()) return false;
    const std::size_t cut = path.find_last_of('\\');
    if (cut != std::string::npos && IsReparsePoint(path.substr(0, cut))) return false;
    if (IsReparsePoint(path)) return false;
    // Opening the reparse point itself (never its target) covers a link
    // planted between the check above and this open.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION opened = {};
    bool ok = GetFileInformationByHandle(handle, &opened) &&
              !(opened.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    DWORD written = 0;
    ok = ok && WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
         written == file.size();
    CloseHandle(handle);
    return ok;
}

}  // namespace forms

#include "picture_win32.h"

#include <algorithm>
#include <vector>

#include "gdi_win32.h"
#include "icon_file.h"

namespace forms {

Picture::Picture(HBITMAP bitmap) : kind_(bitmap ? Kind::Bitmap : Kind::None), bitmap_(bitmap) {
    if (bitmap_) detail::CountGdi(1);
}

Picture::~Picture() { Reset(); }

void Picture::Reset() {
    if (bitmap_) {
        DeleteObject(bitmap_);
        detail::CountGdi(-1);
    }
    if (icon_ && !sharedIcon_) {
        if (kind_ == Kind::Cursor)
            DestroyCursor(icon_);
        else
            DestroyIcon(icon_);
        detail::CountGdi(-1);
    }
    kind_ = Kind::None;
    bitmap_ = nullptr;
    icon_ = nullptr;
    sharedIcon_ = false;
    data_ = {};
}

Picture::Picture(Picture&& other) noexcept
    : kind_(std::exchange(other.kind_, Kind::None)),
      bitmap_(std::exchange(other.bitmap_, nullptr)),
      icon_(std::exchange(other.icon_, nullptr)),
      sharedIcon_(std::exchange(other.sharedIcon_, false)),
      data_(std::move(other.data_)) {}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        Reset();
        kind_ = std::exchange(other.kind_, Kind::None);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        icon_ = std::exchange(other.icon_, nullptr);
        sharedIcon_ = std::exchange(other.sharedIcon_, false);
        data_ = std::move(other.data_);
    }
    return *this;
}

Picture Picture::FromResource(int id) {
    return Picture(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

Picture Picture::FromIconResource(int id, int size) {
    Picture picture;
    picture.icon_ = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    if (picture.icon_) {
        picture.kind_ = Kind::Icon;
        detail::CountGdi(1);
    }
    return picture;
}

Picture Picture::FromCursorResource(int id) {
    Picture picture;
    picture.icon_ = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    if (picture.icon_) {
        picture.kind_ = Kind::Cursor;
        detail::CountGdi(1);
    }
    return picture;
}

Picture Picture::FromData(const PictureData& data) {
    Picture picture;
    if (data.format != PictureFormat::Icon && data.format != PictureFormat::Cursor) return picture;
    const auto image = PickIconImage(data.bytes, 32);
    if (!image) return picture;
    const bool cursor = image->kind == IconFileKind::Cursor;
    // The resource form of a cursor image starts with its hot spot.
    std::vector<BYTE> bits;
    if (cursor) {
        bits = {static_cast<BYTE>(image->hotspotX), static_cast<BYTE>(image->hotspotX >> 8),
                static_cast<BYTE>(image->hotspotY), static_cast<BYTE>(image->hotspotY >> 8)};
    }
    bits.insert(bits.end(), data.bytes.begin() + static_cast<std::ptrdiff_t>(image->offset),
                data.bytes.begin() + static_cast<std::ptrdiff_t>(image->offset + image->size));
    picture.icon_ = CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), cursor ? FALSE : TRUE,
                                             0x00030000, image->width, image->height, LR_DEFAULTCOLOR);
    if (!picture.icon_) return picture;
    detail::CountGdi(1);
    picture.kind_ = cursor ? Kind::Cursor : Kind::Icon;
    picture.data_ = data;
    return picture;
}

Picture Picture::Clone() const {
    Picture copy;
    if (bitmap_) {
        copy.bitmap_ = static_cast<HBITMAP>(CopyImage(bitmap_, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    } else if (icon_) {
        copy.icon_ = CopyIcon(icon_);
    }
    if (!copy.bitmap_ && !copy.icon_) return copy;
    detail::CountGdi(1);
    copy.kind_ = kind_;
    copy.data_ = data_;
    return copy;
}

SIZE Picture::Size() const {
    if (bitmap_) {
        BITMAP info = {};
        if (!GetObjectW(bitmap_, sizeof info, &info)) return {0, 0};
        return {info.bmWidth, info.bmHeight};
    }
    if (icon_) {
        ICONINFO info = {};
        if (!GetIconInfo(icon_, &info)) return {0, 0};
        BITMAP mask = {};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        const bool monochrome = info.hbmColor == nullptr;  // mask holds AND and XOR halves
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        return {mask.bmWidth, monochrome ? mask.bmHeight / 2 : mask.bmHeight};
    }
    return {0, 0};
}

void Picture::Draw(HDC dc, int x, int y, int w, int h, bool stretch) const {
    const SIZE size = Size();
    if (icon_) {
        DrawIconEx(dc, x, y, icon_, stretch ? w : size.cx, stretch ? h : size.cy, 0, nullptr, DI_NORMAL);
        return;
    }
    if (!stretch) {  // at its own size, clipped to w x h
        w = std::min<int>(w, size.cx);
        h = std::min<int>(h, size.cy);
    }
    if (!bitmap_) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap_);
    if (stretch && (w != size.cx || h != size.cy)) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, x, y, w, h, source, 0, 0, size.cx, size.cy, SRCCOPY);
    } else {
        BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace forms

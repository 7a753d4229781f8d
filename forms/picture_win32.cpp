#include "picture_win32.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "gdi_win32.h"
#include "icon_file.h"
#include "resample.h"
#include "twips.h"

namespace forms {

namespace {
// The width of the image of the program's icon group id that suits wanted
// pixels best; nothing when there is no such group.
std::optional<std::int32_t> IconGroupSize(int id, int wanted) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return std::nullopt;
    return PickIconGroupSize({bytes, SizeofResource(module, found)}, wanted);
}

// The icon's pixels, premultiplied: from a colour image with alpha, or from
// one without, where the mask says what is transparent. Empty for a
// monochrome icon, which has no colour image.
std::vector<std::uint32_t> IconPixels(HICON icon, int& width, int& height) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return {};
    const OwnedBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP image = {};
    if (!colour || !mask || !GetObjectW(colour.Get(), sizeof image, &image) || image.bmWidth <= 0 ||
        image.bmHeight <= 0 || image.bmWidth > kResampleMaxSide || image.bmHeight > kResampleMaxSide)
        return {};
    width = image.bmWidth;
    height = image.bmHeight;
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint32_t> pixels(count), transparent(count);
    HDC screen = GetDC(nullptr);
    const bool read = GetDIBits(screen, colour.Get(), 0, height, pixels.data(), &format, DIB_RGB_COLORS) == height &&
                      GetDIBits(screen, mask.Get(), 0, height, transparent.data(), &format, DIB_RGB_COLORS) == height;
    ReleaseDC(nullptr, screen);
    if (!read) return {};
    const bool alpha = image.bmBitsPixel == 32 &&
                       std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p >> 24 != 0; });
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        if (!alpha) {
            pixels[i] = (transparent[i] & 0xFFFFFF) ? 0 : (p & 0xFFFFFF) | 0xFF000000u;
            continue;
        }
        const std::uint32_t a = p >> 24;
        std::uint32_t out = a << 24;
        for (int c = 0; c < 24; c += 8) out |= (((p >> c) & 0xFF) * a + 127) / 255 << c;
        pixels[i] = out;
    }
    return pixels;
}

// An icon at w x h, resampled smoothly with its transparency; false when it
// cannot be (the caller then lets the system stretch it).
bool DrawIconResampled(HDC dc, HICON icon, int x, int y, int w, int h) {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = IconPixels(icon, width, height);
    if (pixels.empty()) return false;
    const std::vector<std::uint32_t> scaled = ResamplePremultiplied(pixels, width, height, w, h);
    const DibSurface surface = DibSurface::Create(w, h);
    if (scaled.empty() || !surface) return false;
    std::memcpy(surface.bits, scaled.data(), scaled.size() * sizeof scaled[0]);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return AlphaBlend(dc, x, y, w, h, surface.Dc(), 0, 0, w, h, blend) != FALSE;
}
}  // namespace

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
    nominal_ = {0, 0};
    data_ = {};
}

Picture::Picture(Picture&& other) noexcept
    : kind_(std::exchange(other.kind_, Kind::None)),
      bitmap_(std::exchange(other.bitmap_, nullptr)),
      icon_(std::exchange(other.icon_, nullptr)),
      sharedIcon_(std::exchange(other.sharedIcon_, false)),
      nominal_(std::exchange(other.nominal_, SIZE{0, 0})),
      data_(std::move(other.data_)) {}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        Reset();
        kind_ = std::exchange(other.kind_, Kind::None);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        icon_ = std::exchange(other.icon_, nullptr);
        sharedIcon_ = std::exchange(other.sharedIcon_, false);
        nominal_ = std::exchange(other.nominal_, SIZE{0, 0});
        data_ = std::move(other.data_);
    }
    return *this;
}

Picture Picture::FromResource(int id) {
    return Picture(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

Picture Picture::FromIconResource(int id, int size, int drawSize) {
    Picture picture;
    // An image of the group at its own size: the system would stretch
    // another one roughly, where Draw resamples it smoothly.
    const int load = IconGroupSize(id, drawSize > 0 ? drawSize : size).value_or(size);
    picture.icon_ =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, load, load, 0));
    if (picture.icon_) {
        picture.kind_ = Kind::Icon;
        if (load != size) picture.nominal_ = {size, size};
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
    copy.nominal_ = nominal_;
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

SIZE Picture::TwipsSize() const {
    const SIZE size = nominal_.cx > 0 ? nominal_ : Size();
    return {size.cx * kTwipsPerPicturePixel, size.cy * kTwipsPerPicturePixel};
}

SIZE Picture::DeviceSize(float twipsPerPixelX, float twipsPerPixelY) const {
    const SIZE size = nominal_.cx > 0 ? nominal_ : Size();
    return {PictureToDevicePixels(size.cx, twipsPerPixelX), PictureToDevicePixels(size.cy, twipsPerPixelY)};
}

void Picture::Draw(HDC dc, int x, int y, int w, int h) const {
    const SIZE size = Size();
    const bool own = w == size.cx && h == size.cy;
    if (w <= 0 || h <= 0) return;
    if (icon_) {
        if (own || !DrawIconResampled(dc, icon_, x, y, w, h)) DrawIconEx(dc, x, y, icon_, w, h, 0, nullptr, DI_NORMAL);
        return;
    }
    if (!bitmap_) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap_);
    if (own) {
        BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
    } else {
        const int oldMode = SetStretchBltMode(dc, HALFTONE);
        POINT oldOrigin = {};
        SetBrushOrgEx(dc, 0, 0, &oldOrigin);
        StretchBlt(dc, x, y, w, h, source, 0, 0, size.cx, size.cy, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
        SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace forms

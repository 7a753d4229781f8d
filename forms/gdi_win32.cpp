#include "gdi_win32.h"

namespace forms {

namespace {
long liveGdi = 0;  // UI thread only
}

long LiveGdiObjects() { return liveGdi; }
void detail::CountGdi(long delta) { liveGdi += delta; }

MemoryDc::MemoryDc(OwnedBitmap bitmap) {
    if (!bitmap) return;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return;
    detail::CountGdi(1);
    previous_ = SelectObject(dc_, bitmap.Get());
    bitmap_ = std::move(bitmap);
}

MemoryDc::~MemoryDc() { Reset(); }

void MemoryDc::Reset() {
    if (dc_) {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        detail::CountGdi(-1);
    }
    dc_ = nullptr;
    previous_ = nullptr;
    bitmap_.Reset();
}

MemoryDc::MemoryDc(MemoryDc&& other) noexcept
    : dc_(std::exchange(other.dc_, nullptr)),
      previous_(std::exchange(other.previous_, nullptr)),
      bitmap_(std::move(other.bitmap_)) {}

MemoryDc& MemoryDc::operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
        Reset();
        dc_ = std::exchange(other.dc_, nullptr);
        previous_ = std::exchange(other.previous_, nullptr);
        bitmap_ = std::move(other.bitmap_);
    }
    return *this;
}

DibSurface DibSurface::Create(int width, int height) {
    DibSurface surface;
    if (width <= 0 || height <= 0) return surface;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return surface;
    surface.memory = MemoryDc(std::move(bitmap));
    if (!surface.memory) return surface;
    surface.bits = bits;
    surface.width = width;
    surface.height = height;
    return surface;
}

}  // namespace forms

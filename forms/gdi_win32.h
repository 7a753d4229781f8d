// Owners of GDI objects and device contexts. Each one releases what it holds,
// and all of them keep one live count, so a test can see a leak even where
// the platform cannot count GDI objects for it.
#pragma once
#include <windows.h>

#include <utility>

namespace forms {

// GDI objects and memory DCs held by these owners right now.
long LiveGdiObjects();

namespace detail {
void CountGdi(long delta);
}

// An HGDIOBJ of any kind (bitmap, font, brush, pen), deleted with its owner.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {
        if (handle_) detail::CountGdi(1);
    }
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    void Reset(Handle handle = nullptr) {
        if (handle_) {
            DeleteObject(handle_);
            detail::CountGdi(-1);
        }
        handle_ = handle;
        if (handle_) detail::CountGdi(1);
    }
    Handle Get() const { return handle_; }
    Handle Release() {
        if (handle_) detail::CountGdi(-1);
        return std::exchange(handle_, nullptr);
    }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

using OwnedBitmap = GdiObject<HBITMAP>;
using OwnedFont = GdiObject<HFONT>;
using OwnedBrush = GdiObject<HBRUSH>;

// A memory DC compatible with the screen, with one bitmap selected into it
// for its whole life; the DC's own bitmap goes back in before it is deleted.
class MemoryDc {
public:
    MemoryDc() = default;
    // Takes the bitmap; nothing when it is null or no DC can be made.
    explicit MemoryDc(OwnedBitmap bitmap);
    ~MemoryDc();
    MemoryDc(MemoryDc&& other) noexcept;
    MemoryDc& operator=(MemoryDc&& other) noexcept;
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    void Reset();
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    OwnedBitmap bitmap_;
};

// A top-down 32-bit DIB section of the given size in a memory DC, its pixels
// reachable through Bits(); empty when the size is not positive or GDI fails.
struct DibSurface {
    MemoryDc memory;
    void* bits = nullptr;
    int width = 0, height = 0;
    static DibSurface Create(int width, int height);
    HDC Dc() const { return memory.Dc(); }
    explicit operator bool() const { return static_cast<bool>(memory); }
};

// The header of an uncompressed bottom-up DIB: rows from the last one up, as
// GDI and the bitmap file keep them.
inline BITMAPINFOHEADER BottomUpDibHeader(LONG width, LONG height, WORD bitsPerPixel) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitsPerPixel;
    header.biCompression = BI_RGB;
    return header;
}

}  // namespace forms

#include "anigif_control_win32.h"

#include <cmath>
#include <limits>
#include <new>

#include "app_win32.h"
#include "current_frame_export.h"
#include "gdi_win32.h"
#include "twips.h"

namespace {
// BITMAPINFO with room for a two-entry colour table.
struct MaskInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
};
}  // namespace

namespace {
constexpr char kRemoteName[] = "remoteGIF";

struct FileHandle {
    HANDLE handle;
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

// What LoadAnimatedGIF_File takes from a file: its bytes; none when it does
// not exist or cannot be read (the bytes held stay); or, with a failure, a
// file refused unread because it passes maxBytes or memory cannot hold it.
struct FileContents {
    std::optional<std::vector<std::uint8_t>> bytes;
    GifLoadFailure refused;
};

FileContents ReadGifFile(const std::string& fileName, std::size_t maxBytes) {
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    FileHandle file{CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
    LARGE_INTEGER size = {};
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.handle, &size)) return {};
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return {std::nullopt, {GifLoadError::FileTooLarge, size.QuadPart, static_cast<std::int64_t>(maxBytes)}};
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return {std::nullopt, {GifLoadError::OutOfMemory, size.QuadPart, 0}};
    }
    DWORD read = 0;
    if (!data.empty() &&
        !(ReadFile(file.handle, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) && read == data.size()))
        return {};
    return {std::move(data), {}};
}
}  // namespace

ucAniGIF::ucAniGIF(forms::Container& container)
    : UserControl(container), AniGifSurface(static_cast<AniGifSurfaceHost&>(*this)), timer_([this] { TimerFired(); }) {
    // The download's reports arrive on the user-interface thread, like every
    // other event of the control.
    download_.onProgress = [this](const std::string& name, const forms::ReadProgress& progress) {
        if (progress.status != ReadStatus::Failed) return;
        download_.Cancel(name);
        RaiseRemoteLoadFailure();
    };
    download_.onComplete = [this](const std::string&, std::vector<std::uint8_t> bytes) {
        RemoteCompleted(std::move(bytes));
    };
}

ucAniGIF::~ucAniGIF() { timer_.Stop(); }

void ucAniGIF::OnTerminate() {
    download_.CancelAll();
    AniGifSurface::End();
    timer_.Stop();
}

bool ucAniGIF::UserMode() const { return AmbientUserMode(); }

void ucAniGIF::InnerSize(std::int32_t& width, std::int32_t& height) const {
    width = ClientWidth();
    height = ClientHeight();
}

bool ucAniGIF::StartTimer(unsigned milliseconds) {
    // On the parent form's window, with this instance's own identifier.
    return timer_.Start(ParentFormHwnd(), milliseconds);
}

void ucAniGIF::ResizeControl(std::int32_t width, std::int32_t height) {
    Move(Left(), Top(), container_.FromPixelsX(width), container_.FromPixelsY(height));
}

float ucAniGIF::GifPixelScaleX() const { return kTwipsPerPicturePixel / container_.TwipsPerPixelX(); }
float ucAniGIF::GifPixelScaleY() const { return kTwipsPerPicturePixel / container_.TwipsPerPixelY(); }

// Unrounded: the control truncates what it reports. A GIF's pixels are
// 96-dpi pixels, 15 twips each.
double ucAniGIF::PixelsToContainerX(std::int32_t pixels) const {
    const double twips = pixels * static_cast<double>(kTwipsPerPicturePixel);
    return container_.GetScaleMode() == forms::ScaleMode::Pixels ? twips / container_.TwipsPerPixelX() : twips;
}
double ucAniGIF::PixelsToContainerY(std::int32_t pixels) const {
    const double twips = pixels * static_cast<double>(kTwipsPerPicturePixel);
    return container_.GetScaleMode() == forms::ScaleMode::Pixels ? twips / container_.TwipsPerPixelY() : twips;
}

void ucAniGIF::RaiseRemoteLoadComplete(float gifWidth, float gifHeight, bool& cancel) {
    if (onRemoteLoadComplete) onRemoteLoadComplete(gifWidth, gifHeight, cancel);
}

void ucAniGIF::RaiseMouse(const std::function<void(std::int16_t&, std::int16_t&, float&, float&)>& event,
                          const forms::MouseEventArgs& e) {
    if (!event) return;
    std::int16_t button = static_cast<std::int16_t>(e.button), shift = static_cast<std::int16_t>(e.shift);
    // From the window's device pixels to the container's units, rounded
    // down to whole units.
    const bool pixels = container_.GetScaleMode() == forms::ScaleMode::Pixels;
    float x = static_cast<float>(std::floor(pixels ? e.x : e.x * static_cast<double>(container_.TwipsPerPixelX())));
    float y = static_cast<float>(std::floor(pixels ? e.y : e.y * static_cast<double>(container_.TwipsPerPixelY())));
    event(button, shift, x, y);
}

void ucAniGIF::SetEnabled(bool enabled) {
    WindowedControl::SetEnabled(enabled);
    UserControl::PropertyChanged("Enabled");
}

void ucAniGIF::SetMouseIconPicture(forms::Picture icon) {
    const bool none = !icon;
    SetMouseIcon(std::move(icon));
    if (none) SetMousePointer(0);
    UserControl::PropertyChanged("MouseIcon");
}

void ucAniGIF::SetMousePointerValue(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) return;
    SetMousePointer(static_cast<std::int16_t>(value));
}

void ucAniGIF::ReadProperties(const PropertyStore& store) {
    AniGifSurfaceValues values;
    AniGifSurface::ReadProperties(store, values);
    WindowedControl::SetEnabled(values.enabled);
    SetMouseIcon(forms::Picture::FromData(values.mouseIcon));
    SetMousePointer(values.mousePointer);
}

void ucAniGIF::WriteProperties(PropertyStore& store) {
    AniGifSurfaceValues values;
    values.enabled = Control::Enabled();
    values.mouseIcon = MouseIcon().Data();
    values.mousePointer = MousePointer();
    AniGifSurface::WriteProperties(store, values);
}

bool ucAniGIF::LoadAnimatedGIF_File(const std::string& fileName) {
    FileContents file = ReadGifFile(fileName, Player().Limits().maxFileBytes);
    if (file.refused.error != GifLoadError::None) return Refuse(file.refused);
    return LoadBytes(std::move(file.bytes));
}

OlePicture ucAniGIF::AnimatedGIF() const {
    const std::optional<ExportSource> source = CurrentFrameSource(Player());
    if (!source) return {};
    const std::vector<std::uint8_t> gif = BuildFrameGif(*source);
    if (gif.empty()) return {};
    return LoadPictureFromBytes(gif.data(), gif.size());
}

void ucAniGIF::SetAnimatedGIF(IPicture* picture) {
    if (!picture) {
        LoadPictureBytes(std::nullopt);
        return;
    }
    std::optional<std::vector<std::uint8_t>> gif;
    try {
        gif = PictureFileBytes(picture);
    } catch (const std::bad_alloc&) {
        Refuse({GifLoadError::OutOfMemory, 0, 0});
        return;
    }
    // A picture without file bytes loads nothing: the control ends up empty.
    LoadPictureBytes(std::move(gif).value_or(std::vector<std::uint8_t>{}));
}

void ucAniGIF::Blit(HDC dc, const GifPaint& paint) {
    MaskInfo mask = {};
    mask.header = forms::BottomUpDibHeader(paint.sourceWidth, paint.sourceHeight, 1);
    mask.header.biClrUsed = mask.header.biClrImportant = 2;
    mask.colours[1] = {255, 255, 255, 0};
    BITMAPINFO colour = {};
    colour.bmiHeader = forms::BottomUpDibHeader(paint.sourceWidth, paint.sourceHeight, 24);

    int oldMode = 0;
    POINT oldOrigin = {};
    if (paint.scaled) {
        oldMode = SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    }
    // Opaque pixels are cleared to black through the mask, then the colour
    // picture (black where transparent) is laid over them.
    if (paint.mask)
        StretchDIBits(dc, paint.destX, paint.destY, paint.destWidth, paint.destHeight, 0, 0, paint.sourceWidth,
                      paint.sourceHeight, paint.mask, reinterpret_cast<const BITMAPINFO*>(&mask), DIB_RGB_COLORS,
                      SRCAND);
    StretchDIBits(dc, paint.destX, paint.destY, paint.destWidth, paint.destHeight, 0, 0, paint.sourceWidth,
                  paint.sourceHeight, paint.colour, &colour, DIB_RGB_COLORS, paint.mask ? SRCPAINT : SRCCOPY);
    if (paint.scaled) {
        SetStretchBltMode(dc, oldMode);
        SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    }
}

void ucAniGIF::OnPaint(HDC dc) {
    PaintCurrentFrame([this, dc](const GifPaint& paint) { Blit(dc, paint); });
    if (AmbientUserMode()) return;
    // In a designer the control stays visible: a dotted outline in the
    // window-frame colour.
    HPEN pen = CreatePen(PS_DOT, 1, GetSysColor(COLOR_WINDOWFRAME));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, ClientWidth(), ClientHeight());
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void ucAniGIF::LoadAnimatedGIF_Remote(const std::string& remotePath) {
    if (remotePath.empty()) return;
    // A cached copy serves when the network fails.
    if (!download_.Start(remotePath, kRemoteName, kReadCacheIfNetFails)) RaiseRemoteLoadFailure();
}

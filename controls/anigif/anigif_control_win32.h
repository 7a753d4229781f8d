// The ucAniGIF control on a form: an animated GIF that plays on its own
// timer. The surface (anigif_surface.h) holds the rules and the player does
// the work; this layer gives them a window: it blits what the player
// composes, runs the instance's timer on the parent form's window, converts
// mouse coordinates, reads files, talks to OLE pictures and downloads.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

#include "anigif_surface.h"
#include "async_read_win32.h"
#include "control_timer_win32.h"
#include "ole_picture_win32.h"
#include "user_control_win32.h"

class ucAniGIF final : public forms::UserControl, private AniGifSurfaceHost {
public:
    explicit ucAniGIF(forms::Container& container);
    ~ucAniGIF() override;

    // --- properties -------------------------------------------------------------
    // A picture of the frame on show (none when nothing is loaded); writing
    // one that was loaded from a GIF loads that GIF.
    OlePicture AnimatedGIF() const;
    void SetAnimatedGIF(IPicture* picture);
    void SetEnabled(bool enabled) override;
    std::int32_t FrameCount() const { return surface_.FrameCount(); }
    void SetFrameCount(std::int32_t value) { surface_.SetFrameCount(value); }
    std::int32_t ActualWidth() const { return surface_.ActualWidth(); }
    std::int32_t ActualHeight() const { return surface_.ActualHeight(); }
    std::int32_t Stretch() const { return surface_.Stretch(); }
    void SetStretch(std::int32_t value) { surface_.SetStretch(value); }
    std::int32_t MinFrameDelay() const { return surface_.MinFrameDelay(); }
    void SetMinFrameDelay(std::int32_t value) { surface_.SetMinFrameDelay(value); }
    std::int32_t Loops() const { return surface_.Loops(); }
    void SetLoops(std::int32_t value) { surface_.SetLoops(value); }
    std::int32_t LoopsRemaining() const { return surface_.LoopsRemaining(); }
    std::int32_t Mirrored() const { return surface_.Mirrored(); }
    void SetMirrored(std::int32_t value) { surface_.SetMirrored(value); }
    std::int32_t Action() const { return surface_.Action(); }
    void SetAction(std::int32_t value) { surface_.SetAction(value); }
    std::int32_t DelayAnimation() const { return surface_.DelayAnimation(); }
    void SetDelayAnimation(std::int32_t value) { surface_.SetDelayAnimation(value); }
    // MouseIcon: none also sets MousePointer to 0. MousePointer: 99 shows the
    // MouseIcon; values beyond 16 bits are ignored.
    void SetMouseIconPicture(forms::Picture icon);
    void SetMousePointerValue(std::int32_t value);

    // --- methods ------------------------------------------------------------------
    // The load methods (and writing AnimatedGIF) throw nothing: when memory
    // runs out they fail, and a file or array beyond kGifMaxFileBytes is
    // refused unread; the control is empty afterwards.
    bool LoadAnimatedGIF_File(const std::string& fileName);
    // An array of any element type, of one or two dimensions.
    template <class T>
    bool LoadAnimatedGIF_Array(std::span<const T> elements) {
        const std::size_t count[] = {elements.size()};
        return LoadArray(elements.data(), sizeof(T), count);
    }
    template <class T, std::size_t Columns>
    bool LoadAnimatedGIF_Array(std::span<const T[Columns]> rows) {
        const std::size_t count[] = {rows.size(), Columns};
        return LoadArray(rows.data(), sizeof(T), count);
    }
    void LoadAnimatedGIF_Remote(const std::string& remotePath);
    // Refresh: UserControl::Refresh repaints now.

    // --- events (raised on the user-interface thread) ----------------------------
    std::function<void()> onClick;
    // Button, Shift, x, Y, all by reference; x and Y in the container's units.
    std::function<void(std::int16_t&, std::int16_t&, float&, float&)> onMouseDown, onMouseUp, onMouseMove;
    std::function<void()> onLoopsEnded;
    std::function<void(float& gifWidth, float& gifHeight, bool& cancel)> onRemoteLoadComplete;
    std::function<void()> onRemoteLoadFailure;

    // For tests and tools: the player behind the surface.
    const AniGifPlayer& Player() const { return surface_.Player(); }

protected:
    void InitProperties() override {}
    void ReadProperties(const PropertyStore& store) override;
    void WriteProperties(PropertyStore& store) override;
    void OnResize() override { surface_.Resized(ClientWidth(), ClientHeight()); }
    void OnPaint(HDC dc) override;
    void OnShow() override { surface_.Shown(); }
    void OnHide() override { surface_.Hidden(); }
    void OnClick() override {
        if (onClick) onClick();
    }
    void OnMouseDown(const forms::MouseEventArgs& e) override { RaiseMouse(onMouseDown, e); }
    void OnMouseUp(const forms::MouseEventArgs& e) override { RaiseMouse(onMouseUp, e); }
    void OnMouseMove(const forms::MouseEventArgs& e) override { RaiseMouse(onMouseMove, e); }
    void OnTerminate() override;
    bool CanGetFocus() const override { return false; }
    bool CanFocus() const override { return false; }

private:
    // AniGifSurfaceHost
    bool UserMode() const override;
    void InnerSize(std::int32_t& width, std::int32_t& height) const override;
    bool StartTimer(unsigned milliseconds) override;
    void StopTimer() override { timer_.Stop(); }
    void Refresh() override { UserControl::Refresh(); }
    void RaiseLoopsEnded() override {
        if (onLoopsEnded) onLoopsEnded();
    }
    void ResizeControl(std::int32_t width, std::int32_t height) override;
    void PropertyChanged(std::string_view name) override { UserControl::PropertyChanged(name); }
    void RaiseRemoteLoadComplete(float gifWidth, float gifHeight, bool& cancel) override;
    void RaiseRemoteLoadFailure() override {
        if (onRemoteLoadFailure) onRemoteLoadFailure();
    }
    double PixelsToContainerX(std::int32_t pixels) const override;
    double PixelsToContainerY(std::int32_t pixels) const override;
    float GifPixelScaleX() const override;
    float GifPixelScaleY() const override;

    bool LoadArray(const void* data, std::size_t elementSize, std::span<const std::size_t> dimensions);
    void RaiseMouse(const std::function<void(std::int16_t&, std::int16_t&, float&, float&)>& event,
                    const forms::MouseEventArgs& e);
    void Blit(HDC dc, const GifPaint& paint);

    AniGifSurface surface_{*this};
    forms::ControlTimer timer_;
    forms::AsyncReader download_;
};

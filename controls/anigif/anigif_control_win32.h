// The ucAniGIF control on a form: an animated GIF that plays on its own
// timer. The surface (anigif_surface.h) holds the properties and their rules,
// and the player does the work; this layer gives them a window: it blits
// what the player composes, runs the instance's timer on the parent form's
// window, converts mouse coordinates, reads files, talks to OLE pictures and
// downloads.
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

// The host interface comes first among the bases: the surface is given it
// while being constructed.
class ucAniGIF final : private AniGifSurfaceHost, public forms::UserControl, public AniGifSurface {
public:
    explicit ucAniGIF(forms::Container& container);
    ~ucAniGIF() override;

    // --- properties -------------------------------------------------------------
    // FrameCount, ActualWidth, ActualHeight, Stretch, MinFrameDelay, Loops,
    // LoopsRemaining, Mirrored, Action and DelayAnimation come with
    // AniGifSurface. These are the window's own:
    //
    // A picture of the frame on show (none when nothing is loaded); writing
    // one that was loaded from a GIF loads that GIF.
    OlePicture AnimatedGIF() const;
    void SetAnimatedGIF(IPicture* picture);
    void SetEnabled(bool enabled) override;
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

protected:
    void InitProperties() override {}
    void ReadProperties(const PropertyStore& store) override;
    void WriteProperties(PropertyStore& store) override;
    void OnResize() override { Resized(ClientWidth(), ClientHeight()); }
    void OnPaint(HDC dc) override;
    void OnShow() override { Shown(); }
    void OnHide() override { Hidden(); }
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

    void RaiseMouse(const std::function<void(std::int16_t&, std::int16_t&, float&, float&)>& event,
                    const forms::MouseEventArgs& e);
    void Blit(HDC dc, const GifPaint& paint);

    forms::ControlTimer timer_;
    forms::AsyncReader download_;
};

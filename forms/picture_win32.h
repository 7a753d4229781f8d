// A picture held by a control or a form: a bitmap, an icon or a cursor. Owns
// its handle. A picture made from a file's bytes keeps them, so that a
// control storing it (a MouseIcon) writes the same file back.
//
// A picture's pixels are 96-dpi pixels: its size in twips is its pixels x 15,
// and on another screen it is drawn at that size, resampled smoothly.
#pragma once
#include <windows.h>

#include "property_store.h"

namespace forms {

class Picture {
public:
    enum class Kind { None, Bitmap, Icon, Cursor };

    Picture() = default;
    explicit Picture(HBITMAP bitmap);  // takes the bitmap
    ~Picture();
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // A bitmap resource of the program (RT_BITMAP), as a DIB section.
    static Picture FromResource(int id);
    // An icon resource standing for a size x size picture, and a cursor
    // resource. The image loaded is the one of the group that suits
    // drawSize device pixels best (0: size), so that a larger screen shows
    // an image drawn for it rather than a blown-up small one.
    static Picture FromIconResource(int id, int size = 32, int drawSize = 0);
    static Picture FromCursorResource(int id);
    // An icon or cursor file's bytes (design data); none for other formats
    // or bytes that are not a well-formed file.
    static Picture FromData(const PictureData& data);

    // Another picture with the same image (a control showing the picture of
    // another, as a radio mark takes the picture of a picture store).
    Picture Clone() const;

    Kind GetKind() const { return kind_; }
    HBITMAP Handle() const { return kind_ == Kind::Bitmap ? bitmap_ : nullptr; }
    HICON Icon() const { return kind_ == Kind::Icon || kind_ == Kind::Cursor ? icon_ : nullptr; }
    HCURSOR Cursor() const { return kind_ == Kind::Cursor ? icon_ : nullptr; }
    // The file the picture was made from; none for resources.
    const PictureData& Data() const { return data_; }
    // The image's own pixels.
    SIZE Size() const;
    // The picture's size in twips, and in device pixels on a screen with
    // these twips per pixel.
    SIZE TwipsSize() const;
    SIZE DeviceSize(float twipsPerPixelX, float twipsPerPixelY) const;
    explicit operator bool() const { return kind_ != Kind::None; }

    // Draws the picture at (x, y) at w x h: pixel for pixel at its own size,
    // resampled smoothly at any other.
    void Draw(HDC dc, int x, int y, int w, int h) const;

private:
    void Reset();
    Kind kind_ = Kind::None;
    HBITMAP bitmap_ = nullptr;
    HICON icon_ = nullptr;
    bool sharedIcon_ = false;  // LR_SHARED handles are the system's, never destroyed
    SIZE nominal_ = {0, 0};    // an icon loaded larger than it stands for: its size at 96 dpi
    PictureData data_;
};

}  // namespace forms

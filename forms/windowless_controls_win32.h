// The windowless controls: labels, images and shapes. Their container paints
// them and hands them its mouse messages.
#pragma once
#include <windows.h>

#include <string>

#include "container_win32.h"
#include "font_win32.h"

namespace forms {

class Image : public Control {
public:
    using Control::Control;
    // Takes the picture's size (its twips: 15 a picture pixel) unless
    // stretching, and shows it at that size on any screen.
    void SetPicture(Picture picture);
    const Picture& GetPicture() const { return picture_; }
    void SetStretch(bool stretch) { stretch_ = stretch; }
    void Paint(HDC dc) override;

private:
    Picture picture_;
    bool stretch_ = false;
};

enum class Alignment { Left, Right, Center };

class Label : public Control {
public:
    using Control::Control;
    void SetCaption(std::wstring caption);
    const std::wstring& Caption() const { return caption_; }
    void SetForeColor(COLORREF colour);
    COLORREF ForeColor() const { return foreColor_; }
    void SetFont(const wchar_t* face, int pointSize, bool bold = false);
    void SetFont(const FontSpec& font);
    const FontSpec& Font() const { return fontSpec_; }
    HFONT FontHandle() const { return font_.Get(); }
    void SetAlignment(Alignment alignment);
    void SetTransparent(bool transparent) { transparent_ = transparent; }
    void SetBackColor(COLORREF colour) { backColor_ = colour; }
    void Paint(HDC dc) override;
    // Draws the caption into r on dc: enabled in the fore colour, disabled in
    // the system's embossed grey.
    static void DrawCaption(HDC dc, const std::wstring& caption, RECT r, HFONT font, COLORREF colour,
                            Alignment alignment, bool enabled);
    void SetEnabled(bool enabled) override;

private:
    std::wstring caption_;
    COLORREF foreColor_ = RGB(0, 0, 0);
    COLORREF backColor_ = RGB(255, 255, 255);
    FontSpec fontSpec_;
    OwnedFont font_;
    Alignment alignment_ = Alignment::Left;
    bool transparent_ = true;
};

class Shape : public Control {
public:
    using Control::Control;
    void SetBorderColor(COLORREF colour);
    void Paint(HDC dc) override;

private:
    COLORREF borderColor_ = RGB(0, 0, 0);
};

}  // namespace forms

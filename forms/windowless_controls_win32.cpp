#include "windowless_controls_win32.h"

#include "code_page.h"

namespace forms {

// --- Image ----------------------------------------------------------------------
void Image::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    if (!stretch_ && picture_) {
        const SIZE twips = picture_.TwipsSize();
        Move(Left(), Top(), container_.FromTwipsX(twips.cx), container_.FromTwipsY(twips.cy));
    }
    Invalidate();
}
void Image::Paint(HDC dc) {
    if (!picture_ || !Visible()) return;
    const RECT r = PixelRect();
    if (stretch_) {
        picture_.Draw(dc, r.left, r.top, r.right - r.left, r.bottom - r.top);
        return;
    }
    // At the picture's own size on this screen, clipped to the image.
    const SIZE size = picture_.DeviceSize(container_.TwipsPerPixelX(), container_.TwipsPerPixelY());
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    picture_.Draw(dc, r.left, r.top, size.cx, size.cy);
    RestoreDC(dc, saved);
}

// --- Label ----------------------------------------------------------------------
void Label::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    Invalidate();
}
void Label::SetForeColor(COLORREF colour) {
    foreColor_ = colour;
    Invalidate();
}
void Label::SetFont(const wchar_t* face, int pointSize, bool bold) {
    FontSpec font;
    // A face that gives no name keeps the default one.
    if (std::string name = FromUtf16(face ? face : L"", kUtf8CodePage); !name.empty()) font.name = std::move(name);
    font.sizeCentipoints = pointSize * 100;
    font.weight = bold ? FW_BOLD : FW_NORMAL;
    font.charset = DEFAULT_CHARSET;
    SetFont(font);
}
void Label::SetFont(const FontSpec& font) {
    fontSpec_ = font;
    font_ = CreateFontFor(font, container_.TwipsPerPixelY());
    Invalidate();
}
void Label::SetAlignment(Alignment alignment) {
    alignment_ = alignment;
    Invalidate();
}
void Label::SetEnabled(bool enabled) { Control::SetEnabled(enabled); }

void Label::DrawCaption(HDC dc, const std::wstring& caption, RECT r, HFONT font, COLORREF colour, Alignment alignment,
                        bool enabled) {
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = GetTextColor(dc);
    const UINT align = alignment == Alignment::Center ? DT_CENTER : alignment == Alignment::Right ? DT_RIGHT : DT_LEFT;
    // A label one line high shows its caption on that line, even when a
    // substitute font runs a few pixels wider than the one it was laid out
    // for; a taller one wraps, breaking long words (paths) as an edit box does.
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const bool oneLine = r.bottom - r.top < 2 * metrics.tmHeight;
    const UINT format = align | DT_NOPREFIX | (oneLine ? DT_SINGLELINE | DT_NOCLIP : DT_WORDBREAK | DT_EDITCONTROL);
    if (enabled) {
        SetTextColor(dc, colour);
        DrawTextW(dc, caption.c_str(), -1, &r, format);
    } else {
        // Greyed: the system's embossed look.
        RECT shadow = r;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, caption.c_str(), -1, &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, caption.c_str(), -1, &r, format);
    }
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
}

void Label::Paint(HDC dc) {
    if (!Visible()) return;
    RECT r = PixelRect();
    if (!transparent_) {
        HBRUSH brush = CreateSolidBrush(backColor_);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    DrawCaption(dc, caption_, r, font_.Get(), foreColor_, alignment_, Enabled());
}

// --- Shape ----------------------------------------------------------------------
void Shape::SetBorderColor(COLORREF colour) {
    borderColor_ = colour;
    Invalidate();
}
void Shape::Paint(HDC dc) {
    if (!Visible()) return;
    const RECT r = PixelRect();
    HPEN pen = CreatePen(PS_SOLID, 1, borderColor_);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

}  // namespace forms

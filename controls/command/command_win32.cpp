#include "command_win32.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "app_win32.h"
#include "command_resources.h"
#include "skin_layout.h"
#include "twips.h"

namespace {
using command::Skin;

// The skins, loaded once and shared by every button of the program.
const forms::Picture& SkinPicture(Skin skin) {
    static std::array<forms::Picture, 6> skins;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        skins[0] = forms::Picture::FromResource(IDB_COMMAND_NORMAL);
        skins[1] = forms::Picture::FromResource(IDB_COMMAND_HIGHLIGHT);
        skins[2] = forms::Picture::FromResource(IDB_COMMAND_HIGHLIGHT);
        skins[3] = forms::Picture::FromResource(IDB_COMMAND_SELECTED);
        skins[4] = forms::Picture::FromResource(IDB_COMMAND_PRESSED);
        skins[5] = forms::Picture::FromResource(IDB_COMMAND_DISABLE);
    }
    return skins[static_cast<std::size_t>(skin)];
}

// A colour channel as the gradient takes it: the text "&H" + pair + "00" as
// a 16-bit number, i.e. the 8-bit value in the high byte.
COLOR16 Channel(const char* pair) {
    const std::string text = std::string(pair, 2) + "00";
    return static_cast<COLOR16>(std::strtoul(text.c_str(), nullptr, 16));
}

// "&HRRGGBB" read as red, green and blue pairs, in that order.
void SetColour(TRIVERTEX& vertex, const char* text) {
    vertex.Red = Channel(text + 2);
    vertex.Green = Channel(text + 4);
    vertex.Blue = Channel(text + 6);
    vertex.Alpha = 0;
}
}  // namespace

Command::Command(forms::Container& container) : UserControl(container), tmrMouse_([this] { PollPointer(); }) {
    SetAutoRedraw(true);
    SetDefaultSize(command::kDefaultWidthTwips, command::kDefaultHeightTwips);
}

Command::~Command() { tmrMouse_.Stop(); }

void Command::SetEnabled(bool enabled) {
    // The window stays enabled: the button itself ignores what it must.
    Control::SetEnabled(enabled);
    model_.SetEnabled(enabled);
}

std::wstring Command::Caption() const { return forms::Widen(model_.Caption().c_str()); }

void Command::SetCaption(const std::wstring& caption) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, caption.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, caption.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    model_.SetCaption(std::move(utf8));
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::SetFont(const FontSpec& font) {
    model_.SetFont(font);
    RebuildFont();
}

void Command::SetVisibleProperty(bool opaque) {
    SetBackStyleOpaque(opaque);
    model_.SetVisible(opaque);
}

void Command::RebuildFont() {
    font_ = forms::CreateFontFor(model_.Font(), container_.TwipsPerPixelY());
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::InitProperties() {
    model_.InitProperties(AmbientFont());
    RebuildFont();
}

void Command::ReadProperties(const PropertyStore& store) {
    // Font and background style first: the read ends by painting.
    SetBackStyleOpaque(store.Read("Visible", std::int16_t{1}) != 0);
    font_ = forms::CreateFontFor(store.Read("Font", AmbientFont()), container_.TwipsPerPixelY());
    model_.ReadProperties(store, AmbientFont());
}

void Command::WriteProperties(PropertyStore& store) { model_.WriteProperties(store, AmbientFont()); }

void Command::PaintGradient(bool hoverLook) {
    TRIVERTEX vertices[2] = {};
    vertices[0].x = 0;
    vertices[0].y = 0;
    vertices[1].x = ClientWidth() - 1;
    vertices[1].y = ClientHeight() - 1;
    const char* light = "&HC6C5D7";
    const char* white = "&HFFFFFF";
    SetColour(vertices[0], hoverLook ? light : white);
    SetColour(vertices[1], hoverLook ? white : light);
    GRADIENT_RECT rect = {1, 0};  // upper-left vertex 1, lower-right vertex 0
    GradientFill(ImageDc(), vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

void Command::PaintSkin(Skin skin, bool hoverLook) {
    if (!ImageDc()) return;
    const float tx = container_.TwipsPerPixelX(), ty = container_.TwipsPerPixelY();
    ClearImage();
    PaintGradient(hoverLook);

    const forms::Picture& picture = SkinPicture(skin);
    if (picture) {
        HDC source = CreateCompatibleDC(ImageDc());
        HGDIOBJ old = SelectObject(source, picture.Handle());
        // At 96 dpi the corners are copied as they are and the edges only
        // lengthened; on a larger screen every piece grows, smoothly.
        const bool scaled = tx != kTwipsPerPicturePixel || ty != kTwipsPerPicturePixel;
        const int oldMode = SetStretchBltMode(ImageDc(), scaled ? HALFTONE : COLORONCOLOR);
        if (scaled) SetBrushOrgEx(ImageDc(), 0, 0, nullptr);
        for (const command::SkinPiece& p : command::SkinPieces(ClientWidth(), ClientHeight(), tx, ty)) {
            if (p.width <= 0 || p.height <= 0) continue;
            StretchBlt(ImageDc(), p.x, p.y, p.width, p.height, source, p.sourceX, p.sourceY, p.sourceWidth,
                       p.sourceHeight, SRCCOPY);
        }
        SetStretchBltMode(ImageDc(), oldMode);
        SelectObject(source, old);
        DeleteDC(source);
    }
    Refresh();
    caption_ = command::CaptionPlace(ClientHeight(), ty);
}

void Command::OnPaint(HDC dc) {
    RECT label = {0, caption_.top, ClientWidth(), caption_.top + caption_.height};
    forms::Label::DrawCaption(dc, Caption(), label, font_.Get(), forms::ColourRef(model_.CaptionColour()),
                              forms::Alignment::Center, captionEnabled_);
}

void Command::SetCaptionEnabled(bool enabled) {
    captionEnabled_ = enabled;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::StartMouseTimer() { tmrMouse_.Start(hwnd_, 100); }

void Command::PollPointer() {
    POINT at = {};
    if (!GetCursorPos(&at)) return;
    // The caption has no window of its own: over it is over the control.
    model_.TimerTick(WindowFromPoint(at) == hwnd_);
}

void Command::RaiseClick() {
    if (onClick) onClick();
}

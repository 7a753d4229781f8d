#include "command_win32.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "app_win32.h"
#include "command_resources.h"
#include "twips.h"

namespace {
using command::Skin;

// The caption label LblMsg: one line, 195 twips high.
constexpr int kCaptionHeightTwips = 195;
constexpr int kBandTwips = 60;  // the skin's border band, 4 pixels at 15 twips per pixel

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

std::int32_t Px(double twips, float twipsPerPixel) {
    return TwipsToPixels(RoundToInt32(twips).value_or(0), twipsPerPixel);
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
    font_ = forms::CreateFontFor(model_.Font());
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::InitProperties() {
    model_.InitProperties(AmbientFont());
    RebuildFont();
}

void Command::ReadProperties(const PropertyStore& store) {
    // Font and background style first: the read ends by painting.
    SetBackStyleOpaque(store.Read("Visible", std::int16_t{1}) != 0);
    font_ = forms::CreateFontFor(store.Read("Font", AmbientFont()));
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
    const float tx = forms::TwipsPerPixelX(), ty = forms::TwipsPerPixelY();
    const double w = PixelsToTwips(ClientWidth(), tx), h = PixelsToTwips(ClientHeight(), ty);
    ClearImage();
    PaintGradient(hoverLook);

    const forms::Picture& picture = SkinPicture(skin);
    if (picture) {
        HDC source = CreateCompatibleDC(ImageDc());
        HGDIOBJ old = SelectObject(source, picture.Handle());
        // A control narrower or lower than two bands would get negative
        // edges, which would mirror the pieces: they are left out instead.
        const double edgeW = std::max(0.0, w - 2 * kBandTwips), edgeH = std::max(0.0, h - 2 * kBandTwips);
        struct Piece {
            double dx, dy, dw, dh, sx, sy, sw, sh;
        };
        const Piece pieces[] = {
            {1, 1, 60, 60, 0, 0, 60, 60},                       // top-left corner
            {60, 1, edgeW, 60, 60, 1, 840, 60},                 // top edge
            {w - 60, 1, 60, 60, 900, 1, 60, 60},                // top-right corner
            {w - 60, 60, 60, edgeH, 900, 60, 60, 255},          // right edge
            {w - 60, h - 60, 60, 60, 900, 315, 60, 60},         // bottom-right corner
            {60, h - 60, edgeW, 60, 60, 315, 840, 60},          // bottom edge
            {1, h - 60, 60, 60, 0, 315, 60, 60},                // bottom-left corner
            {1, 60, 60, edgeH, 1, 60, 60, 255},                 // left edge
        };
        SetStretchBltMode(ImageDc(), COLORONCOLOR);
        for (const Piece& p : pieces) {
            const int dw = Px(p.dw, tx), dh = Px(p.dh, ty);
            if (dw <= 0 || dh <= 0) continue;
            StretchBlt(ImageDc(), Px(p.dx, tx), Px(p.dy, ty), dw, dh, source, Px(p.sx, tx), Px(p.sy, ty),
                       Px(p.sw, tx), Px(p.sh, ty), SRCCOPY);
        }
        SelectObject(source, old);
        DeleteDC(source);
    }
    Refresh();
    // LblMsg: full width, 10 twips above the middle.
    captionTop_ = Px((h - kCaptionHeightTwips - 20) / 2, ty);
}

void Command::OnPaint(HDC dc) {
    const float ty = forms::TwipsPerPixelY();
    RECT label = {0, captionTop_, ClientWidth(), captionTop_ + TwipsToPixels(kCaptionHeightTwips, ty)};
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

#include "user_control_win32.h"

#include <algorithm>

#include "app_win32.h"
#include "mouse_pointer_win32.h"
#include "twips.h"

namespace forms {

namespace {
constexpr wchar_t kUserControlClass[] = L"VelmoraUserControl";

const wchar_t* RegisteredClass() {
    static bool done = false;
    if (!done) {
        done = true;
        WNDCLASSW cls = {};
        cls.lpfnWndProc = DefWindowProcW;  // replaced per window
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        cls.lpszClassName = kUserControlClass;
        RegisterClassW(&cls);
    }
    return kUserControlClass;
}
}  // namespace

UserControl::UserControl(Container& container, DWORD extraStyle)
    : WindowedControl(container, RegisteredClass(), extraStyle | WS_TABSTOP),
      mouse_(ClickRule::PressAndReleaseOver, this) {}

UserControl::~UserControl() {
    // The derived control is gone already: its window must not call it.
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void UserControl::SetDesignData(std::span<const std::uint8_t> bag) { designData_.assign(bag.begin(), bag.end()); }

std::vector<std::uint8_t> UserControl::StoreProperties() {
    WriteProperties(properties_);
    return properties_.Serialize();
}

void UserControl::Created() {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UserControl::WindowProc));
    ResizeImage();
    // Read only now that the window, and so the parent form's window, exist:
    // a control may start timers on the form while it reads its values.
    if (!designData_.empty() && properties_.Parse(designData_))
        ReadProperties(properties_);
    else
        InitProperties();
    OnResize();
}

void UserControl::ParentShown(bool shown) {
    if (shown && Visible() && !shown_) {
        shown_ = true;
        OnShow();
    } else if (!shown && shown_) {
        shown_ = false;
        OnHide();
    }
}

void UserControl::Realize() {
    if (Width() == 0 && Height() == 0 && (defaultWidthTwips_ != 0 || defaultHeightTwips_ != 0)) {
        const bool pixels = container_.GetScaleMode() == ScaleMode::Pixels;
        Move(Left(), Top(), pixels ? TwipsToPixels(defaultWidthTwips_, TwipsPerPixelX()) : defaultWidthTwips_,
             pixels ? TwipsToPixels(defaultHeightTwips_, TwipsPerPixelY()) : defaultHeightTwips_);
    }
    WindowedControl::Realize();
}

void UserControl::Layout() {
    WindowedControl::Layout();
    if (!hwnd_) return;
    // Showing or hiding the control itself on a visible form.
    HWND form = ParentFormHwnd();
    ParentShown(Visible() && form && IsWindowVisible(form));
}

int UserControl::ClientWidth() const {
    RECT r = {};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.right;
}
int UserControl::ClientHeight() const {
    RECT r = {};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.bottom;
}

void UserControl::SetAutoRedraw(bool on) {
    autoRedraw_ = on;
    ResizeImage();
}

void UserControl::ResizeImage() {
    if (!autoRedraw_ || !hwnd_) {
        image_ = MemoryDc();
        return;
    }
    const int w = std::max(ClientWidth(), 1), h = std::max(ClientHeight(), 1);
    if (image_) {
        BITMAP info = {};
        GetObjectW(image_.Bitmap(), sizeof info, &info);
        if (info.bmWidth == w && info.bmHeight == h) return;
    }
    HDC screen = GetDC(nullptr);
    OwnedBitmap bitmap(CreateCompatibleBitmap(screen, w, h));
    ReleaseDC(nullptr, screen);
    image_ = MemoryDc(std::move(bitmap));
    ClearImage();
}

void UserControl::FillBackground(HDC dc) {
    const RECT client = {0, 0, ClientWidth(), ClientHeight()};
    if (opaque_) {
        OwnedBrush brush(CreateSolidBrush(backColor_));
        FillRect(dc, &client, brush.Get());
        return;
    }
    // What the container draws beneath the control.
    const RECT r = PixelRect();
    POINT old = {};
    SetWindowOrgEx(dc, r.left, r.top, &old);
    container_.PaintFace(dc);
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

void UserControl::ClearImage() {
    if (image_) FillBackground(image_.Dc());
}

void UserControl::Refresh() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK UserControl::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* control = reinterpret_cast<UserControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control) return DefWindowProcW(hwnd, message, w, l);
    return control->Handle(message, w, l);
}

LRESULT UserControl::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT: OnPaintMessage(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: OnSizeMessage(); return 0;
    case WM_NCHITTEST: return HTCLIENT;  // every point of the control is the control
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT && ApplyPointer(MousePointer(), &MouseIcon())) return TRUE;
        break;
    case WM_SETFOCUS: OnGotFocus(); return 0;
    case WM_KILLFOCUS: OnLostFocus(); return 0;
    case WM_DESTROY: OnDestroyMessage(); return 0;
    default:
        if (HandleMouse(ReadMouseMessage(message, w, l))) return 0;
        break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

void UserControl::OnPaintMessage() {
    PaintBuffered(hwnd_, [this](HDC dc) {
        if (autoRedraw_ && image_)
            BitBlt(dc, 0, 0, ClientWidth(), ClientHeight(), image_.Dc(), 0, 0, SRCCOPY);
        else
            FillBackground(dc);
        OnPaint(dc);
    });
}

void UserControl::OnSizeMessage() {
    ResizeImage();
    OnResize();
}

void UserControl::OnDestroyMessage() {
    OnTerminate();
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    image_ = MemoryDc();
}

bool UserControl::HandleMouse(const MouseMessage& input) {
    switch (input.action) {
    case MouseAction::Move: OnMouseMove(ArgsOf(input)); return true;
    case MouseAction::Press: ButtonPressed(input); return true;
    case MouseAction::Release: ButtonReleased(input); return true;
    case MouseAction::CaptureChanged:
        if (input.capture != hwnd_) mouse_.CaptureLost();
        return true;
    default: return false;
    }
}

MouseEventArgs UserControl::ArgsOf(const MouseMessage& input) {
    return MouseEventArgs{input.button, ShiftState(), input.at.x, input.at.y};
}

void UserControl::ButtonPressed(const MouseMessage& input) {
    // The focus comes first, so the press handler sees the focused state.
    if (CanGetFocus() && GetFocus() != hwnd_) ::SetFocus(hwnd_);
    if (!hwnd_) return;
    mouse_.Press(input.button, this);
    SetCapture(hwnd_);
    OnMouseDown(ArgsOf(input));
}

void UserControl::ButtonReleased(const MouseMessage& input) {
    const MouseEventArgs up = ArgsOf(input);
    const bool inside = up.x >= 0 && up.y >= 0 && up.x < ClientWidth() && up.y < ClientHeight();
    const MouseRelease release = mouse_.Release(input.button, inside);
    if (release.releaseCapture && GetCapture() == hwnd_) ReleaseCapture();
    OnMouseUp(up);
    // The handler may have closed the form, and this window with it.
    if (release.click && hwnd_) OnClick();
}

}  // namespace forms

#include "form_win32.h"

#include <algorithm>

#include "app_win32.h"
#include "control_timer_win32.h"
#include "form_set.h"
#include "mouse_pointer_win32.h"
#include "twips.h"

namespace forms {

namespace {
constexpr wchar_t kFormClass[] = L"VelmoraForm";
constexpr wchar_t kOwnerClass[] = L"VelmoraOwner";
constexpr wchar_t kPictureBoxClass[] = L"VelmoraPictureBox";

// Which forms are loaded, and the unload order close handler, unload handler.
FormSet formSet([] { PostQuitMessage(0); });
std::vector<Form*> loadOrder;  // for closing them all, newest first
HWND ownerWindow = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        // Closing the program's owner closes every form, newest first.
        std::vector<Form*> forms(loadOrder.rbegin(), loadOrder.rend());
        for (Form* form : forms) form->Unload();
        return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW form = {};
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = &DefWindowProcW;  // replaced per window below
    form.hInstance = instance;
    form.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    form.lpszClassName = kFormClass;
    RegisterClassW(&form);
    WNDCLASSW owner = {};
    owner.lpfnWndProc = OwnerProc;
    owner.hInstance = instance;
    owner.hIcon = form.hIcon;
    owner.lpszClassName = kOwnerClass;
    RegisterClassW(&owner);
    WNDCLASSW box = {};
    box.style = CS_OWNDC;
    box.lpfnWndProc = DefWindowProcW;  // replaced per window
    box.hInstance = instance;
    box.hCursor = form.hCursor;
    box.lpszClassName = kPictureBoxClass;
    RegisterClassW(&box);
}

int ButtonOf(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return 4;
    default: return 0;
    }
}

// Every windowed control of a container and of the picture boxes in it.
void CollectWindowed(const Container& container, std::vector<WindowedControl*>& out) {
    for (Control* control : container.Controls()) {
        auto* windowed = dynamic_cast<WindowedControl*>(control);
        if (!windowed) continue;
        out.push_back(windowed);
        if (auto* box = dynamic_cast<PictureBox*>(windowed)) CollectWindowed(*box, out);
    }
}
}  // namespace

void PaintBuffered(HWND hwnd, const std::function<void(HDC)>& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    HGDIOBJ old = SelectObject(memory, buffer);
    paint(memory);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(buffer);
    DeleteDC(memory);
    EndPaint(hwnd, &ps);
}

int ShiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

COLORREF ColourRef(Colour colour) {
    if (colour.IsSystemColour()) return GetSysColor(static_cast<int>(colour.value & 0xFF));
    return colour.value & 0x00FFFFFF;
}

HWND OwnerWindow() {
    RegisterClasses();
    if (!ownerWindow)
        ownerWindow = CreateWindowExW(0, kOwnerClass, kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    return ownerWindow;
}

int LoadedFormCount() { return static_cast<int>(formSet.Count()); }

Form* FormOf(HWND hwnd) {
    HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    for (Form* form : loadOrder)
        if (form->Hwnd() == root) return form;
    return nullptr;
}

bool PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    // Windows that are not on a form (an open drop-down list, a common
    // dialog) keep their own keys.
    Form* form = FormOf(msg.hwnd);
    if (!form) return false;
    form->FocusNext(GetKeyState(VK_SHIFT) < 0);
    return true;
}

int RunMessageLoop() {
    MSG msg;
    while (formSet.Count() > 0) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// --- Container ------------------------------------------------------------------
int Container::ToPixelsX(int v) const {
    return GetScaleMode() == ScaleMode::Pixels ? v : TwipsToPixels(v, TwipsPerPixelX());
}
int Container::ToPixelsY(int v) const {
    return GetScaleMode() == ScaleMode::Pixels ? v : TwipsToPixels(v, TwipsPerPixelY());
}
int Container::FromPixelsX(int pixels) const {
    return GetScaleMode() == ScaleMode::Pixels ? pixels : PixelsToTwips(pixels, TwipsPerPixelX());
}
int Container::FromPixelsY(int pixels) const {
    return GetScaleMode() == ScaleMode::Pixels ? pixels : PixelsToTwips(pixels, TwipsPerPixelY());
}
int Container::FromTwipsX(int twips) const {
    return GetScaleMode() == ScaleMode::Twips ? twips : TwipsToPixels(twips, TwipsPerPixelX());
}
int Container::FromTwipsY(int twips) const {
    return GetScaleMode() == ScaleMode::Twips ? twips : TwipsToPixels(twips, TwipsPerPixelY());
}

void Container::AddControl(Control* control) { controls_.push_back(control); }
void Container::RemoveControl(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (pressed_ == control) pressed_ = nullptr;
}
void Container::Repaint() {
    if (HWND hwnd = ContainerHwnd()) InvalidateRect(hwnd, nullptr, FALSE);
}

void Container::PaintWindowless(HDC dc) {
    for (Control* control : controls_)
        if (!control->Window()) control->Paint(dc);
}

void Container::RealizeChildren() {
    for (Control* control : controls_) control->Realize();
}

void Container::NotifyShown(bool shown) {
    for (Control* control : controls_)
        if (auto* windowed = dynamic_cast<WindowedControl*>(control)) windowed->ParentShown(shown);
}

Control* Container::HitTest(POINT client) const {
    // The last drawn lies on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control* control = *it;
        if (control->Window() || !control->Visible() || !control->Enabled()) continue;
        const RECT r = control->PixelRect();
        if (PtInRect(&r, client)) return control;
    }
    return nullptr;
}

bool Container::HandleMouse(UINT message, WPARAM w, LPARAM l) {
    const POINT at = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    const int button = ButtonOf(message);
    auto argsFor = [&](Control* control) {
        const RECT r = control->PixelRect();
        return MouseEventArgs{button, ShiftState(), FromPixelsX(at.x - r.left), FromPixelsY(at.y - r.top)};
    };
    switch (message) {
    case WM_MOUSEMOVE: {
        // A pressed control keeps the mouse until the last button is up.
        Control* target = pressed_ ? pressed_ : HitTest(at);
        if (!target || !target->onMouseMove) return false;
        MouseEventArgs args = argsFor(target);
        args.button = (w & MK_LBUTTON ? 1 : 0) | (w & MK_RBUTTON ? 2 : 0) | (w & MK_MBUTTON ? 4 : 0);
        target->onMouseMove(args);
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        Control* target = pressed_ ? pressed_ : HitTest(at);
        if (!target) return false;
        pressed_ = target;
        pressedButtons_ |= button;
        SetCapture(ContainerHwnd());
        if (target->onMouseDown) target->onMouseDown(argsFor(target));
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        Control* target = pressed_;
        if (!target) return false;
        pressedButtons_ &= ~button;
        if (pressedButtons_ == 0) {
            pressed_ = nullptr;
            ReleaseCapture();
        }
        const MouseEventArgs args = argsFor(target);
        const RECT r = target->PixelRect();
        const bool over = PtInRect(&r, at);
        if (target->onMouseUp) target->onMouseUp(args);
        // A click is a left press and release over the same control; the
        // handlers above may have unloaded it, so look again.
        if (button == 1 && over && std::find(controls_.begin(), controls_.end(), target) != controls_.end() &&
            target->onClick)
            target->onClick();
        return true;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != ContainerHwnd()) {
            pressed_ = nullptr;
            pressedButtons_ = 0;
        }
        return false;
    default: return false;
    }
}

bool Container::HandleSetCursor(HWND target) {
    if (target == ContainerHwnd()) {
        POINT at = {};
        GetCursorPos(&at);
        ScreenToClient(ContainerHwnd(), &at);
        const Control* under = HitTest(at);
        return ApplyPointer(under ? under->MousePointer() : 0, under ? &under->MouseIcon() : nullptr);
    }
    for (Control* control : controls_) {
        HWND window = control->Window();
        if (window && (window == target || IsChild(window, target)))
            return ApplyPointer(control->MousePointer(), &control->MouseIcon());
    }
    return ApplyPointer(0, nullptr);
}

// --- Control --------------------------------------------------------------------
Control::Control(Container& container) : container_(container) { container.AddControl(this); }
Control::~Control() { container_.RemoveControl(this); }
void Control::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Layout();
    Invalidate();
}
void Control::MoveTwips(int left, int top, int width, int height) {
    Move(container_.FromTwipsX(left), container_.FromTwipsY(top), container_.FromTwipsX(width),
         container_.FromTwipsY(height));
}
void Control::SetLeft(int v) { Move(v, top_, width_, height_); }
void Control::SetTop(int v) { Move(left_, v, width_, height_); }
void Control::SetWidth(int v) { Move(left_, top_, v, height_); }
void Control::SetHeight(int v) { Move(left_, top_, width_, v); }
void Control::SetVisible(bool visible) {
    visible_ = visible;
    Layout();
    Invalidate();
}
void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Invalidate();
}
RECT Control::PixelRect() const {
    const int x = container_.ToPixelsX(left_), y = container_.ToPixelsY(top_);
    return {x, y, x + container_.ToPixelsX(width_), y + container_.ToPixelsY(height_)};
}
void Control::Invalidate() { container_.Repaint(); }

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
    const int n = WideCharToMultiByte(CP_UTF8, 0, face, -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
        font.name.resize(static_cast<std::size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, face, -1, font.name.data(), n, nullptr, nullptr);
        font.name.resize(static_cast<std::size_t>(n - 1));
    }
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

void Label::DrawCaption(HDC dc, const std::wstring& caption, RECT r, HFONT font, COLORREF colour,
                        Alignment alignment, bool enabled) {
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = GetTextColor(dc);
    const UINT align = alignment == Alignment::Center  ? DT_CENTER
                       : alignment == Alignment::Right ? DT_RIGHT
                                                       : DT_LEFT;
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

// --- Windowed controls ------------------------------------------------------------
WindowedControl::~WindowedControl() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}
void WindowedControl::Realize() {
    HWND parent = container_.ContainerHwnd();
    if (hwnd_ || !parent) return;
    RegisterClasses();
    const RECT r = PixelRect();
    hwnd_ = CreateWindowExW(exStyle_, windowClass_, L"",
                            style_ | WS_CHILD | WS_CLIPSIBLINGS | (Visible() ? WS_VISIBLE : 0) |
                                (Enabled() ? 0 : WS_DISABLED),
                            r.left, r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_) Created();
}
void WindowedControl::Layout() {
    if (!hwnd_) return;
    const RECT r = PixelRect();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (Visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}
void WindowedControl::SetEnabled(bool enabled) {
    Control::SetEnabled(enabled);
    if (hwnd_) EnableWindow(hwnd_, enabled);
}
bool WindowedControl::CanFocus() const {
    return tabStop_ && hwnd_ && IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_);
}
void WindowedControl::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

ComboBox::ComboBox(Container& container, bool editable)
    : WindowedControl(container, L"COMBOBOX",
                      (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) | WS_VSCROLL | WS_TABSTOP) {}
void ComboBox::Created() {
    SendMessageW(hwnd_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
}
void ComboBox::SetFont(const FontSpec& font) {
    font_ = CreateFontFor(font, container_.TwipsPerPixelY());
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
}
void ComboBox::AddItem(const std::wstring& item) {
    if (hwnd_) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}
void ComboBox::Clear() {
    if (hwnd_) SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}
int ComboBox::ListCount() const { return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)) : 0; }
int ComboBox::ListIndex() const { return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)) : -1; }
void ComboBox::SetListIndex(int index) {
    if (hwnd_) SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
std::wstring ComboBox::Text() const {
    if (!hwnd_) return {};
    const int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}
void ComboBox::SetText(const std::wstring& text) {
    if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
}

PictureBox::PictureBox(Container& container)
    : WindowedControl(container, kPictureBoxClass, WS_CLIPCHILDREN) {}
void PictureBox::Created() {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureBox::WindowProc));
}
void PictureBox::Realize() {
    WindowedControl::Realize();
    RealizeChildren();
}
void PictureBox::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    Refresh();
}
HDC PictureBox::Dc() const { return hwnd_ ? GetDC(hwnd_) : nullptr; }  // class DC: not released
void PictureBox::Refresh() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}
void PictureBox::PaintSelf(HDC dc) {
    RECT client = {};
    if (hwnd_) GetClientRect(hwnd_, &client);
    HBRUSH back = CreateSolidBrush(backColor_);
    FillRect(dc, &client, back);
    DeleteObject(back);
    if (picture_) {
        const SIZE size = picture_.DeviceSize(TwipsPerPixelX(), TwipsPerPixelY());
        picture_.Draw(dc, 0, 0, size.cx, size.cy);
    }
    if (onPaint) onPaint(dc);
    PaintWindowless(dc);
}
LRESULT CALLBACK PictureBox::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* box = reinterpret_cast<PictureBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!box) return DefWindowProcW(hwnd, message, w, l);
    switch (message) {
    case WM_PAINT: PaintBuffered(hwnd, [box](HDC dc) { box->PaintSelf(dc); }); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT && box->HandleSetCursor(reinterpret_cast<HWND>(w))) return TRUE;
        break;
    case WM_DESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
    default:
        if (message == WM_CAPTURECHANGED || (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK)) {
            if (box->HandleMouse(message, w, l)) return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

// --- Timer ----------------------------------------------------------------------
Timer::Timer(Form& form, UINT intervalMs, std::function<void()> tick)
    : form_(form), interval_(intervalMs), tick_(std::move(tick)), id_(NewTimerId()) {
    form.AddTimer(this);
}
Timer::~Timer() {
    if (form_.Hwnd()) KillTimer(form_.Hwnd(), id_);
    form_.RemoveTimer(this);
}
void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Arm();
}
void Timer::SetInterval(UINT intervalMs) {
    interval_ = intervalMs;
    Arm();
}
void Timer::Arm() {
    if (!form_.Hwnd()) return;
    KillTimer(form_.Hwnd(), id_);
    // Setting the timer anew starts a full interval.
    if (enabled_ && interval_ > 0) SetTimer(form_.Hwnd(), id_, interval_, nullptr);
}
void Timer::Fire() {
    if (enabled_ && tick_) tick_();
}

// --- Form -----------------------------------------------------------------------
Form::Form(std::wstring title, FormStyle style) : title_(std::move(title)), style_(style) {}

Form::~Form() {
    // Forms live until the process ends; one destroyed while loaded just
    // loses its window, without handlers.
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

float Form::TwipsPerPixelX() const { return twipsPerPixelX_ > 0 ? twipsPerPixelX_ : forms::TwipsPerPixelX(); }
float Form::TwipsPerPixelY() const { return twipsPerPixelY_ > 0 ? twipsPerPixelY_ : forms::TwipsPerPixelY(); }

bool Form::Load() {
    if (hwnd_) return true;
    RegisterClasses();
    // The program is DPI-aware for the system DPI, which stays as it is for
    // the process's life: one reading serves the form.
    twipsPerPixelX_ = forms::TwipsPerPixelX();
    twipsPerPixelY_ = forms::TwipsPerPixelY();
    ApplyLayout();
    HWND owner = (style_.style & WS_CHILD) ? nullptr : OwnerWindow();
    hwnd_ = CreateWindowExW(style_.exStyle, kFormClass, title_.c_str(), (style_.style & ~WS_VISIBLE) | WS_CLIPCHILDREN,
                            TwipsToPixels(left_, twipsPerPixelX_), TwipsToPixels(top_, twipsPerPixelY_),
                            TwipsToPixels(width_, twipsPerPixelX_), TwipsToPixels(height_, twipsPerPixelY_), owner,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::WindowProc));
    formSet.Register(this, {[this] { OnClose(); }, [this] { OnUnload(); }});
    loadOrder.push_back(this);
    RealizeChildren();
    for (auto& [id, timer] : timers_) timer->Arm();
    OnLoad();
    return true;
}

void Form::Show(bool modal) {
    if (!hwnd_ && !Load()) return;
    if (!hwnd_) return;  // the load handler unloaded it
    ShowWindow(hwnd_, SW_SHOW);
    if (!shown_) {
        shown_ = true;
        NotifyShown(true);
    }
    if (!hwnd_) return;
    UpdateWindow(hwnd_);
    if (!modal) return;
    // Modal: the other forms wait until this one is gone.
    std::vector<HWND> disabled;
    for (Form* other : loadOrder)
        if (other != this && other->hwnd_ && IsWindowEnabled(other->hwnd_)) {
            EnableWindow(other->hwnd_, FALSE);
            disabled.push_back(other->hwnd_);
        }
    SetForegroundWindow(hwnd_);
    modalDone_ = false;
    MSG msg;
    while (hwnd_ && !modalDone_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HWND w : disabled)
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

void Form::Hide() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_HIDE);
    if (shown_) {
        shown_ = false;
        NotifyShown(false);
    }
}

void Form::SetIcon(HICON big, HICON small) {
    if (!hwnd_) return;
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void Form::FocusNext(bool backwards) {
    std::vector<WindowedControl*> order;
    CollectWindowed(*this, order);
    std::erase_if(order, [](WindowedControl* c) { return !c->CanFocus(); });
    if (order.empty()) return;
    std::stable_sort(order.begin(), order.end(),
                     [](WindowedControl* a, WindowedControl* b) { return a->TabIndex() < b->TabIndex(); });
    HWND focus = GetFocus();
    auto current = std::find_if(order.begin(), order.end(), [focus](WindowedControl* c) {
        return focus && (c->Hwnd() == focus || IsChild(c->Hwnd(), focus));
    });
    std::size_t next = 0;
    if (current != order.end()) {
        const std::size_t at = static_cast<std::size_t>(current - order.begin());
        next = backwards ? (at + order.size() - 1) % order.size() : (at + 1) % order.size();
    } else if (backwards) {
        next = order.size() - 1;
    }
    order[next]->SetFocus();
}

void Form::Forget() {
    for (auto& [id, timer] : timers_) KillTimer(hwnd_, id);
    hwnd_ = nullptr;
    modalDone_ = true;
    loadOrder.erase(std::remove(loadOrder.begin(), loadOrder.end(), this), loadOrder.end());
}

void Form::Unload() {
    if (!hwnd_) return;
    // Runs the close handler, then the unload handler; a second request from
    // inside them does nothing.
    if (formSet.Unload(this) != FormSet::UnloadResult::Unloaded) return;
    if (shown_) {
        shown_ = false;
        NotifyShown(false);
    }
    HWND hwnd = hwnd_;
    Forget();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

void Form::ApplyGeometry() {
    if (!hwnd_) return;
    // A child form is placed in its parent's client area.
    SetWindowPos(hwnd_, nullptr, TwipsToPixels(left_, twipsPerPixelX_), TwipsToPixels(top_, twipsPerPixelY_),
                 TwipsToPixels(width_, twipsPerPixelX_), TwipsToPixels(height_, twipsPerPixelY_),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    ApplyGeometry();
}
void Form::SetLeft(int twips) { Move(twips, top_, width_, height_); }
void Form::SetTop(int twips) { Move(left_, twips, width_, height_); }
void Form::SetWidth(int twips) { Move(left_, top_, twips, height_); }
void Form::SetHeight(int twips) { Move(left_, top_, width_, twips); }

void Form::AddTimer(Timer* timer) {
    timers_[timer->Id()] = timer;
    timer->Arm();
}
void Form::RemoveTimer(Timer* timer) { timers_.erase(timer->Id()); }

void Form::PaintFace(HDC dc) {
    RECT client = {};
    if (hwnd_) GetClientRect(hwnd_, &client);
    HBRUSH back = CreateSolidBrush(style_.backColor);
    FillRect(dc, &client, back);
    DeleteObject(back);
    PaintWindowless(dc);
    OnPaint(dc);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, w, l);
    return form->Handle(hwnd, message, w, l);
}

LRESULT Form::Handle(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    LRESULT result = 0;
    if (OnMessage(message, w, l, &result)) return result;
    if (message == WM_CAPTURECHANGED || (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK)) {
        if (HandleMouse(message, w, l)) return 0;
        return DefWindowProcW(hwnd, message, w, l);
    }
    switch (message) {
    case WM_TIMER: {
        const auto found = timers_.find(static_cast<UINT_PTR>(w));
        if (found != timers_.end()) found->second->Fire();
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT && HandleSetCursor(reinterpret_cast<HWND>(w))) return TRUE;
        return DefWindowProcW(hwnd, message, w, l);
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_ENDSESSION:
        // Logging off or shutting down: the same unload as any other.
        if (w) Unload();
        return 0;
    case WM_DESTROY:
        // Destroyed from outside (a host closing the window we live in).
        if (hwnd_ && formSet.Unload(this) == FormSet::UnloadResult::Unloaded) Forget();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        // Drawn off-screen, then copied: no flicker while controls repaint.
        PaintBuffered(hwnd, [this](HDC dc) { PaintFace(dc); });
        return 0;
    default:
        return DefWindowProcW(hwnd, message, w, l);
    }
}

}  // namespace forms

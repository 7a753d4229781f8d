#include "form_win32.h"

#include <algorithm>

#include "app_win32.h"
#include "form_set.h"
#include "twips.h"

namespace forms {

namespace {
constexpr wchar_t kFormClass[] = L"VelmoraForm";
constexpr wchar_t kOwnerClass[] = L"VelmoraOwner";
constexpr wchar_t kPictureBoxClass[] = L"VelmoraPictureBox";

// Which forms are loaded, and the unload order close handler, unload handler.
FormSet formSet([] { PostQuitMessage(0); });
std::vector<Form*> loadOrder;  // for closing them all, newest first
UINT_PTR nextTimerId = 1;
HWND ownerWindow = nullptr;

int PixelsX(int twips) { return TwipsToPixels(twips, TwipsPerPixelX()); }
int PixelsY(int twips) { return TwipsToPixels(twips, TwipsPerPixelY()); }

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        // Closing the program's owner closes every form, newest first.
        std::vector<Form*> forms(loadOrder.rbegin(), loadOrder.rend());
        for (Form* form : forms) form->Unload();
        return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* box = reinterpret_cast<PictureBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_PAINT && box) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        box->PaintSelf(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
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
    form.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
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
    box.lpfnWndProc = PictureBoxProc;
    box.hInstance = instance;
    box.hCursor = form.hCursor;
    box.lpszClassName = kPictureBoxClass;
    RegisterClassW(&box);
}
}  // namespace

HWND OwnerWindow() {
    RegisterClasses();
    if (!ownerWindow)
        ownerWindow = CreateWindowExW(0, kOwnerClass, kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    return ownerWindow;
}

int LoadedFormCount() { return static_cast<int>(formSet.Count()); }

int RunMessageLoop() {
    MSG msg;
    while (formSet.Count() > 0) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// --- Picture --------------------------------------------------------------------
Picture::Picture(HBITMAP bitmap) : bitmap_(bitmap) {}
Picture::~Picture() {
    if (bitmap_) DeleteObject(bitmap_);
}
Picture::Picture(Picture&& other) noexcept : bitmap_(other.bitmap_) { other.bitmap_ = nullptr; }
Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        if (bitmap_) DeleteObject(bitmap_);
        bitmap_ = other.bitmap_;
        other.bitmap_ = nullptr;
    }
    return *this;
}
Picture Picture::FromResource(int id) {
    return Picture(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP,
                                                   0, 0, LR_CREATEDIBSECTION)));
}
SIZE Picture::Size() const {
    BITMAP info = {};
    if (!bitmap_ || !GetObjectW(bitmap_, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// --- Control --------------------------------------------------------------------
Control::Control(Form& form) : form_(form) { form.AddControl(this); }
Control::~Control() { form_.RemoveControl(this); }
void Control::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Layout();
    Invalidate();
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
RECT Control::PixelRect() const {
    const int x = form_.ToPixelsX(left_), y = form_.ToPixelsY(top_);
    return {x, y, x + form_.ToPixelsX(width_), y + form_.ToPixelsY(height_)};
}
void Control::Invalidate() { form_.Repaint(); }

// --- Image ----------------------------------------------------------------------
void Image::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    if (!stretch_ && picture_) {
        const SIZE size = picture_.Size();
        const bool pixels = form_.GetScaleMode() == ScaleMode::Pixels;
        Move(Left(), Top(), pixels ? size.cx : PixelsToTwips(size.cx, TwipsPerPixelX()),
             pixels ? size.cy : PixelsToTwips(size.cy, TwipsPerPixelY()));
    }
    Invalidate();
}
void Image::Paint(HDC dc) {
    if (!picture_ || !Visible()) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture_.Handle());
    const RECT r = PixelRect();
    const SIZE size = picture_.Size();
    if (stretch_) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, size.cx, size.cy, SRCCOPY);
    } else {
        // Drawn from the top-left corner, clipped to the control.
        BitBlt(dc, r.left, r.top, std::min<LONG>(size.cx, r.right - r.left),
               std::min<LONG>(size.cy, r.bottom - r.top), source, 0, 0, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

// --- Label ----------------------------------------------------------------------
Label::~Label() {
    if (font_) DeleteObject(font_);
}
void Label::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    Invalidate();
}
void Label::SetForeColor(COLORREF colour) {
    foreColor_ = colour;
    Invalidate();
}
void Label::SetFont(const wchar_t* face, int pointSize, bool bold) {
    if (font_) DeleteObject(font_);
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    Invalidate();
}
void Label::SetAlignment(Alignment alignment) {
    alignment_ = alignment;
    Invalidate();
}
void Label::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Invalidate();
}
void Label::Paint(HDC dc) {
    if (!Visible()) return;
    RECT r = PixelRect();
    if (!transparent_) {
        HBRUSH brush = CreateSolidBrush(backColor_);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    HGDIOBJ oldFont = font_ ? SelectObject(dc, font_) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    const UINT align = alignment_ == Alignment::Center ? DT_CENTER : alignment_ == Alignment::Right ? DT_RIGHT : DT_LEFT;
    if (enabled_) {
        SetTextColor(dc, foreColor_);
        DrawTextW(dc, caption_.c_str(), -1, &r, align | DT_WORDBREAK | DT_NOPREFIX);
    } else {
        // Greyed: the system's embossed look.
        RECT shadow = r;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, caption_.c_str(), -1, &shadow, align | DT_WORDBREAK | DT_NOPREFIX);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, caption_.c_str(), -1, &r, align | DT_WORDBREAK | DT_NOPREFIX);
    }
    if (oldFont) SelectObject(dc, oldFont);
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
    if (hwnd_ || !form_.Hwnd()) return;
    RegisterClasses();
    const RECT r = PixelRect();
    hwnd_ = CreateWindowExW(0, windowClass_, L"", style_ | WS_CHILD | (Visible() ? WS_VISIBLE : 0), r.left, r.top,
                            r.right - r.left, r.bottom - r.top, form_.Hwnd(), nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    if (hwnd_) Created();
}
void WindowedControl::Layout() {
    if (!hwnd_) return;
    const RECT r = PixelRect();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (Visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

ComboBox::ComboBox(Form& form) : WindowedControl(form, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP) {}
void ComboBox::Created() {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
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
void ComboBox::SetEnabled(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled);
}

PictureBox::PictureBox(Form& form) : WindowedControl(form, kPictureBoxClass, 0) {}
void PictureBox::Created() { SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this)); }
void PictureBox::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    Refresh();
}
HDC PictureBox::Dc() const { return hwnd_ ? GetDC(hwnd_) : nullptr; }  // class DC: not released
void PictureBox::Refresh() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}
void PictureBox::PaintSelf(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (picture_) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture_.Handle());
        const SIZE size = picture_.Size();
        BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    if (onPaint) onPaint(dc);
}

// --- Timer ----------------------------------------------------------------------
Timer::Timer(Form& form, UINT intervalMs, std::function<void()> tick)
    : form_(form), interval_(intervalMs), tick_(std::move(tick)), id_(nextTimerId++) {
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

int Form::ToPixelsX(int v) const { return scaleMode_ == ScaleMode::Pixels ? v : PixelsX(v); }
int Form::ToPixelsY(int v) const { return scaleMode_ == ScaleMode::Pixels ? v : PixelsY(v); }

bool Form::Load() {
    if (hwnd_) return true;
    RegisterClasses();
    HWND owner = (style_.style & WS_CHILD) ? nullptr : OwnerWindow();
    hwnd_ = CreateWindowExW(style_.exStyle, kFormClass, title_.c_str(), style_.style & ~WS_VISIBLE, PixelsX(left_),
                            PixelsY(top_), PixelsX(width_), PixelsY(height_), owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::WindowProc));
    formSet.Register(this, {[this] { OnClose(); }, [this] { OnUnload(); }});
    loadOrder.push_back(this);
    for (Control* control : controls_) control->Realize();
    for (auto& [id, timer] : timers_) timer->Arm();
    OnLoad();
    return true;
}

void Form::Show(bool modal) {
    if (!hwnd_ && !Load()) return;
    if (!hwnd_) return;  // the load handler unloaded it
    ShowWindow(hwnd_, SW_SHOW);
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
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HWND w : disabled)
        if (IsWindow(w)) EnableWindow(w, TRUE);
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
    HWND hwnd = hwnd_;
    Forget();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

void Form::ApplyGeometry() {
    if (!hwnd_) return;
    // A child form is placed in its parent's client area.
    SetWindowPos(hwnd_, nullptr, PixelsX(left_), PixelsY(top_), PixelsX(width_), PixelsY(height_),
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

void Form::AddControl(Control* control) { controls_.push_back(control); }
void Form::RemoveControl(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}
void Form::AddTimer(Timer* timer) {
    timers_[timer->Id()] = timer;
    timer->Arm();
}
void Form::RemoveTimer(Timer* timer) { timers_.erase(timer->Id()); }
void Form::Repaint() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, w, l);
    return form->Handle(hwnd, message, w, l);
}

LRESULT Form::Handle(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    LRESULT result = 0;
    if (OnMessage(message, w, l, &result)) return result;
    switch (message) {
    case WM_TIMER: {
        const auto found = timers_.find(static_cast<UINT_PTR>(w));
        if (found != timers_.end()) found->second->Fire();
        return 0;
    }
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
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        // Draw off-screen, then copy: no flicker while controls repaint.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP buffer = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
        HGDIOBJ old = SelectObject(memory, buffer);
        HBRUSH back = CreateSolidBrush(style_.backColor);
        FillRect(memory, &client, back);
        DeleteObject(back);
        for (Control* control : controls_) control->Paint(memory);
        OnPaint(memory);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(buffer);
        DeleteDC(memory);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, w, l);
    }
}

}  // namespace forms

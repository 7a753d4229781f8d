#include "form_win32.h"

#include <algorithm>

#include "app_win32.h"
#include "form_set.h"
#include "twips.h"
#include "window_classes_win32.h"

namespace forms {

namespace {
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
    if (modal) RunModal();
}

void Form::RunModal() {
    // The other forms wait until this one is gone.
    std::vector<HWND> disabled;
    for (Form* other : loadOrder)
        if (other != this && other->hwnd_ && IsWindowEnabled(other->hwnd_)) {
            EnableWindow(other->hwnd_, FALSE);
            disabled.push_back(other->hwnd_);
        }
    SetForegroundWindow(hwnd_);
    modalDone_ = false;
    RunModalLoop([this] { return hwnd_ && !modalDone_; });
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
    switch (message) {
    case WM_TIMER: OnTimerMessage(static_cast<UINT_PTR>(w)); return 0;
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT && HandleSetCursor(reinterpret_cast<HWND>(w))) return TRUE;
        break;
    case WM_CLOSE: Unload(); return 0;
    case WM_ENDSESSION:
        // Logging off or shutting down: the same unload as any other.
        if (w) Unload();
        return 0;
    case WM_DESTROY: OnDestroyedFromOutside(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        // Drawn off-screen, then copied: no flicker while controls repaint.
        PaintBuffered(hwnd, [this](HDC dc) { PaintFace(dc); });
        return 0;
    default:
        if (HandleMouse(message, w, l)) return 0;
        break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

void Form::OnTimerMessage(UINT_PTR id) {
    const auto found = timers_.find(id);
    if (found != timers_.end()) found->second->Fire();
}

void Form::OnDestroyedFromOutside(HWND hwnd) {
    // Destroyed from outside (a host closing the window we live in): the
    // handlers run as for any unload. Our own Unload forgets the window first.
    if (hwnd_ && formSet.Unload(this) == FormSet::UnloadResult::Unloaded) Forget();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

}  // namespace forms

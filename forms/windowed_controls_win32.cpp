#include "windowed_controls_win32.h"

#include "window_classes_win32.h"

namespace forms {

// --- Windowed controls ------------------------------------------------------------
WindowedControl::~WindowedControl() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}
void WindowedControl::Realize() {
    HWND parent = container_.ContainerHwnd();
    if (hwnd_ || !parent) return;
    RegisterClasses();
    const RECT r = PixelRect();
    hwnd_ = CreateWindowExW(
        exStyle_, windowClass_, L"",
        style_ | WS_CHILD | WS_CLIPSIBLINGS | (Visible() ? WS_VISIBLE : 0) | (Enabled() ? 0 : WS_DISABLED), r.left,
        r.top, r.right - r.left, r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
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
bool WindowedControl::CanFocus() const { return tabStop_ && hwnd_ && IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_); }
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

PictureBox::PictureBox(Container& container) : WindowedControl(container, kPictureBoxClass, WS_CLIPCHILDREN) {}
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
        if (box->HandleMouse(message, w, l)) return 0;
        break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace forms

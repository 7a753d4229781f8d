#include "preview_form_win32.h"

#include <map>

#include "app_win32.h"
#include "resource_ids.h"
#include "twips.h"

namespace {
HWND AsWindow(std::int32_t handle) {
    // Window handles are 32-bit values on every Windows; widen with the sign.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

// Thread timers carry no window: the tick finds its form by the timer's id.
std::map<UINT_PTR, PreviewForm*> watches;

PreviewForm& Preview() {
    static PreviewForm form;
    return form;
}

void SizePreview(PreviewForm& form, int widthPixels, int heightPixels) {
    // The host's pixels through the form's twips and back: the same pixels
    // at any DPI.
    const float tppX = form.TwipsPerPixelX();
    const float tppY = form.TwipsPerPixelY();
    // Held in 32 bits: a host of any size gets a preview of its own size.
    const std::int32_t width = PixelsToTwips(widthPixels, tppX);
    const std::int32_t height = PixelsToTwips(heightPixels, tppY);
    form.SetLeft(0);
    form.SetTop(0);
    form.SetWidth(width);
    form.SetHeight(height);
    form.imgPrev.SetWidth(TwipsToPixels(width, tppX));
    form.imgPrev.SetHeight(TwipsToPixels(height, tppY));
    form.imgPrev.SetLeft(0);
    form.imgPrev.SetTop(0);
}
}  // namespace

PreviewForm::PreviewForm() : Form(L"Preview Window", forms::FormStyle{WS_POPUP, 0, RGB(0, 0, 0)}) {
    SetScaleMode(forms::ScaleMode::Pixels);
    // A host whose preview is not 152 x 112 pixels gets the still scaled to
    // fill it, so a large or high-DPI preview pane shows the whole picture;
    // at 152 x 112 it is drawn pixel for pixel.
    imgPrev.SetStretch(true);
}

void PreviewForm::OnLoad() {
    imgPrev.SetPicture(forms::Picture::FromResource(IDB_PREVIEW_STILL));
    imgPrev.Move(0, 0, 152, 112);
    if (host_) {
        watch_ = SetTimer(nullptr, 0, 250, &PreviewForm::WatchTick);
        if (watch_) watches[watch_] = this;
    }
}

PreviewForm::~PreviewForm() {
    if (watch_) KillTimer(nullptr, watch_);
}

void CALLBACK PreviewForm::WatchTick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = watches.find(id);
    if (found != watches.end()) found->second->WatchParent();
}

void PreviewForm::WatchParent() {
    if (IsWindow(host_) && IsWindow(Hwnd())) return;
    if (Loaded()) {
        Unload();
    } else {
        forms::End();
    }
}

void PreviewForm::OnUnload() {
    if (watch_) {
        KillTimer(nullptr, watch_);
        watches.erase(watch_);
        watch_ = 0;
    }
    HWND owner = GetWindow(Hwnd(), GW_OWNER);
    PostMessageA(owner, WM_CLOSE, 0, 0);
}

void ShowPreview(std::int32_t parent) {
    HWND host = AsWindow(parent);
    if (!IsWindow(host)) forms::End();
    // The pane's client area: the same as its window rectangle for the
    // borderless panes hosts use, and the right size for a framed one.
    RECT rect = {0, 0, 0, 0};
    GetClientRect(host, &rect);
    PreviewForm& form = Preview();
    form.SetHost(host);
    if (!form.Load()) forms::End();
    HWND self = form.Hwnd();
    const LONG style = GetWindowLongA(self, GWL_STYLE);
    SetWindowLongA(self, GWL_STYLE, style | WS_CHILD);
    SetParent(self, host);
    SizePreview(form, rect.right - rect.left, rect.bottom - rect.top);
    form.Show(false);
}

void ShowPreviewTopLevel(int width, int height) {
    PreviewForm& form = Preview();
    if (!form.Load()) return;
    SizePreview(form, width, height);
    form.Show(false);
}

// The preview pane: a still of the ring flight shown inside the window that
// the host's screen-saver settings hand over with /p.
#pragma once
#include <windows.h>

#include <cstdint>

#include "form_win32.h"

class PreviewForm : public forms::Form {
public:
    PreviewForm();
    ~PreviewForm() override;
    forms::Image imgPrev{*this};  // Img_Prev
    void SetHost(HWND host) { host_ = host; }

protected:
    void OnLoad() override;
    void OnUnload() override;

private:
    // The host may destroy its pane, or die, without a close request to us;
    // our window and its timers can then vanish with it. So the watch is a
    // thread timer: it notices within a quarter of a second and unloads.
    static void CALLBACK WatchTick(HWND, UINT, UINT_PTR id, DWORD);
    void WatchParent();
    HWND host_ = nullptr;
    UINT_PTR watch_ = 0;
};

// Embeds the preview form in the window `parent` and shows it. A handle that
// names no window ends the process at once: there is nothing to show it in.
void ShowPreview(std::int32_t parent);

// Test entry, unreachable from the command line: the same form as a visible
// top-level window at (0, 0) of the given pixel size, so its picture can be
// photographed (a child of another process's window never reaches the screen
// under Wine).
void ShowPreviewTopLevel(int width, int height);

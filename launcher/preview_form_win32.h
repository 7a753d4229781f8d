// The preview pane: a still of the ring flight shown inside the window that
// the host's screen-saver settings hand over with /p.
#pragma once
#include <windows.h>

#include <cstdint>

#include "form_win32.h"

class PreviewForm : public forms::Form {
public:
    PreviewForm();
    forms::Image imgPrev{*this};  // Img_Prev
    // The host may destroy its window without a close request to ours; the
    // watch notices within a quarter of a second and unloads the preview.
    forms::Timer parentWatch{*this, 250, [this] { WatchParent(); }};
    void SetHost(HWND host) { host_ = host; }

protected:
    void OnLoad() override;
    void OnUnload() override;

private:
    void WatchParent();
    HWND host_ = nullptr;
};

// Embeds the preview form in the window `parent` and shows it. A handle that
// names no window ends the process at once: there is nothing to show it in.
void ShowPreview(std::int32_t parent);

// Test entry, unreachable from the command line: the same form as a visible
// top-level window at (0, 0) of the given pixel size, so its picture can be
// photographed (a child of another process's window never reaches the screen
// under Wine).
void ShowPreviewTopLevel(int width, int height);

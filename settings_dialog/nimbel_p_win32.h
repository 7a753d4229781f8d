// Nimbel_P, the settings dialog: a borderless window whose face is one paper
// picture (Pic_C) with every control on it. The user picks the music source,
// the CD track to repeat and the music file; "設定" stores them in the
// settings file and "ｷｬﾝｾﾙ" closes without storing. It edits its own copy
// of the settings and hands it back to be stored.
#pragma once
#include <windows.h>

#include <functional>

#include "anigif_control_win32.h"
#include "command_win32.h"
#include "control_array.h"
#include "form_win32.h"
#include "settings.h"

class Nimbel_P final : public forms::Form {
public:
    // Stores what "設定" hands back; the dialog closes only when it was stored.
    using StoreAction = std::function<SaveReport(const StoredSettings&)>;

    Nimbel_P();
    // The settings the dialog opens with, and where "設定" hands them back.
    void Edit(StoredSettings settings, StoreAction store);

protected:
    void ApplyLayout() override;
    void OnLoad() override;
    void OnUnload() override;

private:
    void InitButtons(bool initialise, bool enable);
    void ChooseSource(int index);
    void BrowseForFile();
    void SaveSettings();
    void OpenHomePage();
    void SetMarks(int onPictureStore, int index, bool round);

    // Declared in the order they are drawn.
    forms::PictureBox Pic_C{*this};
    forms::Image Image1{Pic_C};
    ControlArray<forms::Label> lbl;
    ControlArray<forms::Shape> Shape_1, Shape_2;
    ControlArray<forms::Image> Img_BGM;
    ControlArray<forms::Label> lbl_BGM;
    forms::ComboBox BGM_Repeat{Pic_C, true};
    Command Cmd_File{Pic_C};
    forms::Label lbl_Fname{Pic_C};
    ucAniGIF ucAniGIF1{Pic_C};
    Command Cmd_Set{Pic_C};
    Command Cmd_Can{Pic_C};
    // Picture stores: the sources of the radio marks, outside the visible area.
    ControlArray<forms::Image> Img_Opt, Img_Ra;

    StoredSettings settings_;
    StoreAction store_;
};

// Shows the settings dialog modally on the given settings; returns when it
// has closed. store runs if the user stores them; when it fails, the dialog
// says why and stays open.
void ShowSettingsDialog(const StoredSettings& settings, Nimbel_P::StoreAction store);

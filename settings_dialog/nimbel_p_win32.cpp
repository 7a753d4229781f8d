#include "nimbel_p_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app_win32.h"
#include "code_page.h"
#include "dialog_resources.h"
#include "dialog_rules.h"
#include "mouse_pointer_win32.h"
#include "path_parts.h"
#include "saver_contract.h"
#include "twips.h"
#include "velmora_version.h"
#include "zoom_win32.h"

namespace {
// The author's home page, opened by a click on the banner.
constexpr char kHomePage[] = "https://velmora.example/";

// Wide, so that they read right whatever the system's ANSI code page is.
constexpr wchar_t kBrowseFilter[] = L"BGMﾌｧｲﾙ (MP3 WAV)\0*.MP3;*.WAV\0";
constexpr wchar_t kBrowseTitle[] = L"ﾌｧｲﾙを開く";
constexpr wchar_t kCannotStoreName[] =
    L"このﾌｧｲﾙの名前は、このｼｽﾃﾑの文字ｺｰﾄﾞでは書けず、短い名前(8.3形式)もないため、BGMに設定できません。"
    L"ﾌｧｲﾙ名を変えてから、もう一度選んでください。";
constexpr DWORD kFileBufferChars = 255;

// Why a save failed, in the dialog's language: the system's own words where
// it gave a reason.
std::wstring SaveFailureText(const SaveReport& report) {
    std::wstring reason;
    if (report.systemError != 0) {
        wchar_t* text = nullptr;
        const DWORD n =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, report.systemError, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (n > 0 && text) reason.assign(text, n);
        if (text) LocalFree(text);
        while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) reason.pop_back();
        reason += L" (" + std::to_wstring(report.systemError) + L")";
    } else if (report.outcome == SaveOutcome::TooLarge) {
        reason = L"設定ﾌｧｲﾙが大きすぎます。";
    } else if (report.outcome == SaveOutcome::Unreadable) {
        reason = L"設定ﾌｧｲﾙを読めません。";
    } else {
        reason = L"設定ﾌｧｲﾙに書き込めませんでした。";
    }
    return L"設定を保存できませんでした。\n\n" + ToUtf16(report.file, kUtf8CodePage) + L"\n\n" + reason;
}

const COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);

// "ＭＳ Ｐゴシック", 9.75 point, Shift-JIS: the dialog's labels and buttons.
FontSpec DialogFont() {
    FontSpec font = forms::DefaultFont();
    font.sizeCentipoints = 975;
    return font;
}

// Gives a windowless label of the dialog its text, colour and font.
forms::Label* SetUpLabel(forms::Label* label, const char* caption, COLORREF colour, const FontSpec& font) {
    label->SetCaption(forms::Widen(caption));
    label->SetForeColor(colour);
    label->SetFont(font);
    label->SetTransparent(true);
    return label;
}

// Every Command button on a container and on the picture boxes in it.
void CollectCommands(forms::Container& container, std::vector<Command*>& out) {
    for (forms::Control* control : container.Controls()) {
        if (auto* button = dynamic_cast<Command*>(control)) out.push_back(button);
        if (auto* box = dynamic_cast<forms::PictureBox*>(control)) CollectCommands(*box, out);
    }
}

// The sheet Pic_C, and so the window: 450 x 319 pixels at 96 dpi.
constexpr int kSheetWidthTwips = 6750, kSheetHeightTwips = 4785;
// The music sources in index order (none, CD, file): the row of the mark
// and the label beside it, in twips.
struct Source {
    int top, labelLeft, labelWidth;
    const char* caption;
};
constexpr Source kSources[] = {{2100, 780, 330, "なし"}, {1860, 840, 645, "音楽CD"}, {2340, 780, 900, "MP3、WAV"}};
// The picture stores lie beyond the sheet's right edge.
constexpr int kStoresLeftTwips = 10680, kStoresStepTwips = 240;
// How far the second frame of each pair lies up and left of the first: 2
// pixels of the 96-dpi sheet.
constexpr int kFrameOffsetTwips = 30;
}  // namespace

// A taskbar button and an Alt+Tab entry, although the program's hidden owner
// window owns it: a dialog that one click on the desktop buries can be found.
Nimbel_P::Nimbel_P() : Form(forms::Widen(kSettingsTitle), forms::FormStyle{WS_POPUP, WS_EX_APPWINDOW, kGrey}) {
    SetScaleMode(forms::ScaleMode::Pixels);
    forms::Picture hand = forms::Picture::FromCursorResource(IDC_HAND_POINTER);
    auto handPointer = [&hand](forms::Control& control) {
        control.SetMousePointer(forms::kPointerCustom);
        control.SetMouseIcon(hand.Clone());
    };

    Pic_C.SetPicture(forms::Picture::FromResource(IDB_DIALOG_SHEET));
    Pic_C.SetBackColor(kGrey);
    Pic_C.SetScaleMode(forms::ScaleMode::Pixels);
    Pic_C.SetTabIndex(0);

    // Windowless controls are drawn in the order they are loaded.
    lbl.Load(2, Pic_C);
    for (int i = 0; i < 2; ++i) {
        Shape_1.Load(i, Pic_C);
        Shape_2.Load(i, Pic_C);
    }
    lbl.Load(0, Pic_C);
    for (int i = 0; i < 3; ++i) {
        forms::Image* mark = Img_BGM.Load(i, Pic_C);
        handPointer(*mark);
        mark->onClick = [this, i] { ChooseSource(i); };
        forms::Label* label = lbl_BGM.Load(i, Pic_C);
        handPointer(*label);
        label->onClick = [this, i] { ChooseSource(i); };
    }
    BGM_Repeat.SetTabIndex(12);
    handPointer(BGM_Repeat);
    lbl.Load(1, Pic_C);
    lbl.Load(9, Pic_C);

    Cmd_File.SetTabIndex(14);
    Cmd_File.SetDesignData(forms::ResourceBytes(IDR_DESIGN_CMD_FILE));
    Cmd_File.onClick = [this] { BrowseForFile(); };
    ucAniGIF1.SetDesignData(forms::ResourceBytes(IDR_DESIGN_UCANIGIF1));
    ucAniGIF1.onClick = [this] { OpenHomePage(); };
    Cmd_Set.SetTabIndex(4);
    Cmd_Set.SetDesignData(forms::ResourceBytes(IDR_DESIGN_CMD_SET));
    Cmd_Set.onClick = [this] { SaveSettings(); };
    Cmd_Can.SetTabIndex(5);
    Cmd_Can.SetDesignData(forms::ResourceBytes(IDR_DESIGN_CMD_CAN));
    Cmd_Can.onClick = [this] { Unload(); };
    for (int i = 0; i < 2; ++i) {
        Img_Opt.Load(i, *this);
        Img_Ra.Load(i, *this);
    }
}

void Nimbel_P::ApplyLayout() {
    // Design values in twips; the form and the sheet count in pixels of this
    // screen, so everything lands at the same place on the sheet at any DPI.
    const FontSpec font = DialogFont();
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF windowText = forms::ColourRef(Colour{0x80000008});

    Pic_C.MoveTwips(0, 0, kSheetWidthTwips, kSheetHeightTwips);
    Image1.MoveTwips(300, 360, 480, 480);
    // The icon drawn for this screen's size, where the system has one.
    Image1.SetPicture(forms::Picture::FromIconResource(IDI_PROGRAM, 32, Pic_C.FromTwipsX(480)));
    SetUpLabel(lbl(2), "Velmora (ScreenSaver)", windowText, forms::DefaultFont())->MoveTwips(900, 480, 2490, 180);

    for (int i = 0; i < 2; ++i) {
        Shape_1(i)->MoveTwips(300, 1140, 5895, 2295);
        Shape_1(i)->SetBorderColor(i == 0 ? kGrey : windowText);
        Shape_2(i)->MoveTwips(480, 1320, 1875, 315);
        Shape_2(i)->SetBorderColor(i == 0 ? kGrey : windowText);
    }
    SetUpLabel(lbl(0), "BGM", black, font)->SetAlignment(forms::Alignment::Center);
    lbl(0)->MoveTwips(480, 1380, 1845, 195);

    for (int i = 0; i < 3; ++i) {
        const Source& source = kSources[i];
        Img_BGM(i)->MoveTwips(540, source.top, 195, 195);
        SetUpLabel(lbl_BGM(i), source.caption, black, font)
            ->MoveTwips(source.labelLeft, source.top, source.labelWidth, 195);
    }
    BGM_Repeat.MoveTwips(1620, 1800, 615, 300);
    BGM_Repeat.SetFont(font);
    SetUpLabel(lbl(1), "曲目をリピート", black, font)->MoveTwips(2280, 1860, 1155, 195);

    Cmd_File.MoveTwips(720, 2580, 375, 315);
    SetUpLabel(&lbl_Fname, "", black, font)->MoveTwips(1140, 2640, 4875, 555);
    ucAniGIF1.MoveTwips(300, 3540, 1800, 750);
    SetUpLabel(lbl(9), "Design: Velmora  ver." VELMORA_VERSION_TEXT, forms::ColourRef(Colour{0x80000012}), font)
        ->MoveTwips(2220, 3540, 2445, 195);
    Cmd_Set.MoveTwips(3720, 3900, 1215, 375);
    Cmd_Can.MoveTwips(4980, 3900, 1215, 375);

    const int stores[] = {IDB_RADIO_ROUND_OFF, IDB_RADIO_ROUND_ON, IDB_RADIO_SQUARE_OFF, IDB_RADIO_SQUARE_ON};
    for (int i = 0; i < 2; ++i) {
        const int left = kStoresLeftTwips + kStoresStepTwips * i;
        Img_Opt(i)->MoveTwips(left, 0, 195, 195);
        Img_Opt(i)->SetPicture(forms::Picture::FromResource(stores[i]));
        Img_Ra(i)->MoveTwips(left, kStoresStepTwips, 180, 180);
        Img_Ra(i)->SetPicture(forms::Picture::FromResource(stores[2 + i]));
    }
}

void Nimbel_P::InitButtons(bool initialise, bool enable) {
    std::vector<Command*> buttons;
    CollectCommands(*this, buttons);
    for (Command* button : buttons) {
        if (initialise)
            button->Initialize();
        else
            button->SetEnabled(enable);
    }
}

void Nimbel_P::SetMarks(int onPictureStore, int index, bool round) {
    ControlArray<forms::Image>& stores = round ? Img_Opt : Img_Ra;
    for (auto& [i, mark] : Img_BGM) mark.SetPicture(stores(0)->GetPicture().Clone());
    // A stored kind without a mark of its own (5, -1) marks nothing.
    if (forms::Image* chosen = Img_BGM(index)) chosen->SetPicture(stores(onPictureStore)->GetPicture().Clone());
}

void Nimbel_P::OnLoad() {
    // The window is exactly the sheet (its twips, not its rounded pixels),
    // centred, a third of the free height above.
    const float tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    SetWidth(kSheetWidthTwips);
    SetHeight(kSheetHeightTwips);
    const DialogOrigin at = PlaceDialog(GetSystemMetrics(SM_CXSCREEN) * static_cast<double>(tx),
                                        GetSystemMetrics(SM_CYSCREEN) * static_cast<double>(ty), Width(), Height());
    Move(at.left, at.top, Width(), Height());
    InitButtons(true, true);
    Pic_C.Refresh();
    const int dx = Pic_C.FromTwipsX(kFrameOffsetTwips), dy = Pic_C.FromTwipsY(kFrameOffsetTwips);
    Shape_1(1)->Move(Shape_1(0)->Left() - dx, Shape_1(0)->Top() - dy, Shape_1(0)->Width(), Shape_1(0)->Height());
    Shape_2(1)->Move(Shape_2(0)->Left() - dx, Shape_2(0)->Top() - dy, Shape_2(0)->Width(), Shape_2(0)->Height());
    BGM_Repeat.SetEnabled(false);
    SetMarks(1, SourceMarkOf(settings_.BgmKind), true);
    if (settings_.BgmKind == MusicKind::Cd) BGM_Repeat.SetEnabled(true);
    Cmd_File.SetEnabled(settings_.BgmKind == MusicKind::File);
    BGM_Repeat.SetText(forms::Widen(FormatHash(settings_.BgmRepeat).c_str()));
    for (std::int16_t value = 0; value <= 30; ++value) BGM_Repeat.AddItem(forms::Widen(FormatHash(value).c_str()));
    lbl_Fname.SetCaption(forms::LongNameOf(settings_.BgmFile));
    POINT mouse = {};
    const bool known = GetCursorPos(&mouse) != FALSE;
    ZoomOriginX = known ? static_cast<std::int16_t>(mouse.x) : 0;
    ZoomOriginY = known ? static_cast<std::int16_t>(mouse.y) : 0;
    ZoomOpen(Hwnd());
    forms::SetMousePointer(forms::MousePointer::Default);
}

void Nimbel_P::OnUnload() { ZoomClose(Hwnd()); }

void Nimbel_P::ChooseSource(int index) {
    settings_.BgmKind = SourceOfMark(index);
    Cmd_File.SetEnabled(false);
    BGM_Repeat.SetEnabled(false);
    SetMarks(1, index, false);
    if (index == 1) BGM_Repeat.SetEnabled(true);
    if (index == 2) Cmd_File.SetEnabled(true);
}

void Nimbel_P::BrowseForFile() {
    std::vector<wchar_t> file(kFileBufferChars + 1, L'\0'), title(kFileBufferChars + 1, L'\0');
    const std::wstring folder = ToUtf16(settings_.BgmFolder, kUtf8CodePage);
    OPENFILENAMEW request = {};
    // The size Windows accepts from every version: the structure without the
    // Windows 2000 additions (76 bytes in the 32-bit program).
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = Hwnd();
    request.hInstance = GetModuleHandleW(nullptr);
    request.lpstrFilter = kBrowseFilter;
    request.lpstrFile = file.data();
    request.nMaxFile = kFileBufferChars;
    request.lpstrFileTitle = title.data();
    request.nMaxFileTitle = kFileBufferChars;
    request.lpstrInitialDir = folder.c_str();
    request.lpstrTitle = kBrowseTitle;
    request.Flags = 0;
    if (!GetOpenFileNameW(&request)) return;  // cancelled or failed: nothing changes
    const std::wstring chosen(file.data());
    // The settings file and the multimedia calls take the path in the ANSI
    // code page; a name it cannot spell would be stored with '?' and never play.
    const std::optional<std::string> stored = forms::AnsiPathOf(chosen, kReadIniBufferSize - 1);
    if (!stored) {
        forms::MessageBoxWarning(Hwnd(), chosen + L"\n\n" + kCannotStoreName);
        return;  // the previous choice stays
    }
    settings_.BgmFile = *stored;
    lbl_Fname.SetCaption(chosen);
    settings_.BgmFolder = FolderOf(FromUtf16(chosen, kUtf8CodePage), Utf8());
}

void Nimbel_P::SaveSettings() {
    settings_.BgmRepeat = RepeatFromText(FromUtf16(BGM_Repeat.Text(), kAnsiCodePage), settings_.BgmRepeat);
    // Stored before the closing zoom, all three values whatever the source.
    // A save that failed must not look like one that worked: the user would
    // believe the music set. The dialog says why and stays open.
    const SaveReport report = store_ ? store_(settings_) : SaveReport{};
    if (report.outcome != SaveOutcome::Saved) {
        forms::MessageBoxWarning(Hwnd(), SaveFailureText(report));
        return;
    }
    Unload();
}

void Nimbel_P::OpenHomePage() {
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    ShellExecuteA(Hwnd(), "open", kHomePage, "", "", SW_SHOWNORMAL);
    forms::SetMousePointer(forms::MousePointer::Default);
}

void Nimbel_P::Edit(StoredSettings settings, StoreAction store) {
    settings_ = std::move(settings);
    store_ = std::move(store);
}

void ShowSettingsDialog(const StoredSettings& settings, Nimbel_P::StoreAction store) {
    static Nimbel_P dialog;
    dialog.Edit(settings, std::move(store));
    dialog.Show(true);
}

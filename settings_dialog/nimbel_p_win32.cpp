#include "nimbel_p_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app_win32.h"
#include "dialog_resources.h"
#include "dialog_rules.h"
#include "mouse_pointer_win32.h"
#include "settings.h"
#include "twips.h"
#include "velmora_version.h"
#include "zoom_win32.h"

namespace {
// The author's home page, opened by a click on the banner.
constexpr char kHomePage[] = "https://velmora.example/";

// Texts the system takes in its ANSI form: code page 932 bytes.
constexpr char kBrowseFilter[] = "BGM\xCC\xA7\xB2\xD9 (MP3 WAV)\0*.MP3;*.WAV\0";  // "BGMﾌｧｲﾙ (MP3 WAV)"
constexpr char kBrowseTitle[] = "\xCC\xA7\xB2\xD9\x82\xF0\x8A\x4A\x82\xAD";          // "ﾌｧｲﾙを開く"
constexpr DWORD kFileBufferChars = 255;

const COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);

// "ＭＳ Ｐゴシック", 9.75 point, Shift-JIS: the dialog's labels and buttons.
FontSpec DialogFont() {
    FontSpec font = forms::DefaultFont();
    font.sizeCentipoints = 975;
    return font;
}

// A path as the ANSI functions gave it, for the wide label.
std::wstring FromAnsi(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string ToAnsi(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string ansi(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

// Places a windowless label of the dialog.
forms::Label* PlaceLabel(forms::Label* label, int x, int y, int w, int h, const char* caption, COLORREF colour,
                         const FontSpec& font) {
    label->Move(x, y, w, h);
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
}  // namespace

Nimbel_P::Nimbel_P() : Form(L"<Velmora>", forms::FormStyle{WS_POPUP, 0, kGrey}) {
    SetScaleMode(forms::ScaleMode::Pixels);
    const FontSpec font = DialogFont();
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF windowText = forms::ColourRef(Colour{0x80000008});
    forms::Picture hand = forms::Picture::FromCursorResource(IDC_HAND_POINTER);
    auto handPointer = [&hand](forms::Control& control) {
        control.SetMousePointer(forms::kPointerCustom);
        control.SetMouseIcon(hand.Clone());
    };

    Pic_C.Move(0, 0, 450, 319);
    Pic_C.SetPicture(forms::Picture::FromResource(IDB_DIALOG_SHEET));
    Pic_C.SetBackColor(kGrey);
    Pic_C.SetScaleMode(forms::ScaleMode::Pixels);
    Pic_C.SetTabIndex(0);

    Image1.Move(20, 24, 32, 32);
    Image1.SetPicture(forms::Picture::FromIconResource(IDI_PROGRAM, 32));
    PlaceLabel(lbl.Load(2, Pic_C), 60, 32, 166, 12, "Velmora (ScreenSaver)", windowText, forms::DefaultFont());

    for (int i = 0; i < 2; ++i) {
        forms::Shape* frame = Shape_1.Load(i, Pic_C);
        frame->Move(20, 76, 393, 153);
        frame->SetBorderColor(i == 0 ? kGrey : windowText);
        forms::Shape* heading = Shape_2.Load(i, Pic_C);
        heading->Move(32, 88, 125, 21);
        heading->SetBorderColor(i == 0 ? kGrey : windowText);
    }
    PlaceLabel(lbl.Load(0, Pic_C), 32, 92, 123, 13, "BGM", black, font)->SetAlignment(forms::Alignment::Center);

    struct Source {
        int markY, labelX, labelWidth;
        const char* caption;
    };
    const Source sources[] = {{140, 52, 22, "なし"}, {124, 56, 43, "音楽CD"}, {156, 52, 60, "MP3、WAV"}};
    for (int i = 0; i < 3; ++i) {
        forms::Image* mark = Img_BGM.Load(i, Pic_C);
        mark->Move(36, sources[i].markY, 13, 13);
        handPointer(*mark);
        mark->onClick = [this, i] { ChooseSource(i); };
        forms::Label* label =
            PlaceLabel(lbl_BGM.Load(i, Pic_C), sources[i].labelX, sources[i].markY, sources[i].labelWidth, 13,
                       sources[i].caption, black, font);
        handPointer(*label);
        label->onClick = [this, i] { ChooseSource(i); };
    }
    BGM_Repeat.Move(108, 120, 41, 20);
    BGM_Repeat.SetFont(font);
    BGM_Repeat.SetTabIndex(12);
    handPointer(BGM_Repeat);
    PlaceLabel(lbl.Load(1, Pic_C), 152, 124, 77, 13, "曲目をリピート", black, font);

    Cmd_File.Move(48, 172, 25, 21);
    Cmd_File.SetTabIndex(14);
    Cmd_File.SetDesignData(forms::ResourceBytes(IDR_DESIGN_CMD_FILE));
    Cmd_File.onClick = [this] { BrowseForFile(); };
    PlaceLabel(&lbl_Fname, 76, 176, 325, 37, "", black, font);

    ucAniGIF1.Move(20, 236, 120, 50);
    ucAniGIF1.SetDesignData(forms::ResourceBytes(IDR_DESIGN_UCANIGIF1));
    ucAniGIF1.onClick = [this] { OpenHomePage(); };
    PlaceLabel(lbl.Load(9, Pic_C), 148, 236, 163, 13, "Design: Velmora  ver." VELMORA_VERSION_TEXT,
               forms::ColourRef(Colour{0x80000012}), font);

    Cmd_Set.Move(248, 260, 81, 25);
    Cmd_Set.SetTabIndex(4);
    Cmd_Set.SetDesignData(forms::ResourceBytes(IDR_DESIGN_CMD_SET));
    Cmd_Set.onClick = [this] { SaveSettings(); };
    Cmd_Can.Move(332, 260, 81, 25);
    Cmd_Can.SetTabIndex(5);
    Cmd_Can.SetDesignData(forms::ResourceBytes(IDR_DESIGN_CMD_CAN));
    Cmd_Can.onClick = [this] { Unload(); };

    // The picture stores lie beyond the sheet's right edge (10680 twips on).
    const int stores[] = {IDB_RADIO_ROUND_OFF, IDB_RADIO_ROUND_ON, IDB_RADIO_SQUARE_OFF, IDB_RADIO_SQUARE_ON};
    for (int i = 0; i < 2; ++i) {
        Img_Opt.Load(i, *this)->Move(712 + 16 * i, 0, 13, 13);
        Img_Opt(i)->SetPicture(forms::Picture::FromResource(stores[i]));
        Img_Ra.Load(i, *this)->Move(712 + 16 * i, 16, 12, 12);
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
    // The window is exactly the sheet, centred, a third of the free height above.
    const float tx = forms::TwipsPerPixelX(), ty = forms::TwipsPerPixelY();
    SetWidth(static_cast<int>(Pic_C.Width() * tx));
    SetHeight(static_cast<int>(Pic_C.Height() * ty));
    const DialogOrigin at = PlaceDialog(GetSystemMetrics(SM_CXSCREEN) * static_cast<double>(tx),
                                        GetSystemMetrics(SM_CYSCREEN) * static_cast<double>(ty), Width(), Height());
    Move(at.left, at.top, Width(), Height());
    InitButtons(true, true);
    Pic_C.Refresh();
    Shape_1(1)->Move(Shape_1(0)->Left() - 2, Shape_1(0)->Top() - 2, Shape_1(0)->Width(), Shape_1(0)->Height());
    Shape_2(1)->Move(Shape_2(0)->Left() - 2, Shape_2(0)->Top() - 2, Shape_2(0)->Width(), Shape_2(0)->Height());
    BGM_Repeat.SetEnabled(false);
    SetMarks(1, HasSourceMark(BgmKind) ? BgmKind : -1, true);
    if (BgmKind == 1) BGM_Repeat.SetEnabled(true);
    Cmd_File.SetEnabled(BgmKind == 2);
    BGM_Repeat.SetText(forms::Widen(FormatHash(BgmRepeat).c_str()));
    for (std::int16_t value = 0; value <= 30; ++value) BGM_Repeat.AddItem(forms::Widen(FormatHash(value).c_str()));
    lbl_Fname.SetCaption(FromAnsi(BgmFile));
    POINT mouse = {};
    const bool known = GetCursorPos(&mouse) != FALSE;
    ZoomOriginX = known ? static_cast<std::int16_t>(mouse.x) : 0;
    ZoomOriginY = known ? static_cast<std::int16_t>(mouse.y) : 0;
    ZoomOpen(Hwnd());
    forms::SetMousePointer(forms::MousePointer::Default);
}

void Nimbel_P::OnUnload() { ZoomClose(Hwnd()); }

void Nimbel_P::ChooseSource(int index) {
    BgmKind = static_cast<std::int16_t>(index);
    Cmd_File.SetEnabled(false);
    BGM_Repeat.SetEnabled(false);
    SetMarks(1, index, false);
    if (index == 1) BGM_Repeat.SetEnabled(true);
    if (index == 2) Cmd_File.SetEnabled(true);
}

void Nimbel_P::BrowseForFile() {
    std::vector<char> file(kFileBufferChars + 1, '\0'), title(kFileBufferChars + 1, '\0');
    OPENFILENAMEA request = {};
    // The size Windows accepts from every version: the structure without the
    // Windows 2000 additions (76 bytes in the 32-bit program).
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = Hwnd();
    request.hInstance = GetModuleHandleW(nullptr);
    request.lpstrFilter = kBrowseFilter;
    request.lpstrFile = file.data();
    request.nMaxFile = kFileBufferChars;
    request.lpstrFileTitle = title.data();
    request.nMaxFileTitle = kFileBufferChars;
    request.lpstrInitialDir = BgmFolder.c_str();
    request.lpstrTitle = kBrowseTitle;
    request.Flags = 0;
    if (!GetOpenFileNameA(&request)) return;  // cancelled or failed: nothing changes
    const std::string path(file.data());
    BgmFile = path;
    lbl_Fname.SetCaption(FromAnsi(path));
    BgmFolder = FolderOf(path);
}

void Nimbel_P::SaveSettings() {
    BgmRepeat = RepeatFromText(ToAnsi(BGM_Repeat.Text()), BgmRepeat);
    // BGM区分, BGMﾘﾋﾟｰﾄ and BGMﾌｧｲﾙ, in this order, whatever the source.
    ::SaveSettings(SystemFileAccess(), forms::ProgramFolder());
    Unload();
}

void Nimbel_P::OpenHomePage() {
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    ShellExecuteA(Hwnd(), "open", kHomePage, "", "", SW_SHOWNORMAL);
    forms::SetMousePointer(forms::MousePointer::Default);
}

void ShowSettingsDialog() {
    static Nimbel_P dialog;
    dialog.Show(true);
}

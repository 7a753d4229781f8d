#include "font_win32.h"

#include <map>
#include <utility>

#include "app_win32.h"
#include "twips.h"

namespace forms {

namespace {
// Japanese faces in order of preference: the Windows ones first, then those
// that Linux systems (and so Wine) commonly have.
const wchar_t* const kJapaneseFaces[] = {
    L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic", L"Meiryo UI",        L"Yu Gothic UI",
    L"IPAPGothic",      L"IPAGothic",  L"VL PGothic",   L"Noto Sans CJK JP", L"TakaoPGothic",
};

int CALLBACK NoteFound(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<std::wstring*>(found) = font->lfFaceName;
    return 0;  // the first one is enough
}

// An installed face with that name and character set; with an empty name,
// any face that has the character set. Empty when there is none.
std::wstring FindFace(const std::wstring& face, BYTE charset) {
    static std::map<std::pair<std::wstring, BYTE>, std::wstring> known;
    const auto key = std::make_pair(face, charset);
    if (const auto it = known.find(key); it != known.end()) return it->second;
    LOGFONTW query = {};
    query.lfCharSet = charset;
    lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
    std::wstring found;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return known[key] = found;
}
}  // namespace

FontSpec DefaultFont() {
    FontSpec font;
    font.name =
        "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x81\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";  // ＭＳ Ｐゴシック
    font.sizeCentipoints = 900;
    font.charset = SHIFTJIS_CHARSET;
    return font;
}

std::wstring ResolveFaceName(const FontSpec& font) {
    const std::wstring face = Widen(font.name.c_str());
    if (font.charset != SHIFTJIS_CHARSET) return face;  // the system maps other sets well enough
    if (!face.empty() && !FindFace(face, SHIFTJIS_CHARSET).empty()) return face;
    for (const wchar_t* candidate : kJapaneseFaces)
        if (!FindFace(candidate, SHIFTJIS_CHARSET).empty()) return candidate;
    const std::wstring any = FindFace(L"", SHIFTJIS_CHARSET);
    return any.empty() ? face : any;
}

OwnedFont CreateFontFor(const FontSpec& font, float twipsPerPixelY) {
    const int dpi =
        twipsPerPixelY > 0 ? RoundToInt32(kTwipsPerInch / static_cast<double>(twipsPerPixelY)).value_or(0) : 0;
    // Fractional points: 9.75 point is 13 pixels at 96 dots per inch, 20
    // (19.5) at 144.
    const int height =
        -MulDiv(font.sizeCentipoints > 0 ? font.sizeCentipoints : 900, dpi > 0 ? dpi : kDefaultDpi, 7200);
    const std::wstring face = ResolveFaceName(font);
    return OwnedFont(CreateFontW(height, 0, 0, 0, font.weight, font.italic, font.underline, font.strikethrough,
                                 font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

}  // namespace forms

// Fonts as the design data describe them (face, fractional point size, weight,
// style, character set), made for the screen a form found at its load: a
// point size keeps its length in inches, so text grows with the DPI. A face the system lacks is
// replaced: for Japanese text by an installed Japanese font, so captions
// never fall back to a face without the glyphs.
#pragma once
#include <windows.h>

#include <string>

#include "gdi_win32.h"
#include "property_store.h"

namespace forms {

// The forms' default: "ＭＳ Ｐゴシック", 9 point, Shift-JIS.
FontSpec DefaultFont();

// The face a font made from these values will use (their own when installed).
std::wstring ResolveFaceName(const FontSpec& font);

// The font at twipsPerPixelY (the form's: 15 at 96 dpi). Null only when GDI
// cannot make any font.
OwnedFont CreateFontFor(const FontSpec& font, float twipsPerPixelY);

}  // namespace forms

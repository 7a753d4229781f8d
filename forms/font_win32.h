// Fonts as the design data describe them (face, fractional point size, weight,
// style, character set), made at the screen's DPI. A face the system lacks is
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

// The face that a font made for spec will use (spec's own when installed).
std::wstring ResolveFaceName(const FontSpec& spec);

// Null only when GDI cannot make any font.
OwnedFont CreateFontFor(const FontSpec& spec);

}  // namespace forms

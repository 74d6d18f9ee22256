#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "font/font_store.h"

namespace kestrova {

// Exactly `width` characters: the text filled up with `fill`, or its first `width` characters.
std::string PadRight(std::string_view text, std::size_t width, char fill);

// The row drawn bit 7 first: "@" for a set bit, "." for a clear one.
std::string PixelPicture(std::uint8_t byte);

// The range of rows every block exports. Without GLCD mode all rows of the font; with it, read
// while the 8-row table is turned, the leftmost and rightmost pixel columns used anywhere in
// the font (8 and 1 when there is no pixel at all, so that the range is empty).
int FirstExportRow(const FontStore& font, bool glcdMode);
int LastExportRow(const FontStore& font, bool glcdMode);

// The part of fileName before its first "." ("font" when that part is empty), then ".inc".
std::string IncludeFileName(std::string_view fileName);

// Makes `text` the whole assembler include file, reusing its storage. GLCD mode, which only an
// 8-row font has, turns the glyphs with RotAllRight for the export and back with RotAllLeft, so
// the store ends as it started, modified flag included.
void BuildIncludeText(FontStore& font, bool glcdMode, std::string& text);
std::string BuildIncludeText(FontStore& font, bool glcdMode);

}  // namespace kestrova

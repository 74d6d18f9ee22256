#pragma once

#include <cstdint>
#include <string_view>

namespace kestrova {

// How a stored byte looks on a terminal: the IBM PC's code page 437, with the PC's graphic
// glyphs for the control bytes and a blank for byte 0.
char32_t GlyphCodePoint(std::uint8_t byte);

// The glyph of a byte as UTF-8 (one to three bytes).
std::string_view GlyphUtf8(std::uint8_t byte);

// The closest plain ASCII character, for terminals that do not speak UTF-8.
char GlyphAscii(std::uint8_t byte);

// The code page byte of a typed character, or -1 when the code page has none. Only the
// printable characters count: a typed control glyph is not a control byte.
int CodePageByteOf(char32_t codePoint);

}  // namespace kestrova

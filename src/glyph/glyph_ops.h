#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "font/font_store.h"

namespace kestrova {

// One blank glyph buffer per font height; the operations use the one of the font's height.
struct GlyphClipboard {
  std::array<std::uint8_t, 8> glyph8{};
  std::array<std::uint8_t, 14> glyph14{};
  std::array<std::uint8_t, 16> glyph16{};
};

// The mask of column 1 (leftmost, 0x80) to column 8 (0x01).
constexpr std::uint8_t ColumnMask(int column) {
  return static_cast<std::uint8_t>(0x80u >> (column - 1));
}

// Whether pixel (row, column) of the glyph of `code` in the current table is on.
bool PixelIsOn(const FontStore& font, std::uint8_t code, int row, int column);

// Pixel operations on the current table. Each sets `modified`, even when no bit changes.
bool TogglePixel(FontStore& font, std::uint8_t code, int row, int column);
void SetPixel(FontStore& font, std::uint8_t code, int row, int column);
void ClearPixel(FontStore& font, std::uint8_t code, int row, int column);
void PaintPixel(FontStore& font, std::uint8_t code, int row, int column, bool value);

// Quarter turns of 8-row glyphs. They always work on glyphs8, whatever the font's height,
// and always set `modified`.
void RotLeft(FontStore& font, std::uint8_t code);
void RotRight(FontStore& font, std::uint8_t code);
void RotAllLeft(FontStore& font);
void RotAllRight(FontStore& font);

// Glyph copies on the current table. All but FontToClipboard set `modified`.
void CopyGlyph(FontStore& font, std::uint8_t target, std::uint8_t source);
void FontToClipboard(const FontStore& font, GlyphClipboard& clipboard, std::uint8_t code);
void Paste(FontStore& font, const GlyphClipboard& clipboard, std::uint8_t code);
void SwapWithClipboard(FontStore& font, GlyphClipboard& clipboard, std::uint8_t code);

}  // namespace kestrova

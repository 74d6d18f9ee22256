#include "glyph/glyph_ops.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace kestrova {

namespace {

// Rows 1 and 8 change places, 2 and 7, and so on.
std::uint64_t RowsFlipped(std::uint64_t x) { return __builtin_bswap64(x); }

// An 8-row glyph as one 64-bit matrix: row 1 in the most significant byte, and in each byte
// bit 7 is column 1, so bit 63 - (8 * (row - 1) + (column - 1)) is pixel (row, column).
std::uint64_t Packed(std::span<const std::uint8_t, 8> rows) {
  std::uint64_t matrix;
  std::memcpy(&matrix, rows.data(), sizeof matrix);
  return std::endian::native == std::endian::little ? RowsFlipped(matrix) : matrix;
}

void Unpack(std::uint64_t matrix, std::span<std::uint8_t, 8> rows) {
  if (std::endian::native == std::endian::little) matrix = RowsFlipped(matrix);
  std::memcpy(rows.data(), &matrix, sizeof matrix);
}

// Pixel (r, c) moves to (c, r); three rounds of block swaps instead of 64 single-bit moves.
std::uint64_t Transposed(std::uint64_t x) {
  std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
  x ^= t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
  x ^= t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
  return x ^ t ^ (t << 28);
}

std::uint64_t ColumnsMirrored(std::uint64_t x) {
  x = ((x >> 1) & 0x5555555555555555ull) | ((x & 0x5555555555555555ull) << 1);
  x = ((x >> 2) & 0x3333333333333333ull) | ((x & 0x3333333333333333ull) << 2);
  return ((x >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((x & 0x0F0F0F0F0F0F0F0Full) << 4);
}

// Counter-clockwise: new pixel (r, c) is old pixel (c, 9 - r), the transpose turned upside down.
std::uint64_t TurnedLeft(std::uint64_t glyph) { return RowsFlipped(Transposed(glyph)); }

// Clockwise: new pixel (r, c) is old pixel (9 - c, r), the transpose mirrored left to right.
std::uint64_t TurnedRight(std::uint64_t glyph) { return ColumnsMirrored(Transposed(glyph)); }

std::span<std::uint8_t, 8> EightRowGlyph(FontStore& font, std::uint8_t code) {
  return std::span<std::uint8_t, 8>(font.glyphs8.data() + static_cast<std::size_t>(code) * 8, 8);
}

template <typename Clipboard,
          typename Span = std::conditional_t<
              std::is_const_v<Clipboard>, std::span<const std::uint8_t>, std::span<std::uint8_t>>>
Span ClipboardBuffer(Clipboard& clipboard, int height) {
  switch (height) {
    case 8:
      return clipboard.glyph8;
    case 14:
      return clipboard.glyph14;
    case 16:
      return clipboard.glyph16;
    default:
      return {};
  }
}

}  // namespace

bool PixelIsOn(const FontStore& font, std::uint8_t code, int row, int column) {
  return (GlyphByte(font, code, row) & ColumnMask(column)) != 0;
}

bool TogglePixel(FontStore& font, std::uint8_t code, int row, int column) {
  GlyphByte(font, code, row) ^= ColumnMask(column);
  font.modified = true;
  return PixelIsOn(font, code, row, column);
}

void SetPixel(FontStore& font, std::uint8_t code, int row, int column) {
  GlyphByte(font, code, row) |= ColumnMask(column);
  font.modified = true;
}

void ClearPixel(FontStore& font, std::uint8_t code, int row, int column) {
  GlyphByte(font, code, row) &= static_cast<std::uint8_t>(~ColumnMask(column));
  font.modified = true;
}

void PaintPixel(FontStore& font, std::uint8_t code, int row, int column, bool value) {
  if (value)
    SetPixel(font, code, row, column);
  else
    ClearPixel(font, code, row, column);
}

void RotLeft(FontStore& font, std::uint8_t code) {
  auto glyph = EightRowGlyph(font, code);
  Unpack(TurnedLeft(Packed(glyph)), glyph);
  font.modified = true;
}

void RotRight(FontStore& font, std::uint8_t code) {
  auto glyph = EightRowGlyph(font, code);
  Unpack(TurnedRight(Packed(glyph)), glyph);
  font.modified = true;
}

void RotAllLeft(FontStore& font) {
  for (int code = 0; code < kGlyphCount; ++code) RotLeft(font, static_cast<std::uint8_t>(code));
}

void RotAllRight(FontStore& font) {
  for (int code = 0; code < kGlyphCount; ++code) RotRight(font, static_cast<std::uint8_t>(code));
}

void CopyGlyph(FontStore& font, std::uint8_t target, std::uint8_t source) {
  auto from = CurrentGlyph(font, source);
  std::ranges::copy(from, CurrentGlyph(font, target).begin());
  font.modified = true;
}

void FontToClipboard(const FontStore& font, GlyphClipboard& clipboard, std::uint8_t code) {
  std::ranges::copy(CurrentGlyph(font, code), ClipboardBuffer(clipboard, font.height).begin());
}

void Paste(FontStore& font, const GlyphClipboard& clipboard, std::uint8_t code) {
  std::ranges::copy(ClipboardBuffer(clipboard, font.height), CurrentGlyph(font, code).begin());
  font.modified = true;
}

void SwapWithClipboard(FontStore& font, GlyphClipboard& clipboard, std::uint8_t code) {
  std::array<std::uint8_t, 16> scratch{};
  auto buffer = ClipboardBuffer(clipboard, font.height);
  auto glyph = CurrentGlyph(font, code);
  std::ranges::copy(buffer, scratch.begin());
  std::ranges::copy(glyph, buffer.begin());
  std::ranges::copy(scratch.begin(), scratch.begin() + glyph.size(), glyph.begin());
  font.modified = true;
}

}  // namespace kestrova

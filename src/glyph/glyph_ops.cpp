#include "glyph/glyph_ops.h"

#include <algorithm>
#include <type_traits>

namespace kestrova {

namespace {

using Glyph8 = std::array<std::uint8_t, 8>;

std::span<std::uint8_t, 8> EightRowGlyph(FontStore& font, std::uint8_t code) {
  return std::span<std::uint8_t, 8>(font.glyphs8.data() + static_cast<std::size_t>(code) * 8, 8);
}

bool BitIsSet(std::uint8_t byte, int bit) { return (byte >> bit) & 1u; }

// new pixel (r, c) = old pixel (c, 9 - r): old bit j-1 of row i goes to bit 8-i of row j.
Glyph8 TurnedLeft(std::span<const std::uint8_t, 8> old) {
  Glyph8 result{};
  for (int i = 1; i <= 8; ++i)
    for (int j = 1; j <= 8; ++j)
      if (BitIsSet(old[i - 1], j - 1)) result[j - 1] |= static_cast<std::uint8_t>(1u << (8 - i));
  return result;
}

// new pixel (r, c) = old pixel (9 - c, r): old bit 8-j of row i goes to bit i-1 of row j.
Glyph8 TurnedRight(std::span<const std::uint8_t, 8> old) {
  Glyph8 result{};
  for (int i = 1; i <= 8; ++i)
    for (int j = 1; j <= 8; ++j)
      if (BitIsSet(old[i - 1], 8 - j)) result[j - 1] |= static_cast<std::uint8_t>(1u << (i - 1));
  return result;
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
  std::ranges::copy(TurnedLeft(glyph), glyph.begin());
  font.modified = true;
}

void RotRight(FontStore& font, std::uint8_t code) {
  auto glyph = EightRowGlyph(font, code);
  std::ranges::copy(TurnedRight(glyph), glyph.begin());
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

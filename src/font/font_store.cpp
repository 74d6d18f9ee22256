#include "font/font_store.h"

#include <unistd.h>

namespace kestrova {

FontFile::~FontFile() { CloseFontFile(*this); }

void CloseFontFile(FontFile& file) {
  if (file.IsOpen()) ::close(file.fd);
  file.fd = -1;
}

namespace {

template <typename Store>
auto TableOf(Store& font) -> decltype(CurrentTable(font)) {
  switch (font.height) {
    case 8:
      return font.glyphs8;
    case 14:
      return font.glyphs14;
    case 16:
      return font.glyphs16;
    default:
      return {};
  }
}

}  // namespace

std::span<std::uint8_t> CurrentTable(FontStore& font) { return TableOf(font); }
std::span<const std::uint8_t> CurrentTable(const FontStore& font) { return TableOf(font); }

std::span<std::uint8_t> CurrentGlyph(FontStore& font, std::uint8_t code) {
  return CurrentTable(font).subspan(static_cast<std::size_t>(code) * font.height, font.height);
}

std::span<const std::uint8_t> CurrentGlyph(const FontStore& font, std::uint8_t code) {
  return CurrentTable(font).subspan(static_cast<std::size_t>(code) * font.height, font.height);
}

std::uint8_t& GlyphByte(FontStore& font, std::uint8_t code, int row) {
  return CurrentGlyph(font, code)[row - 1];
}

std::uint8_t GlyphByte(const FontStore& font, std::uint8_t code, int row) {
  return CurrentGlyph(font, code)[row - 1];
}

void ZeroFill(FontStore& font) {
  font.glyphs8.fill(0);
  font.glyphs14.fill(0);
  font.glyphs16.fill(0);
}

}  // namespace kestrova

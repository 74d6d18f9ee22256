#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kestrova {

inline constexpr int kGlyphCount = 256;

// The open font file. Closing is explicit at shutdown; the destructor only makes sure an
// early end never leaks the descriptor.
struct FontFile {
  int fd = -1;

  FontFile() = default;
  FontFile(const FontFile&) = delete;
  FontFile& operator=(const FontFile&) = delete;
  ~FontFile();

  bool IsOpen() const { return fd >= 0; }
};

// Closes the font file if it is open; a failing close is not reported.
void CloseFontFile(FontFile& file);

// The one in-memory copy of the font. All three tables always exist; only the one matching
// `height` is loaded, shown and saved, except that the 8-row rotations always work on glyphs8.
struct FontStore {
  std::uint8_t height = 0;
  std::array<std::uint8_t, 256 * 8> glyphs8{};
  std::array<std::uint8_t, 256 * 14> glyphs14{};
  std::array<std::uint8_t, 256 * 16> glyphs16{};
  bool modified = false;
  std::string fileName;
  FontFile fontFile;
};

// 256 × height: 2048, 3584 or 4096 bytes for the supported heights.
constexpr std::size_t TableSize(int height) {
  return static_cast<std::size_t>(kGlyphCount) * height;
}

// The table of the current height; empty while no height has been chosen.
std::span<std::uint8_t> CurrentTable(FontStore& font);
std::span<const std::uint8_t> CurrentTable(const FontStore& font);

// The byte of (code, row) in the current table; rows count from 1 at the top.
std::uint8_t& GlyphByte(FontStore& font, std::uint8_t code, int row);
std::uint8_t GlyphByte(const FontStore& font, std::uint8_t code, int row);

// The rows of one glyph of the current table.
std::span<std::uint8_t> CurrentGlyph(FontStore& font, std::uint8_t code);
std::span<const std::uint8_t> CurrentGlyph(const FontStore& font, std::uint8_t code);

// Sets every byte of all three tables to 0.
void ZeroFill(FontStore& font);

}  // namespace kestrova

#include "export/include_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "glyph/glyph_ops.h"

namespace kestrova {

namespace {

constexpr std::size_t kFieldWidth = 20;
constexpr std::string_view kTitle =
    "; Font created with Kestrova v" KESTROVA_VERSION " by Kestrova contributors\n";

// "fcb" and 7 spaces, the value in its field, "; ", the picture and the line end.
constexpr std::size_t kRowTailWidth = 10 + kFieldWidth + 2 + 8 + 1;
constexpr std::size_t kRowLineWidth = kFieldWidth + kRowTailWidth;

using Label = std::array<char, kFieldWidth>;
using RowTail = std::array<char, kRowTailWidth>;
using RowLine = std::array<char, kRowLineWidth>;

// Every line of the file is put together from these, made once, so that a save costs little
// more than the write of its bytes.
struct ExportPieces {
  std::string header;
  std::string trailer;
  std::array<std::string, kGlyphCount> commentLines;  // with the empty line after it
  std::size_t commentBytes = 0;
  std::array<Label, kGlyphCount> labels;
  std::array<RowTail, kGlyphCount> rowTails;         // indexed by the row's byte
  std::array<RowLine, kGlyphCount> unlabelledLines;  // indexed by the row's byte
};

std::string CommentLine(int code) {
  std::string line = "          ; ASCII code " + std::to_string(code);
  if (code >= 32) {
    line += " [";
    line += static_cast<char>(code);
    line += ']';
  }
  return line + "\n\n";
}

template <std::size_t N>
std::array<char, N> Fixed(const std::string& text) {
  std::array<char, N> fixed{};
  std::copy_n(text.begin(), N, fixed.begin());
  return fixed;
}

ExportPieces MakePieces() {
  ExportPieces pieces;
  std::string rule = PadRight(";", 80, '-') + '\n';
  pieces.header = rule + std::string(kTitle) + rule + '\n';
  pieces.trailer = PadRight("FONT_WIDTH", kFieldWidth, ' ') + "equ       *-ASCII_0/256\n" +
                   std::string(kFieldWidth, ' ') + "#Message  FONT_WIDTH = {FONT_WIDTH}\n";
  for (int code = 0; code < kGlyphCount; ++code) {
    auto index = static_cast<std::size_t>(code);
    pieces.commentLines[index] = CommentLine(code);
    pieces.commentBytes += pieces.commentLines[index].size();
    pieces.labels[index] =
        Fixed<kFieldWidth>(PadRight("ASCII_" + std::to_string(code), kFieldWidth, ' '));
    std::string rowTail = "fcb       " + PadRight(std::to_string(code), kFieldWidth, ' ') + "; " +
                          PixelPicture(static_cast<std::uint8_t>(code)) + '\n';
    pieces.rowTails[index] = Fixed<kRowTailWidth>(rowTail);
    pieces.unlabelledLines[index] = Fixed<kRowLineWidth>(std::string(kFieldWidth, ' ') + rowTail);
  }
  return pieces;
}

const ExportPieces& Pieces() {
  static const ExportPieces pieces = MakePieces();
  return pieces;
}

// A piece whose size is known at compile time copies in a few moves.
template <std::size_t N>
char* Put(char* out, const std::array<char, N>& piece) {
  std::memcpy(out, piece.data(), N);
  return out + N;
}

char* Put(char* out, std::string_view piece) {
  std::memcpy(out, piece.data(), piece.size());
  return out + piece.size();
}

bool ColumnIsUsed(const FontStore& font, int column) {
  for (int code = 0; code < kGlyphCount; ++code)
    if (font.glyphs8[static_cast<std::size_t>(code) * 8 + static_cast<std::size_t>(column - 1)] !=
        0)
      return true;
  return false;
}

std::size_t IncludeTextSize(const ExportPieces& pieces, int rowsPerBlock) {
  std::size_t rowLines = kGlyphCount * static_cast<std::size_t>(rowsPerBlock);
  return pieces.header.size() + pieces.commentBytes + kGlyphCount + rowLines * kRowLineWidth +
         pieces.trailer.size();
}

// The block of one code: its comment line and the empty line after it, the rows from
// firstRow to lastRow of `glyph`, and the closing empty line.
char* PutBlock(char* out, const ExportPieces& pieces, std::span<const std::uint8_t> glyph,
               std::size_t code, int firstRow, int lastRow) {
  out = Put(out, pieces.commentLines[code]);
  for (int row = firstRow; row <= lastRow; ++row) {
    std::uint8_t byte = glyph[static_cast<std::size_t>(row - 1)];
    if (row == firstRow) {
      out = Put(out, pieces.labels[code]);
      out = Put(out, pieces.rowTails[byte]);
    } else {
      out = Put(out, pieces.unlabelledLines[byte]);
    }
  }
  *out++ = '\n';
  return out;
}

}  // namespace

std::string PadRight(std::string_view text, std::size_t width, char fill) {
  std::string padded(text.substr(0, width));
  padded.resize(width, fill);
  return padded;
}

std::string PixelPicture(std::uint8_t byte) {
  std::string picture;
  for (int bit = 7; bit >= 0; --bit) picture += ((byte >> bit) & 1) != 0 ? '@' : '.';
  return picture;
}

int FirstExportRow(const FontStore& font, bool glcdMode) {
  if (!glcdMode) return 1;
  for (int column = 1; column <= 8; ++column)
    if (ColumnIsUsed(font, column)) return column;
  return 8;
}

int LastExportRow(const FontStore& font, bool glcdMode) {
  if (!glcdMode) return font.height;
  for (int column = 8; column >= 1; --column)
    if (ColumnIsUsed(font, column)) return column;
  return 1;
}

std::string IncludeFileName(std::string_view fileName) {
  std::string_view stem = fileName.substr(0, fileName.find('.'));
  return std::string(stem.empty() ? "font" : stem) + ".inc";
}

void BuildIncludeText(FontStore& font, bool glcdMode, std::string& text) {
  bool turned = glcdMode && font.height == 8;
  bool wasModified = font.modified;
  if (turned) RotAllRight(font);
  int firstRow = FirstExportRow(font, turned);
  int lastRow = LastExportRow(font, turned);

  const ExportPieces& pieces = Pieces();
  text.resize(IncludeTextSize(pieces, std::max(lastRow - firstRow + 1, 0)));
  char* out = Put(text.data(), pieces.header);
  for (int code = 0; code < kGlyphCount; ++code)
    out = PutBlock(out, pieces, CurrentGlyph(font, static_cast<std::uint8_t>(code)),
                   static_cast<std::size_t>(code), firstRow, lastRow);
  Put(out, pieces.trailer);

  if (turned) RotAllLeft(font);
  font.modified = wasModified;
}

std::string BuildIncludeText(FontStore& font, bool glcdMode) {
  std::string text;
  BuildIncludeText(font, glcdMode, text);
  return text;
}

}  // namespace kestrova

#include "export/include_text.h"

#include <array>

#include "glyph/glyph_ops.h"

namespace kestrova {

namespace {

constexpr std::size_t kFieldWidth = 20;
constexpr std::string_view kTitle =
    "; Font created with Kestrova v" KESTROVA_VERSION " by Kestrova contributors\n";
constexpr std::string_view kCommentStart = "          ; ASCII code ";
constexpr std::string_view kBlankLabel = "                    ";
constexpr std::string_view kOpcode = "fcb       ";

// Every line of the file is put together from these, made once, so that a save costs little
// more than the write of its bytes.
struct ExportPieces {
  std::array<std::string, kGlyphCount> commentLines;  // with the empty line after it
  std::array<std::string, kGlyphCount> labels;
  std::array<std::string, kGlyphCount> rowTails;  // opcode, value, picture, line end
};

std::string CommentLine(int code) {
  std::string line(kCommentStart);
  line += std::to_string(code);
  if (code >= 32) {
    line += " [";
    line += static_cast<char>(code);
    line += ']';
  }
  return line + "\n\n";
}

ExportPieces MakePieces() {
  ExportPieces pieces;
  for (int code = 0; code < kGlyphCount; ++code) {
    auto index = static_cast<std::size_t>(code);
    pieces.commentLines[index] = CommentLine(code);
    pieces.labels[index] = PadRight("ASCII_" + std::to_string(code), kFieldWidth, ' ');
    pieces.rowTails[index] = std::string(kOpcode) +
                             PadRight(std::to_string(code), kFieldWidth, ' ') + "; " +
                             PixelPicture(static_cast<std::uint8_t>(code)) + '\n';
  }
  return pieces;
}

const ExportPieces& Pieces() {
  static const ExportPieces pieces = MakePieces();
  return pieces;
}

bool ColumnIsUsed(const FontStore& font, int column) {
  for (int code = 0; code < kGlyphCount; ++code)
    if (font.glyphs8[static_cast<std::size_t>(code) * 8 + static_cast<std::size_t>(column - 1)] !=
        0)
      return true;
  return false;
}

std::size_t IncludeTextSize(int rowsPerBlock) {
  constexpr std::size_t kLongestCommentLines = 32;
  constexpr std::size_t kRowLine = 61;
  constexpr std::size_t kHeaderAndTrailer = 256;
  return kHeaderAndTrailer + kGlyphCount * (kLongestCommentLines + 1 +
                                            static_cast<std::size_t>(rowsPerBlock) * kRowLine);
}

void AppendBlock(std::string& text, const FontStore& font, int code, int firstRow, int lastRow) {
  const ExportPieces& pieces = Pieces();
  auto index = static_cast<std::size_t>(code);
  text += pieces.commentLines[index];
  for (int row = firstRow; row <= lastRow; ++row) {
    text += row == firstRow ? std::string_view(pieces.labels[index]) : kBlankLabel;
    text += pieces.rowTails[GlyphByte(font, static_cast<std::uint8_t>(code), row)];
  }
  text += '\n';
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

std::string BuildIncludeText(FontStore& font, bool glcdMode) {
  bool turned = glcdMode && font.height == 8;
  bool wasModified = font.modified;
  if (turned) RotAllRight(font);
  int firstRow = FirstExportRow(font, turned);
  int lastRow = LastExportRow(font, turned);

  std::string text;
  text.reserve(IncludeTextSize(lastRow >= firstRow ? lastRow - firstRow + 1 : 0));
  std::string rule = PadRight(";", 80, '-') + '\n';
  text += rule;
  text += kTitle;
  text += rule;
  text += '\n';
  for (int code = 0; code < kGlyphCount; ++code) AppendBlock(text, font, code, firstRow, lastRow);
  text += PadRight("FONT_WIDTH", kFieldWidth, ' ');
  text += "equ       *-ASCII_0/256\n";
  text += kBlankLabel;
  text += "#Message  FONT_WIDTH = {FONT_WIDTH}\n";

  if (turned) RotAllLeft(font);
  font.modified = wasModified;
  return text;
}

}  // namespace kestrova

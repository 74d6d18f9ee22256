#include "editor/editor_screen.h"

#include <algorithm>
#include <string>

#include "glyph/glyph_ops.h"

namespace kestrova {

namespace {

// Window positions of the editing window's elements.
constexpr int kGridLeft = 50;  // window column of grid column 1
constexpr int kGridTop = 4;    // window row of grid row 1
constexpr int kColumnMarkerRow = kGridTop - 1;
constexpr int kRowMarkerColumn = kGridLeft - 2;
constexpr int kStatusRow = 10;
constexpr int kLockFieldColumn = 10;
constexpr int kGlcdFieldColumn = 22;
constexpr int kFieldRow = 12;
constexpr int kCopyPromptRow = 15;

constexpr std::string_view kStatusText = "View ASCII character ";

void MoveTo(Console& console, int column, int row) {
  MoveCursor(console, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row));
}

void MoveToCell(Console& console, int row, int column) {
  MoveTo(console, column + kGridLeft - 1, row + kGridTop - 1);
}

void SetColours(Console& console, std::uint8_t foreground, std::uint8_t background) {
  SetBackground(console, background);
  SetForeground(console, foreground);
}

void DrawHelpLine(Console& console, int screenRow, std::string_view text) {
  MoveTo(console, 1, screenRow);
  SetColours(console, kRed, kLightGrey);
  WriteText(console, text);
  ClearToLineEnd(console);
}

void DrawFileLine(Console& console, std::string_view fileName, int fontHeight) {
  SetColours(console, kBlue, kCyan);
  WriteText(console, "Editing file \"");
  WriteText(console, fileName);
  WriteText(console, "\"     Size: 8x");
  WriteNumber(console, fontHeight, 0);
  ClearToLineEnd(console);
}

std::string_view LockFieldText(const EditorState& editor) {
  if (!editor.locked) return "          ";
  return editor.lockValue ? "LOCKED ON " : "LOCKED OFF";
}

}  // namespace

int RequiredScreenWidth() { return static_cast<int>(kHelpLine1.size()) + 1; }

int RequiredScreenHeight(int fontHeight) {
  int lastWindowRow = std::max(kCopyPromptRow, fontHeight + kGridTop);
  return lastWindowRow + kEditingWindowTop - 1 + kRowsBelowEditingWindow;
}

void DrawFrame(Console& console, std::string_view fileName, int fontHeight) {
  const int width = ScreenWidth(console);
  const int height = ScreenHeight(console);

  SetColours(console, kRed, kLightGrey);
  ClearWindow(console);
  WriteText(console, kBanner);
  WriteLineEnd(console);
  DrawFileLine(console, fileName, fontHeight);
  DrawHelpLine(console, height - 2, kHelpLine1);
  DrawHelpLine(console, height - 1, kHelpLine2);
  DrawHelpLine(console, height, kHelpLine3);

  SetWindow(console, 1, kEditingWindowTop, static_cast<std::uint8_t>(width),
            static_cast<std::uint8_t>(height - kRowsBelowEditingWindow));
  SetColours(console, kYellow, kBlack);
  ClearWindow(console);
}

void DrawGrid(Console& console, const FontStore& font, std::uint8_t code) {
  for (int row = 1; row <= font.height; ++row) {
    MoveToCell(console, row, 1);
    for (int column = 1; column <= 8; ++column)
      WriteChar(console, PixelIsOn(font, code, row, column) ? '@' : '.');
    WriteLineEnd(console);
  }
}

void DrawStatus(Console& console, const EditorState& editor) {
  MoveTo(console, 1, kStatusRow);
  SetForeground(console, kLightGreen);
  WriteText(console, kStatusText);
  WriteNumber(console, editor.currentCode, 3);
  WriteText(console, " \"");
  WriteChar(console, DisplayChar(editor.currentCode));
  WriteChar(console, '"');

  MoveTo(console, kLockFieldColumn, kFieldRow);
  SetForeground(console, kLightRed);
  WriteText(console, LockFieldText(editor));

  MoveTo(console, kGlcdFieldColumn, kFieldRow);
  SetForeground(console, kWhite);
  WriteText(console, editor.glcdMode ? "GLCD" : "    ");
}

void MoveMarkers(Console& console, EditorState& editor) {
  SetForeground(console, kLightGreen);
  MoveTo(console, editor.markerColumn + kGridLeft - 1, kColumnMarkerRow);
  WriteText(console, " ");
  MoveTo(console, kRowMarkerColumn, editor.markerRow + kGridTop - 1);
  WriteText(console, "  ");

  editor.markerColumn = editor.cursorColumn;
  editor.markerRow = editor.cursorRow;
  MoveTo(console, editor.markerColumn + kGridLeft - 1, kColumnMarkerRow);
  WriteNumber(console, editor.markerColumn, 1);
  MoveTo(console, kRowMarkerColumn, editor.markerRow + kGridTop - 1);
  WriteNumber(console, editor.markerRow, 2);
}

void PlaceCursor(Console& console, int row, int column) {
  SetForeground(console, kYellow);
  MoveToCell(console, row, column);
}

void DrawCell(Console& console, int row, int column, bool on) {
  WriteChar(console, on ? '@' : '.');
  MoveToCell(console, row, column);
}

void ShowCopyPrompt(Console& console) {
  MoveTo(console, 1, kCopyPromptRow);
  WriteText(console, kCopyPrompt);
}

void ClearCopyPrompt(Console& console) {
  MoveTo(console, 1, kCopyPromptRow);
  WriteText(console, std::string(kCopyPrompt.size(), ' '));
}

std::uint8_t DisplayChar(std::uint8_t code) {
  return code == 7 || code == 10 || code == 13 ? ' ' : code;
}

}  // namespace kestrova

#include "editor/edit_loop.h"

#include "editor/editor_screen.h"
#include "export/save_font.h"

namespace kestrova {

namespace {

// How a command hands back to the loop.
enum class Next { FullRedraw, Pass, Leave };

// Plain key bytes bound to commands; every other non-zero byte selects a character code.
constexpr std::uint8_t kCtrlA = 1;
constexpr std::uint8_t kCtrlF = 6;
constexpr std::uint8_t kCtrlG = 7;
constexpr std::uint8_t kCtrlL = 12;
constexpr std::uint8_t kCtrlR = 18;
constexpr std::uint8_t kCtrlV = 22;
constexpr std::uint8_t kCtrlW = 23;
constexpr std::uint8_t kCtrlZ = 26;

constexpr int kGlyphWidth = 8;

struct Editing {
  Console& console;
  FontStore& font;
  EditorState& editor;
  GlyphClipboard& clipboard;
};

bool PixelUnderCursor(const Editing& e) {
  return PixelIsOn(e.font, e.editor.currentCode, e.editor.cursorRow, e.editor.cursorColumn);
}

void RunPass(Editing& e) {
  DrawStatus(e.console, e.editor);
  MoveMarkers(e.console, e.editor);
  PlaceCursor(e.console, e.editor.cursorRow, e.editor.cursorColumn);
  if (e.editor.locked) {
    PaintPixel(e.font, e.editor.currentCode, e.editor.cursorRow, e.editor.cursorColumn,
               e.editor.lockValue);
    DrawCell(e.console, e.editor.cursorRow, e.editor.cursorColumn, e.editor.lockValue);
  }
}

Next SelectCode(Editing& e, std::uint8_t code) {
  e.editor.locked = false;
  e.editor.currentCode = code;
  return Next::FullRedraw;
}

// GLCD export turns glyphs a quarter turn, which only an 8-row glyph survives.
void ToggleGlcdMode(Editing& e) {
  if (e.font.height == 8)
    e.editor.glcdMode = !e.editor.glcdMode;
  else
    StartTone(e.console, 0);
}

Next RunPlainKey(Editing& e, std::uint8_t byte) {
  const std::uint8_t code = e.editor.currentCode;
  switch (byte) {
    case kCtrlA:
      RotAllLeft(e.font);
      return Next::FullRedraw;
    case kCtrlF:
      FontToClipboard(e.font, e.clipboard, code);
      return Next::FullRedraw;
    case kCtrlG:
      ToggleGlcdMode(e);
      return Next::Pass;
    case kCtrlL:
      RotLeft(e.font, code);
      return Next::FullRedraw;
    case kCtrlR:
      RotRight(e.font, code);
      return Next::FullRedraw;
    case kCtrlV:
      Paste(e.font, e.clipboard, code);
      return Next::FullRedraw;
    case kCtrlW:
      SwapWithClipboard(e.font, e.clipboard, code);
      return Next::FullRedraw;
    case kCtrlZ:
      RotAllRight(e.font);
      return Next::FullRedraw;
    default:
      return SelectCode(e, byte);
  }
}

// Ins: the next plain key names the glyph to copy onto the current one; an extended key
// (Ins again, for one) cancels.
Next RunCopyCommand(Editing& e) {
  ShowCopyPrompt(e.console);
  std::uint8_t source = NextKeyByte(e.console);
  ClearCopyPrompt(e.console);
  if (source == 0) {
    NextKeyByte(e.console);
    return Next::Pass;
  }
  CopyGlyph(e.font, e.editor.currentCode, source);
  return Next::FullRedraw;
}

void ToggleCursorPixel(Editing& e) {
  EditorState& editor = e.editor;
  bool on = TogglePixel(e.font, editor.currentCode, editor.cursorRow, editor.cursorColumn);
  DrawCell(e.console, editor.cursorRow, editor.cursorColumn, on);
  if (editor.locked) editor.lockValue = on;
}

void SwitchLockPainting(Editing& e) {
  e.editor.locked = !e.editor.locked;
  e.editor.lockValue = PixelUnderCursor(e);
}

void PlaceCursorAt(Editing& e, int row, int column) {
  e.editor.cursorRow = static_cast<std::uint8_t>(row);
  e.editor.cursorColumn = static_cast<std::uint8_t>(column);
}

Next RunExtendedKey(Editing& e, std::uint8_t keyCode) {
  EditorState& editor = e.editor;
  const int lastRow = e.font.height;
  switch (keyCode) {
    case key::kF2:
      SaveFont(e.font, e.console, editor.glcdMode);
      return Next::Pass;
    case key::kF3:
      return Next::Leave;
    case key::kHome:
      PlaceCursorAt(e, 1, 1);
      return Next::Pass;
    case key::kCtrlHome:
      PlaceCursorAt(e, 1, kGlyphWidth);
      return Next::Pass;
    case key::kEnd:
      PlaceCursorAt(e, lastRow, kGlyphWidth);
      return Next::Pass;
    case key::kCtrlEnd:
      PlaceCursorAt(e, lastRow, 1);
      return Next::Pass;
    case key::kUp:
      if (editor.cursorRow > 1) --editor.cursorRow;
      return Next::Pass;
    case key::kDown:
      if (editor.cursorRow < lastRow) ++editor.cursorRow;
      return Next::Pass;
    case key::kLeft:
      if (editor.cursorColumn > 1) --editor.cursorColumn;
      return Next::Pass;
    case key::kRight:
      if (editor.cursorColumn < kGlyphWidth) ++editor.cursorColumn;
      return Next::Pass;
    case key::kPageDown:
      SwitchLockPainting(e);
      return Next::Pass;
    case key::kInsert:
      return RunCopyCommand(e);
    case key::kDelete:
      ToggleCursorPixel(e);
      return Next::Pass;
    case key::kCtrlPageUp:
      return SelectCode(e, static_cast<std::uint8_t>(editor.currentCode + 1));
    case key::kCtrlPageDown:
      return SelectCode(e, static_cast<std::uint8_t>(editor.currentCode - 1));
    default:
      return Next::Pass;
  }
}

Next RunKey(Editing& e) {
  std::uint8_t byte = NextKeyByte(e.console);
  if (byte != 0) return RunPlainKey(e, byte);
  return RunExtendedKey(e, NextKeyByte(e.console));
}

}  // namespace

void EditLoop(Console& console, FontStore& font, EditorState& editor, GlyphClipboard& clipboard,
              std::uint8_t startCode) {
  const std::uint8_t startColumn = WindowColumn(console);
  const std::uint8_t startRow = WindowRow(console);
  editor.currentCode = startCode;
  editor.cursorRow = editor.cursorColumn = 1;
  editor.markerRow = editor.markerColumn = 1;

  Editing e{console, font, editor, clipboard};
  Next next = Next::FullRedraw;
  while (next != Next::Leave) {
    if (next == Next::FullRedraw) DrawGrid(console, font, editor.currentCode);
    RunPass(e);
    next = RunKey(e);
  }
  MoveCursor(console, startColumn, startRow);
}

}  // namespace kestrova

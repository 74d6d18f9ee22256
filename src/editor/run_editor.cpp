#include "editor/run_editor.h"

#include <string>

#include "console/program_exit.h"
#include "editor/edit_loop.h"
#include "editor/editor_screen.h"
#include "export/save_font.h"
#include "font/load_font.h"

namespace kestrova {

namespace {

constexpr int kScreenTooSmallExitCode = 1;

// The layout has fixed positions, so a screen it does not fit would scroll the grid and
// overwrite the help lines. Refused after loading, so a font just created stays on disk.
void RequireScreenFor(Console& console, int fontHeight) {
  const int width = ScreenWidth(console);
  const int height = ScreenHeight(console);
  const int neededWidth = RequiredScreenWidth();
  const int neededHeight = RequiredScreenHeight(fontHeight);
  if (width >= neededWidth && height >= neededHeight) return;
  if (WindowColumn(console) != 1) WriteLineEnd(console);
  WriteLine(console, "ERROR: Terminal too small (" + std::to_string(width) + "x" +
                         std::to_string(height) + "): 8x" + std::to_string(fontHeight) +
                         " fonts need at least " + std::to_string(neededWidth) + "x" +
                         std::to_string(neededHeight));
  EndProgram(kScreenTooSmallExitCode);
}

std::uint8_t UpperCase(std::uint8_t byte) {
  return byte >= 'a' && byte <= 'z' ? static_cast<std::uint8_t>(byte - 'a' + 'A') : byte;
}

void OfferToSave(Console& console, FontStore& font, const EditorState& editor) {
  ClearWindow(console);
  MoveCursor(console, 20, 11);
  WriteText(console, kSaveQuestion);
  std::uint8_t answer = UpperCase(NextKeyByte(console));
  if (answer == 'Y') SaveFont(font, console, editor.glcdMode);
  if (answer == 0) NextKeyByte(console);
}

}  // namespace

std::uint8_t StartCodeFrom(std::string_view argument2) {
  return argument2.empty() ? '0' : static_cast<std::uint8_t>(argument2.front());
}

int RunEditor(Console& console, FontStore& font, EditorState& editor, GlyphClipboard& clipboard,
              std::string_view argument1, std::string_view argument2) {
  const std::uint8_t savedScreenWidth = ScreenWidth(console);
  const std::uint8_t savedScreenHeight = ScreenHeight(console);
  ClearWindow(console);
  editor.locked = false;
  editor.lockValue = true;
  editor.glcdMode = false;
  ZeroFill(font);

  LoadFont(font, console, argument1);
  const std::uint8_t startCode = StartCodeFrom(argument2);
  RequireScreenFor(console, font.height);
  DrawFrame(console, font.fileName, font.height);
  EditLoop(console, font, editor, clipboard, startCode);

  if (font.modified) OfferToSave(console, font, editor);
  CloseFontFile(font.fontFile);
  SetWindow(console, 1, 1, savedScreenWidth, savedScreenHeight);
  SetBackground(console, kBlack);
  SetForeground(console, kLightGrey);
  ClearWindow(console);
  return 0;
}

}  // namespace kestrova

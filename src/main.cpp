#include <cstdio>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/program_exit.h"
#include "console/terminal_device.h"
#include "editor/editor_state.h"
#include "editor/run_editor.h"
#include "font/file_error.h"
#include "font/font_store.h"
#include "glyph/glyph_ops.h"

namespace {

constexpr std::string_view kHelpText =
    "Usage: KESTROVA <fontfile> [<character>]\n"
    "\n"
    "Edits a font of 256 glyphs, 8 pixels wide and 8, 14 or 16 rows high, kept as raw\n"
    "bytes (2048, 3584 or 4096). A missing file is created after asking for its height.\n"
    "A name without a dot gets \".fon\". Editing starts on <character>, \"0\" without one.\n"
    "Saving also writes an assembler include file: the font file's name up to its first\n"
    "dot, then \".inc\".\n"
    "\n"
    "Keys:\n"
    "  Arrows                  move the cursor over the glyph\n"
    "  Home, End               top-left, bottom-right corner\n"
    "  Ctrl-Home, Ctrl-End     top-right, bottom-left corner\n"
    "  Del                     toggle the pixel under the cursor\n"
    "  PgDn                    lock painting on/off: the cursor paints the locked value\n"
    "  a character             edit the glyph of that character\n"
    "  Ctrl-PgUp, Ctrl-PgDn    next, previous character\n"
    "  Ins, then a character   copy that character's glyph here (Ins cancels)\n"
    "  Ctrl-F, Ctrl-V, Ctrl-W  glyph to clipboard, paste, swap with the clipboard\n"
    "  Ctrl-L, Ctrl-R          rotate the glyph left, right (8x8 only)\n"
    "  Ctrl-A, Ctrl-Z          rotate every glyph left, right (8x8 only)\n"
    "  Ctrl-G                  GLCD mode: the include file holds columns (8x8 only)\n"
    "  F2, F3                  save; leave (asks first when the font has changed)\n"
    "\n"
    "Options: --help, --version. A font file named like an option: ./--help\n";

int WithTerminalGivenBack(kestrova::Console& console, kestrova::TerminalDevice& terminal,
                          int exitCode) {
  kestrova::ShowConsole(console);
  terminal.Close();
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view argument1 = argc > 1 ? argv[1] : "";
  const std::string_view argument2 = argc > 2 ? argv[2] : "";
  if (argument1 == "--help") {
    std::fputs(kHelpText.data(), stdout);
    return 0;
  }
  if (argument1 == "--version") {
    std::puts("kestrova " KESTROVA_VERSION);
    return 0;
  }

  kestrova::TerminalDevice terminal;
  std::string whyNot;
  if (!terminal.Open(whyNot)) {
    std::fprintf(stderr, "kestrova: %s\n", whyNot.c_str());
    return 1;
  }
  static kestrova::Console console;
  static kestrova::FontStore font;
  static kestrova::EditorState editor;
  static kestrova::GlyphClipboard clipboard;
  kestrova::OpenConsole(console, terminal, terminal.Width(), terminal.Height());
  try {
    int exitCode = kestrova::RunEditor(console, font, editor, clipboard, argument1, argument2);
    return WithTerminalGivenBack(console, terminal, exitCode);
  } catch (const kestrova::ProgramExit& exit) {
    return WithTerminalGivenBack(console, terminal, exit.exitCode);
  } catch (const kestrova::InOutError& error) {
    WithTerminalGivenBack(console, terminal, kestrova::kInOutErrorExitCode);
    std::fputs(kestrova::RunTimeErrorReport(error).c_str(), stderr);
    return kestrova::kInOutErrorExitCode;
  } catch (...) {
    terminal.Close();
    throw;
  }
}

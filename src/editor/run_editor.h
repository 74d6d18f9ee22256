#pragma once

#include <string_view>

#include "console/console.h"
#include "editor/editor_state.h"
#include "font/font_store.h"
#include "glyph/glyph_ops.h"

namespace kestrova {

inline constexpr std::string_view kSaveQuestion = "Font has changed.  Save changes? (y/N) ";

// The character code editing starts on: the first byte of argument 2, "0" without one.
std::uint8_t StartCodeFrom(std::string_view argument2);

// The program's whole run on an open console: loads or creates the font named by argument 1,
// edits it until F3, offers to save a changed font, closes the font file and leaves the screen
// blank, light grey on black. Returns the exit code 0; every early end goes through
// EndProgram or the input/output failure report.
int RunEditor(Console& console, FontStore& font, EditorState& editor, GlyphClipboard& clipboard,
              std::string_view argument1, std::string_view argument2);

}  // namespace kestrova

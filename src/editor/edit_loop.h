#pragma once

#include <cstdint>

#include "console/console.h"
#include "editor/editor_state.h"
#include "font/font_store.h"
#include "glyph/glyph_ops.h"

namespace kestrova {

// Extended key codes, the byte that follows the 0 of an extended key.
namespace key {
inline constexpr std::uint8_t kF2 = 60;
inline constexpr std::uint8_t kF3 = 61;
inline constexpr std::uint8_t kHome = 71;
inline constexpr std::uint8_t kUp = 72;
inline constexpr std::uint8_t kLeft = 75;
inline constexpr std::uint8_t kRight = 77;
inline constexpr std::uint8_t kEnd = 79;
inline constexpr std::uint8_t kDown = 80;
inline constexpr std::uint8_t kPageDown = 81;
inline constexpr std::uint8_t kInsert = 82;
inline constexpr std::uint8_t kDelete = 83;
inline constexpr std::uint8_t kCtrlEnd = 117;
inline constexpr std::uint8_t kCtrlPageDown = 118;
inline constexpr std::uint8_t kCtrlHome = 119;
inline constexpr std::uint8_t kCtrlPageUp = 132;
}  // namespace key

// Edits the loaded font from `startCode` on, one key at a time, until F3. The font's file is
// saved on F2. The screen must show the frame, with the console in the editing window.
void EditLoop(Console& console, FontStore& font, EditorState& editor, GlyphClipboard& clipboard,
              std::uint8_t startCode);

}  // namespace kestrova

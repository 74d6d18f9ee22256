#pragma once

#include <cstdint>
#include <string_view>

#include "console/console.h"
#include "editor/editor_state.h"
#include "font/font_store.h"

namespace kestrova {

// Colours of the layout, as PC palette numbers.
inline constexpr std::uint8_t kBlack = 0;
inline constexpr std::uint8_t kBlue = 1;
inline constexpr std::uint8_t kCyan = 3;
inline constexpr std::uint8_t kRed = 4;
inline constexpr std::uint8_t kLightGrey = 7;
inline constexpr std::uint8_t kLightGreen = 10;
inline constexpr std::uint8_t kLightRed = 12;
inline constexpr std::uint8_t kYellow = 14;
inline constexpr std::uint8_t kWhite = 15;

// The editing window starts on this screen row; the last three rows hold the help lines.
inline constexpr int kEditingWindowTop = 3;
inline constexpr int kRowsBelowEditingWindow = 3;

inline constexpr std::string_view kBanner =
    "Kestrova v1.71 * keyboard editor for 8x8, 8x14 and 8x16 bitmap fonts";
inline constexpr std::string_view kHelpLine1 =
    "CTRL-F FontToClipboard|CTRL-V Paste|CTRL-W Swap with Clipboard|CTRL-G GLCD Mode";
inline constexpr std::string_view kHelpLine2 =
    "CTRL-L RotLeft|CTRL-R RotRight|CTRL-A RotAllLeft|CTRL-Z RotAllRight [8x8 only]";
inline constexpr std::string_view kHelpLine3 =
    "F2 Save|F3 Exit|Arrows Home End|Del toggle|Ins copy|PgDn (Un)Lock|Ctrl-PgUp/Dn";
inline constexpr std::string_view kCopyPrompt = "Press char to copy from (or INS to cancel)";

// The smallest screen the layout fits for a font height: the help lines need 80 columns, and
// the editing window must hold the copy prompt and the grid with the line end after its last
// row without scrolling.
int RequiredScreenWidth();
int RequiredScreenHeight(int fontHeight);

// Draws the fixed lines on the whole screen and leaves the console in the editing window,
// cleared yellow on black, with the cursor at its top-left.
void DrawFrame(Console& console, std::string_view fileName, int fontHeight);

// All cells of the glyph of `code`, in the colours in force.
void DrawGrid(Console& console, const FontStore& font, std::uint8_t code);

// The status line, the lock field and the GLCD field.
void DrawStatus(Console& console, const EditorState& editor);

// Erases the markers where they stand, then draws them beside the cursor's row and column.
void MoveMarkers(Console& console, EditorState& editor);

// Yellow, and the cursor on grid cell (row, column).
void PlaceCursor(Console& console, int row, int column);

// Writes one cell at the cursor, which stands on it, and leaves the cursor there.
void DrawCell(Console& console, int row, int column, bool on);

void ShowCopyPrompt(Console& console);
void ClearCopyPrompt(Console& console);

// The character the status line shows for a code: a space for bell, line feed and carriage
// return, which the console would act on instead of showing.
std::uint8_t DisplayChar(std::uint8_t code);

}  // namespace kestrova

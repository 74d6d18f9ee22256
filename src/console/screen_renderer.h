#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"

namespace kestrova {

// What the terminal is known to show: its cells, where its cursor stands and the colours it
// writes with. Whatever is unknown is drawn or set in full the next time.
struct TerminalScreen {
  int width = 0;
  int height = 0;
  bool utf8 = true;  // glyphs go out as UTF-8; otherwise as plain ASCII look-alikes
  std::vector<Cell> cells;
  bool cellsKnown = false;
  bool cursorKnown = false;
  int cursorColumn = 1;
  int cursorRow = 1;
  bool attributeKnown = false;
  std::uint8_t attribute = 0;
};

// Forgets everything the terminal shows: the next frame draws every cell.
void ForgetTerminalScreen(TerminalScreen& screen, int width, int height);

// Appends to `out` the bytes that make the terminal show `console` (only the cells that
// differ, then the cursor at the console's cursor) and records that the terminal now does.
// Nothing is appended when the terminal already shows it all.
void RenderConsole(TerminalScreen& screen, const Console& console, std::string& out);

// The SGR parameter of a PC colour as a foreground (30-37, 90-97) or background (40-47).
int AnsiForeground(std::uint8_t colour);
int AnsiBackground(std::uint8_t colour);

}  // namespace kestrova

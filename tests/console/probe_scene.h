#pragma once

#include "console/console.h"

namespace kestrova {

// Green window cleared, then written with more lines than it holds, so that it scrolls; the
// cursor is left inside it.
inline void FillWindowScrolled(Console& console) {
  SetForeground(console, 0);
  SetBackground(console, 2);
  ClearWindow(console);
  for (int line = 1; line <= 8; ++line) {
    WriteText(console, "scrolled line ");
    WriteNumber(console, line, 2);
    if (line < 8) WriteLineEnd(console);
  }
  MoveCursor(console, 5, 3);
}

// What the probe draws on a real terminal and the tests draw on a model of the same size:
// every colour pair, blinking text, a window scrolled by its writes, code page 437 bytes,
// and the cursor left inside the window.
inline void DrawProbeScene(Console& console) {
  SetForeground(console, 7);
  SetBackground(console, 0);
  ClearWindow(console);
  SetForeground(console, 14);
  SetBackground(console, 1);
  WriteText(console, "Yellow on blue");
  MoveCursor(console, 1, 2);
  for (int colour = 0; colour < 16; ++colour) {
    SetForeground(console, static_cast<std::uint8_t>(colour));
    SetBackground(console, static_cast<std::uint8_t>(7 - colour % 8));
    WriteText(console, "Ab");
  }
  SetForeground(console, 0x80 | 12);
  SetBackground(console, 0);
  WriteText(console, "Blink");

  SetForeground(console, 15);
  SetBackground(console, 4);
  MoveCursor(console, 1, 4);
  for (int byte = 1; byte < 256; ++byte)
    if (byte != 7 && byte != 8 && byte != 10 && byte != 13)
      WriteChar(console, static_cast<std::uint8_t>(byte));

  SetForeground(console, 7);
  SetBackground(console, 0);
  for (int row = 10; row <= 16; ++row) {
    MoveCursor(console, 1, static_cast<std::uint8_t>(row));
    WriteText(console, "outside the window, left part ......... right part, outside too");
  }
  SetWindow(console, 20, 11, 45, 15);
  FillWindowScrolled(console);
}

}  // namespace kestrova

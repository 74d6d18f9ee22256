#include "console/console.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace kestrova {

namespace {

Cell& CellRef(Console& console, int column, int row) {
  return console.cells[static_cast<std::size_t>(row - 1) * kMaxScreenSide + (column - 1)];
}

Cell Blank(const Console& console) { return Cell{' ', console.textAttribute}; }

void BlankRow(Console& console, int row) {
  for (int column = console.window.left; column <= console.window.right; ++column)
    CellRef(console, column, row) = Blank(console);
}

// Only the window's rectangle moves: its top row is lost, its new bottom row is blank.
void ScrollWindowUp(Console& console) {
  const TextWindow& w = console.window;
  for (int row = w.top; row < w.bottom; ++row)
    for (int column = w.left; column <= w.right; ++column)
      CellRef(console, column, row) = CellRef(console, column, row + 1);
  BlankRow(console, w.bottom);
}

void KeepCursorInWindow(Console& console) {
  const TextWindow& w = console.window;
  if (console.cursorColumn > w.right) {
    console.cursorColumn = w.left;
    ++console.cursorRow;
  }
  while (console.cursorRow > w.bottom) {
    ScrollWindowUp(console);
    --console.cursorRow;
  }
}

void WriteByte(Console& console, std::uint8_t byte) {
  switch (byte) {
    case 13:
      console.cursorColumn = console.window.left;
      break;
    case 10:
      ++console.cursorRow;
      break;
    case 8:
      if (console.cursorColumn > console.window.left) --console.cursorColumn;
      break;
    case 7:
      break;
    default:
      CellRef(console, console.cursorColumn, console.cursorRow) = {byte, console.textAttribute};
      ++console.cursorColumn;
      break;
  }
  KeepCursorInWindow(console);
}

void PutCursorAtWindowStart(Console& console) {
  console.cursorColumn = console.window.left;
  console.cursorRow = console.window.top;
}

}  // namespace

void OpenConsole(Console& console, ConsoleDevice& device, int width, int height) {
  console.width = std::clamp(width, 1, kMaxScreenSide);
  console.height = std::clamp(height, 1, kMaxScreenSide);
  console.window = {1, 1, static_cast<std::uint8_t>(console.width),
                    static_cast<std::uint8_t>(console.height)};
  PutCursorAtWindowStart(console);
  console.hasPendingKey = false;
  console.composing = false;
  console.composedValue = 0;
  console.device = &device;
}

const Cell& CellAt(const Console& console, int column, int row) {
  return console.cells[static_cast<std::size_t>(row - 1) * kMaxScreenSide + (column - 1)];
}

std::uint8_t ScreenWidth(const Console& console) {
  return static_cast<std::uint8_t>(console.width);
}
std::uint8_t ScreenHeight(const Console& console) {
  return static_cast<std::uint8_t>(console.height);
}

void SetForeground(Console& console, std::uint8_t colour) {
  console.textAttribute =
      static_cast<std::uint8_t>((console.textAttribute & 0x70) | (colour & 0x8F));
}

void SetBackground(Console& console, std::uint8_t colour) {
  console.textAttribute =
      static_cast<std::uint8_t>((console.textAttribute & 0x8F) | ((colour & 0x07) << 4));
}

void SetWindow(Console& console, std::uint8_t left, std::uint8_t top, std::uint8_t right,
               std::uint8_t bottom) {
  // A left or top edge of 0 is refused like any other rectangle off the screen.
  if (left < 1 || top < 1 || left > right || top > bottom || right > console.width ||
      bottom > console.height)
    return;
  console.window = {left, top, right, bottom};
  PutCursorAtWindowStart(console);
}

void MoveCursor(Console& console, std::uint8_t column, std::uint8_t row) {
  const TextWindow& w = console.window;
  if (column < 1 || row < 1 || column > w.right - w.left + 1 || row > w.bottom - w.top + 1) return;
  console.cursorColumn = w.left + column - 1;
  console.cursorRow = w.top + row - 1;
}

std::uint8_t WindowColumn(const Console& console) {
  return static_cast<std::uint8_t>(console.cursorColumn - console.window.left + 1);
}

std::uint8_t WindowRow(const Console& console) {
  return static_cast<std::uint8_t>(console.cursorRow - console.window.top + 1);
}

void ClearWindow(Console& console) {
  for (int row = console.window.top; row <= console.window.bottom; ++row) BlankRow(console, row);
  PutCursorAtWindowStart(console);
}

void ClearToLineEnd(Console& console) {
  for (int column = console.cursorColumn; column <= console.window.right; ++column)
    CellRef(console, column, console.cursorRow) = Blank(console);
}

void WriteText(Console& console, std::string_view text) {
  for (char c : text) WriteByte(console, static_cast<std::uint8_t>(c));
}

void WriteChar(Console& console, std::uint8_t byte) { WriteByte(console, byte); }

void WriteNumber(Console& console, std::int32_t value, int width) {
  char digits[16];
  auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  int length = static_cast<int>(end - digits);
  for (int pad = length; pad < width; ++pad) WriteByte(console, ' ');
  WriteText(console, std::string_view(digits, static_cast<std::size_t>(length)));
}

void WriteLineEnd(Console& console) {
  WriteByte(console, 13);
  WriteByte(console, 10);
}

void WriteLine(Console& console, std::string_view text) {
  WriteText(console, text);
  WriteLineEnd(console);
}

void ShowConsole(Console& console) {
  if (console.device != nullptr) console.device->Show(console);
}

std::uint8_t NextKeyByte(Console& console) {
  if (console.hasPendingKey) {
    console.hasPendingKey = false;
    return console.pendingKey;
  }
  for (;;) {
    ShowConsole(console);
    KeyEvent key = console.device->NextKey();
    switch (key.kind) {
      case KeyEvent::Kind::Character:
        // A zero byte would announce an extended key, so a character never yields one.
        if (key.code != 0) return key.code;
        break;
      case KeyEvent::Kind::Extended:
        console.pendingKey = key.code;
        console.hasPendingKey = true;
        return 0;
      case KeyEvent::Kind::AltDigit:
        console.composing = true;
        console.composedValue =
            static_cast<std::uint8_t>((console.composedValue * 10 + key.code) % 256);
        break;
      case KeyEvent::Kind::AltRelease:
        if (console.composing && console.composedValue > 0) {
          std::uint8_t value = console.composedValue;
          console.composing = false;
          console.composedValue = 0;
          return value;
        }
        break;
    }
  }
}

void StartTone(Console& console, std::uint16_t frequency) {
  // A terminal has no speaker to hold a tone on; the request is kept and nothing sounds.
  console.toneFrequency = frequency;
}

}  // namespace kestrova

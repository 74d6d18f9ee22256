#include "console/screen_renderer.h"

#include <algorithm>

#include "console/code_page_437.h"

namespace kestrova {

namespace {

// Rewriting a few unchanged cells can be shorter than a cursor move over them; a longer run
// never is.
constexpr int kLongestRewrite = 6;

Cell& ShownCell(TerminalScreen& screen, int column, int row) {
  return screen.cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(screen.width) +
                      static_cast<std::size_t>(column - 1)];
}

void AppendGlyph(const TerminalScreen& screen, std::uint8_t byte, std::string& out) {
  if (screen.utf8)
    out += GlyphUtf8(byte);
  else
    out += GlyphAscii(byte);
}

// The PC numbers blue as 1 and red as 4, ANSI the other way round.
int AnsiColour(std::uint8_t colour) {
  return ((colour & 1) << 2) | (colour & 2) | ((colour & 4) >> 2);
}

std::string Csi(int count, char final) {
  std::string text = "\x1b[";
  if (count != 1) text += std::to_string(count);
  text += final;
  return text;
}

std::string CursorPosition(int column, int row) {
  std::string text = "\x1b[";
  if (row != 1 || column != 1) text += std::to_string(row);
  if (column != 1) text += ";" + std::to_string(column);
  return text + "H";
}

// The cells between two columns of a row rewritten as the terminal already shows them, when
// they all carry the colours in force; empty with `possible` false otherwise.
std::string Rewrite(TerminalScreen& screen, int row, int fromColumn, int toColumn, bool& possible) {
  std::string text;
  possible = screen.cellsKnown && screen.attributeKnown && toColumn - fromColumn <= kLongestRewrite;
  for (int column = fromColumn; possible && column < toColumn; ++column) {
    const Cell& cell = ShownCell(screen, column, row);
    if (cell.attribute != screen.attribute) possible = false;
    AppendGlyph(screen, cell.character, text);
  }
  return possible ? text : std::string{};
}

std::string Shorter(std::string a, std::string b) { return b.size() < a.size() ? b : a; }

// The cheapest move along the cursor's row.
std::string HorizontalMove(TerminalScreen& screen, int row, int fromColumn, int toColumn) {
  if (toColumn == fromColumn) return {};
  if (toColumn < fromColumn) {
    int count = fromColumn - toColumn;
    std::string back = Csi(count, 'D');
    return count <= static_cast<int>(back.size())
               ? std::string(static_cast<std::size_t>(count), '\b')
               : back;
  }
  std::string forward = Csi(toColumn - fromColumn, 'C');
  bool possible = false;
  std::string rewrite = Rewrite(screen, row, fromColumn, toColumn, possible);
  return possible ? Shorter(forward, rewrite) : forward;
}

void MoveCursor(TerminalScreen& screen, int column, int row, std::string& out) {
  if (screen.cursorKnown && screen.cursorColumn == column && screen.cursorRow == row) return;
  std::string best = CursorPosition(column, row);
  if (screen.cursorKnown) {
    std::string vertical;
    if (row > screen.cursorRow) vertical = Csi(row - screen.cursorRow, 'B');
    if (row < screen.cursorRow) vertical = Csi(screen.cursorRow - row, 'A');
    best = Shorter(best, vertical + HorizontalMove(screen, row, screen.cursorColumn, column));
    best = Shorter(best, vertical + "\r" + HorizontalMove(screen, row, 1, column));
  }
  out += best;
  screen.cursorKnown = true;
  screen.cursorColumn = column;
  screen.cursorRow = row;
}

void SetAttribute(TerminalScreen& screen, std::uint8_t attribute, std::string& out) {
  if (screen.attributeKnown && screen.attribute == attribute) return;
  std::string parameters;
  auto add = [&parameters](int value) {
    if (!parameters.empty()) parameters += ';';
    parameters += std::to_string(value);
  };
  bool all = !screen.attributeKnown;
  // A fresh terminal may have bold, reverse or underline on: start from nothing.
  if (all) add(0);
  if (all ? BlinkOf(attribute) : BlinkOf(attribute) != BlinkOf(screen.attribute))
    add(BlinkOf(attribute) ? 5 : 25);
  if (all || ForegroundOf(attribute) != ForegroundOf(screen.attribute))
    add(AnsiForeground(ForegroundOf(attribute)));
  if (all || BackgroundOf(attribute) != BackgroundOf(screen.attribute))
    add(AnsiBackground(BackgroundOf(attribute)));
  out += "\x1b[" + parameters + "m";
  screen.attributeKnown = true;
  screen.attribute = attribute;
}

void WriteCell(TerminalScreen& screen, int column, int row, Cell cell, std::string& out) {
  MoveCursor(screen, column, row, out);
  SetAttribute(screen, cell.attribute, out);
  bool lastCell = column == screen.width && row == screen.height;
  // Auto-wrap off around the bottom-right cell: no terminal may scroll the screen for it.
  if (lastCell) out += "\x1b[?7l";
  AppendGlyph(screen, cell.character, out);
  if (lastCell) out += "\x1b[?7h";
  ShownCell(screen, column, row) = cell;
  // In the last column terminals differ on where the cursor stands after a write.
  screen.cursorKnown = column < screen.width;
  screen.cursorColumn = column + 1;
}

}  // namespace

int AnsiForeground(std::uint8_t colour) { return (colour & 8 ? 90 : 30) + AnsiColour(colour & 7); }

int AnsiBackground(std::uint8_t colour) { return 40 + AnsiColour(colour & 7); }

void ForgetTerminalScreen(TerminalScreen& screen, int width, int height) {
  screen.width = width;
  screen.height = height;
  screen.cells.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Cell{});
  screen.cellsKnown = false;
  screen.cursorKnown = false;
  screen.attributeKnown = false;
}

void RenderConsole(TerminalScreen& screen, const Console& console, std::string& out) {
  if (screen.width != console.width || screen.height != console.height)
    ForgetTerminalScreen(screen, console.width, console.height);
  for (int row = 1; row <= console.height; ++row) {
    for (int column = 1; column <= console.width; ++column) {
      const Cell& wanted = CellAt(console, column, row);
      if (screen.cellsKnown && ShownCell(screen, column, row) == wanted) continue;
      WriteCell(screen, column, row, wanted, out);
    }
  }
  screen.cellsKnown = true;
  MoveCursor(screen, std::clamp(console.cursorColumn, 1, console.width),
             std::clamp(console.cursorRow, 1, console.height), out);
}

}  // namespace kestrova

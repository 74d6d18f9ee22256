#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console.h"

namespace kestrova::testing {

// PC text attribute of a foreground on a background.
constexpr std::uint8_t Colours(std::uint8_t foreground, std::uint8_t background) {
  return static_cast<std::uint8_t>(background << 4 | foreground);
}

// One screen row written as texts at their 1-based columns, the rest spaces, trailing spaces
// dropped: Row({{1, "View"}, {50, "@..."}}).
inline std::string Row(std::initializer_list<std::pair<int, std::string_view>> pieces) {
  std::string row;
  for (auto [column, text] : pieces) {
    row.resize(static_cast<std::size_t>(column - 1), ' ');
    row += text;
  }
  return row;
}

// The characters of every screen row, trailing spaces dropped.
inline std::vector<std::string> ScreenText(const Console& console) {
  std::vector<std::string> rows;
  for (int row = 1; row <= console.height; ++row) {
    std::string text;
    for (int column = 1; column <= console.width; ++column)
      text.push_back(static_cast<char>(CellAt(console, column, row).character));
    text.erase(text.find_last_not_of(' ') + 1);
    rows.push_back(text);
  }
  return rows;
}

// The characters of `width` cells from screen (column, row).
inline std::string CellsText(const Console& console, int column, int row, int width) {
  std::string text;
  for (int i = 0; i < width; ++i)
    text.push_back(static_cast<char>(CellAt(console, column + i, row).character));
  return text;
}

// The console is large, so tests keep it on the heap.
inline std::unique_ptr<Console> MakeConsole() { return std::make_unique<Console>(); }

}  // namespace kestrova::testing

#pragma once

#include <cstdint>

namespace kestrova {

// The editor's state. The code, cursor and marker fields live for one run of the edit loop;
// the three flags live for the whole run and are set by start-up.
struct EditorState {
  std::uint8_t currentCode = 0;
  std::uint8_t cursorRow = 1;
  std::uint8_t cursorColumn = 1;
  // Where the row and column markers stand on the screen now, so they can be erased.
  std::uint8_t markerRow = 1;
  std::uint8_t markerColumn = 1;
  bool locked = false;
  bool lockValue = true;
  bool glcdMode = false;
};

}  // namespace kestrova

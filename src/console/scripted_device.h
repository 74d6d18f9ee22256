#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "console/console.h"

namespace kestrova {

// Thrown when a scripted run asks for more keys than its script holds, so that a test
// fails instead of hanging.
struct KeysExhausted {};

// The in-memory keyboard: keys are scripted as the console's own key bytes (a 0 followed by a
// code is one extended key) or as raw key events. Nothing is drawn; showing is only counted.
class ScriptedDevice final : public ConsoleDevice {
 public:
  explicit ScriptedDevice(std::string_view keyBytes = {}) { Type(keyBytes); }

  void Type(std::string_view keyBytes) {
    for (std::size_t i = 0; i < keyBytes.size(); ++i) {
      auto byte = static_cast<std::uint8_t>(keyBytes[i]);
      if (byte == 0 && i + 1 < keyBytes.size())
        keys_.push_back({KeyEvent::Kind::Extended, static_cast<std::uint8_t>(keyBytes[++i])});
      else
        keys_.push_back({KeyEvent::Kind::Character, byte});
    }
  }
  void Press(KeyEvent key) { keys_.push_back(key); }
  std::size_t KeysLeft() const { return keys_.size(); }
  int ShowCount() const { return shows_; }

  void Show(const Console&) override { ++shows_; }
  KeyEvent NextKey() override {
    if (keys_.empty()) throw KeysExhausted{};
    KeyEvent key = keys_.front();
    keys_.pop_front();
    return key;
  }

 private:
  std::deque<KeyEvent> keys_;
  int shows_ = 0;
};

// The characters of one screen row, 1-based, as a string of the stored bytes.
inline std::string RowText(const Console& console, int row) {
  std::string text;
  for (int column = 1; column <= console.width; ++column)
    text.push_back(static_cast<char>(CellAt(console, column, row).character));
  return text;
}

}  // namespace kestrova

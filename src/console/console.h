#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrova {

// Coordinates are bytes, so no screen side can exceed 255 cells.
inline constexpr int kMaxScreenSide = 255;

struct Cell {
  std::uint8_t character = ' ';
  std::uint8_t attribute = 0x07;
  friend bool operator==(const Cell&, const Cell&) = default;
};

// Light grey on black: the attribute the console starts with, since a terminal cannot tell
// us the colours it is using.
inline constexpr std::uint8_t kStartAttribute = 0x07;

// PC text-mode attribute: bits 0-3 foreground, 4-6 background, 7 blink.
constexpr std::uint8_t ForegroundOf(std::uint8_t attribute) { return attribute & 0x0F; }
constexpr std::uint8_t BackgroundOf(std::uint8_t attribute) { return (attribute >> 4) & 0x07; }
constexpr bool BlinkOf(std::uint8_t attribute) { return (attribute & 0x80) != 0; }

// One key as the keyboard produced it, before the console turns it into key bytes.
struct KeyEvent {
  enum class Kind : std::uint8_t {
    Character,   // a key with a character: one plain byte, `code`
    Extended,    // a key without one: the bytes 0 and `code`
    AltDigit,    // a keypad digit `code` (0-9) pressed while Alt is held
    AltRelease,  // Alt released: ends a composition
  };
  Kind kind = Kind::Character;
  std::uint8_t code = 0;
};

struct Console;

// The one seam between the screen model and whatever shows it: the real terminal, or the
// scripted keyboard of the tests.
class ConsoleDevice {
 public:
  virtual ~ConsoleDevice() = default;
  // Makes the visible screen and cursor match the model.
  virtual void Show(const Console& console) = 0;
  // Blocks until the user presses a key.
  virtual KeyEvent NextKey() = 0;
};

// Window edges in screen coordinates, 1-based and inclusive.
struct TextWindow {
  std::uint8_t left = 1;
  std::uint8_t top = 1;
  std::uint8_t right = 1;
  std::uint8_t bottom = 1;
};

// A PC text-mode console: a grid of (byte, attribute) cells, a current attribute, a text
// window that writing, clearing, wrapping and scrolling stay inside, one cursor, and the key
// stream. It is pure state: the device shows it before every key wait.
struct Console {
  int width = 80;
  int height = 25;
  std::array<Cell, kMaxScreenSide * kMaxScreenSide> cells{};
  std::uint8_t textAttribute = kStartAttribute;
  TextWindow window{};
  int cursorColumn = 1;  // screen coordinates
  int cursorRow = 1;

  bool hasPendingKey = false;  // the code of an extended key whose 0 was handed out
  std::uint8_t pendingKey = 0;
  bool composing = false;  // Alt composition
  std::uint8_t composedValue = 0;
  std::uint16_t toneFrequency = 0;

  ConsoleDevice* device = nullptr;
};

// Takes the screen size (clamped to 1..255), makes the window the whole screen with the cursor
// at its top-left, clears the key state and attaches the device. Draws nothing.
void OpenConsole(Console& console, ConsoleDevice& device, int width, int height);

// The cell at screen (column, row), 1-based.
const Cell& CellAt(const Console& console, int column, int row);

std::uint8_t ScreenWidth(const Console& console);
std::uint8_t ScreenHeight(const Console& console);
void SetForeground(Console& console, std::uint8_t colour);
void SetBackground(Console& console, std::uint8_t colour);
void SetWindow(Console& console, std::uint8_t left, std::uint8_t top, std::uint8_t right,
               std::uint8_t bottom);
void MoveCursor(Console& console, std::uint8_t column, std::uint8_t row);
std::uint8_t WindowColumn(const Console& console);
std::uint8_t WindowRow(const Console& console);
void ClearWindow(Console& console);
void ClearToLineEnd(Console& console);
void WriteText(Console& console, std::string_view text);
void WriteChar(Console& console, std::uint8_t byte);
void WriteNumber(Console& console, std::int32_t value, int width);
void WriteLineEnd(Console& console);
// A whole line: the text, then the line end.
void WriteLine(Console& console, std::string_view text);
std::uint8_t NextKeyByte(Console& console);
void StartTone(Console& console, std::uint16_t frequency);

// Shows the model on the device now. Needed before the program ends and before anything
// goes to standard error; key waits do it by themselves.
void ShowConsole(Console& console);

}  // namespace kestrova

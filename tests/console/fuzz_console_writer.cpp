// Any sequence of console operations on any screen size: no cell outside the screen is
// touched, the cursor stays in the window, and the renderer's bytes make a terminal show
// exactly the model, after which nothing more needs sending.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/screen_renderer.h"
#include "console/scripted_device.h"
#include "terminal_emulator.h"

namespace {

using namespace kestrova;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  bool Empty() const { return at >= size; }
  std::uint8_t Byte() { return at < size ? data[at++] : 0; }
  std::string_view Text(std::size_t length) {
    length = std::min(length, size - std::min(at, size));
    std::string_view text(reinterpret_cast<const char*>(data + at), length);
    at += length;
    return text;
  }
};

void CheckCursorInWindow(const Console& console) {
  const TextWindow& w = console.window;
  Check(w.left >= 1 && w.left <= w.right && w.right <= console.width);
  Check(w.top >= 1 && w.top <= w.bottom && w.bottom <= console.height);
  Check(console.cursorColumn >= w.left && console.cursorColumn <= w.right);
  Check(console.cursorRow >= w.top && console.cursorRow <= w.bottom);
}

void Operate(Console& console, Input& in) {
  switch (in.Byte() % 11) {
    case 0:
      SetForeground(console, in.Byte());
      break;
    case 1:
      SetBackground(console, in.Byte());
      break;
    case 2: {
      std::uint8_t left = in.Byte(), top = in.Byte(), right = in.Byte();
      SetWindow(console, left, top, right, in.Byte());
      break;
    }
    case 3: {
      std::uint8_t column = in.Byte();
      MoveCursor(console, column, in.Byte());
      break;
    }
    case 4:
      ClearWindow(console);
      break;
    case 5:
      ClearToLineEnd(console);
      break;
    case 6:
      WriteChar(console, in.Byte());
      break;
    case 7:
      WriteText(console, in.Text(in.Byte()));
      break;
    case 8: {
      std::int32_t value = 0;
      std::string_view bytes = in.Text(sizeof value);
      std::memcpy(&value, bytes.data(), bytes.size());
      WriteNumber(console, value, static_cast<std::int8_t>(in.Byte()));
      break;
    }
    case 9:
      WriteLineEnd(console);
      break;
    default:
      break;  // a frame is shown below
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto console = std::make_unique<Console>();
  static ScriptedDevice device;
  Input in{data, size};
  int width = 1 + in.Byte() % 100;
  int height = 1 + in.Byte() % 40;
  bool utf8 = (in.Byte() & 1) != 0;
  *console = Console{};
  OpenConsole(*console, device, width, height);
  TerminalScreen screen;
  screen.utf8 = utf8;
  TerminalEmulator terminal(width, height);
  while (!in.Empty()) {
    Operate(*console, in);
    CheckCursorInWindow(*console);
    if (in.Byte() % 4 != 0) continue;
    std::string out;
    RenderConsole(screen, *console, out);
    terminal.Feed(out);
    Check(terminal.Difference(*console, utf8).empty());
    out.clear();
    RenderConsole(screen, *console, out);
    Check(out.empty());
  }
  // Nothing beyond the screen may have been written.
  for (int row = 1; row <= kMaxScreenSide; ++row)
    for (int column = 1; column <= kMaxScreenSide; ++column)
      if (row > height || column > width) Check(CellAt(*console, column, row) == Cell{});
  return 0;
}

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/code_page_437.h"
#include "console/console.h"
#include "console/screen_renderer.h"

namespace kestrova {

// A strict model of a VT100-style terminal, enough to replay what the renderer sends: UTF-8
// text with deferred wrap at the last column, CR, BS, cursor addressing and moves, SGR colours
// and blink, and auto-wrap on and off. Anything else, and anything whose effect differs
// between real terminals (a relative move while a wrap is pending), is recorded as a fault.
struct TerminalEmulator {
  struct Shown {
    char32_t character = 'Z';
    int foreground = -1;  // SGR numbers, -1 for the terminal's default
    int background = -1;
    bool blink = false;
  };

  int width;
  int height;
  std::vector<Shown> cells;
  int column = 1;
  int row = 1;
  bool wrapPending = false;
  bool autoWrap = true;
  Shown pen;
  std::vector<std::string> faults;

  TerminalEmulator(int w, int h)
      : width(w), height(h), cells(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}

  Shown& At(int c, int r) {
    return cells[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(c - 1)];
  }

  void Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) i = Step(bytes, i);
  }

  // Faults, or the first cell and the cursor that differ from the console; empty when the
  // terminal shows exactly what the console holds.
  std::string Difference(const Console& console, bool utf8 = true) {
    if (!faults.empty()) return faults.front();
    for (int r = 1; r <= height; ++r) {
      for (int c = 1; c <= width; ++c) {
        const Cell& cell = CellAt(console, c, r);
        const Shown& shown = At(c, r);
        char32_t glyph = utf8 ? GlyphCodePoint(cell.character)
                              : static_cast<char32_t>(GlyphAscii(cell.character));
        if (shown.character != glyph ||
            shown.foreground != AnsiForeground(ForegroundOf(cell.attribute)) ||
            shown.background != AnsiBackground(BackgroundOf(cell.attribute)) ||
            shown.blink != BlinkOf(cell.attribute))
          return "cell " + std::to_string(c) + "," + std::to_string(r) + " differs";
      }
    }
    if (wrapPending || column != console.cursorColumn || row != console.cursorRow)
      return "cursor at " + std::to_string(column) + "," + std::to_string(row);
    return {};
  }

 private:
  void Fault(const std::string& what) { faults.push_back(what); }

  void Print(char32_t character) {
    if (wrapPending) {
      wrapPending = false;
      column = 1;
      if (row == height)
        Fault("the screen scrolled");
      else
        ++row;
    }
    Shown shown = pen;
    shown.character = character;
    At(column, row) = shown;
    if (column < width)
      ++column;
    else if (autoWrap)
      wrapPending = true;
  }

  std::size_t Step(std::string_view bytes, std::size_t i) {
    auto byte = static_cast<std::uint8_t>(bytes[i]);
    if (byte == 0x1B) return Escape(bytes, i);
    if (byte == '\r') {
      column = 1;
      wrapPending = false;
      return i + 1;
    }
    if (byte == '\b') {
      if (wrapPending) Fault("backspace while a wrap is pending");
      if (column > 1) --column;
      return i + 1;
    }
    if (byte < 0x20 || byte == 0x7F) {
      Fault("control byte " + std::to_string(byte));
      return i + 1;
    }
    if (byte < 0x80) {
      Print(byte);
      return i + 1;
    }
    std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    char32_t character = byte & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < bytes.size(); ++k)
      character = (character << 6) | (static_cast<std::uint8_t>(bytes[i + k]) & 0x3F);
    Print(character);
    return i + length;
  }

  std::size_t Escape(std::string_view bytes, std::size_t i) {
    if (i + 1 >= bytes.size() || bytes[i + 1] != '[') {
      Fault("escape without CSI");
      return i + 1;
    }
    std::size_t k = i + 2;
    bool isPrivate = k < bytes.size() && bytes[k] == '?';
    if (isPrivate) ++k;
    std::vector<int> parameters{-1};
    for (; k < bytes.size(); ++k) {
      char c = bytes[k];
      if (c >= '0' && c <= '9') {
        parameters.back() = (parameters.back() < 0 ? 0 : parameters.back()) * 10 + (c - '0');
      } else if (c == ';') {
        parameters.push_back(-1);
      } else {
        Control(isPrivate, parameters, c);
        return k + 1;
      }
    }
    Fault("sequence cut short");
    return k;
  }

  static int Count(const std::vector<int>& parameters, std::size_t index) {
    int value = index < parameters.size() ? parameters[index] : -1;
    return value <= 0 ? 1 : value;
  }

  void Control(bool isPrivate, const std::vector<int>& parameters, char final) {
    if (isPrivate) {
      if (parameters.size() == 1 && parameters[0] == 7 && (final == 'h' || final == 'l'))
        autoWrap = final == 'h';
      else
        Fault("private mode");
      return;
    }
    if (final == 'm') return Colours(parameters);
    bool relative = final != 'H';
    if (relative && wrapPending) Fault("relative move while a wrap is pending");
    wrapPending = false;
    switch (final) {
      case 'H':
        row = Count(parameters, 0);
        column = Count(parameters, 1);
        break;
      case 'A':
        row -= Count(parameters, 0);
        break;
      case 'B':
        row += Count(parameters, 0);
        break;
      case 'C':
        column += Count(parameters, 0);
        break;
      case 'D':
        column -= Count(parameters, 0);
        break;
      default:
        Fault(std::string("unknown final ") + final);
        break;
    }
    if (column < 1 || column > width || row < 1 || row > height) Fault("cursor off the screen");
  }

  void Colours(const std::vector<int>& parameters) {
    for (int p : parameters) {
      if (p <= 0)
        pen = Shown{};
      else if (p == 5 || p == 25)
        pen.blink = p == 5;
      else if ((p >= 30 && p <= 37) || (p >= 90 && p <= 97))
        pen.foreground = p;
      else if (p >= 40 && p <= 47)
        pen.background = p;
      else
        Fault("SGR " + std::to_string(p));
    }
  }
};

}  // namespace kestrova

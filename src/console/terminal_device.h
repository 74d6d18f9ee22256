#pragma once

#include <string>

#include "console/console.h"

namespace kestrova {

// The real terminal behind the console: raw mode on standard input, output of only the cells
// that differ from what the terminal shows, and key decoding of what terminals send.
class TerminalDevice final : public ConsoleDevice {
 public:
  TerminalDevice() = default;
  TerminalDevice(const TerminalDevice&) = delete;
  TerminalDevice& operator=(const TerminalDevice&) = delete;
  ~TerminalDevice() override;

  // Takes over the terminal: raw mode, signal handlers that give the terminal back, the key
  // protocols it offers. Returns false with a one-line reason, touching nothing, when standard
  // input or output is not a terminal or the terminal cannot address the cursor.
  bool Open(std::string& whyNot);
  // The size found at Open.
  int Width() const;
  int Height() const;

  void Show(const Console& console) override;
  KeyEvent NextKey() override;

  // Gives the terminal back exactly as Open found it (modes, protocols, visible cursor),
  // leaving the screen's contents as they are. Safe to call more than once.
  void Close();

 private:
  struct State;
  State* state_ = nullptr;
};

}  // namespace kestrova

// Drives the console on a real terminal for the tests:
//   console_probe scene              draws the probe scene, ends on any key
//   console_probe keys LOG           appends every key byte to LOG, one number a line; q ends
//   console_probe wait CODE PIDFILE  writes its pid, waits; e ends with exit code CODE
//   console_probe measure            one frame per key: the scene, an erase and redraw of
//                                    the same text, one changed cell, a cursor move, nothing
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/program_exit.h"
#include "console/terminal_device.h"
#include "probe_scene.h"

namespace {

using namespace kestrova;

void LogKeys(Console& console, const char* logPath) {
  for (;;) {
    std::uint8_t byte = NextKeyByte(console);
    std::ofstream log(logPath, std::ios::app);
    log << static_cast<int>(byte) << '\n';
    log.close();
    if (byte == 'q') return;
  }
}

void WaitToEnd(Console& console, int exitCode, const char* pidPath) {
  std::ofstream(pidPath) << getpid() << '\n';
  WriteText(console, "waiting");
  while (NextKeyByte(console) != 'e') {
  }
  WriteText(console, " done");
  EndProgram(exitCode);
}

// The frames scripts/measure-console.py counts, one per key, in this order.
void Measure(Console& console) {
  DrawProbeScene(console);
  NextKeyByte(console);  // the first frame: everything
  FillWindowScrolled(console);
  NextKeyByte(console);  // the window erased and written again as it was
  MoveCursor(console, 1, 1);
  WriteChar(console, 'X');
  NextKeyByte(console);  // one changed cell
  MoveCursor(console, 10, 4);
  NextKeyByte(console);  // the cursor moved
  NextKeyByte(console);  // nothing changed
}

int Run(Console& console, int argc, char** argv) {
  std::string_view scene = argc > 1 ? argv[1] : "";
  if (scene == "scene") {
    DrawProbeScene(console);
    NextKeyByte(console);
  } else if (scene == "keys" && argc > 2) {
    LogKeys(console, argv[2]);
  } else if (scene == "wait" && argc > 3) {
    WaitToEnd(console, std::atoi(argv[2]), argv[3]);
  } else if (scene == "measure") {
    Measure(console);
  } else {
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  TerminalDevice device;
  std::string whyNot;
  if (!device.Open(whyNot)) {
    std::fprintf(stderr, "console_probe: %s\n", whyNot.c_str());
    return 1;
  }
  auto console = std::make_unique<Console>();
  OpenConsole(*console, device, device.Width(), device.Height());
  int exitCode = 0;
  try {
    exitCode = Run(*console, argc, argv);
  } catch (const ProgramExit& exit) {
    exitCode = exit.exitCode;
  }
  ShowConsole(*console);
  device.Close();
  return exitCode;
}

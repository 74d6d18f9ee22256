#pragma once

namespace kestrova {

// Ends the program with an exit code. Thrown rather than exiting on the spot so that main can
// show the last frame and give the terminal back on the way out, and tests can catch it.
struct ProgramExit {
  int exitCode;
};

[[noreturn]] inline void EndProgram(int exitCode) { throw ProgramExit{exitCode}; }

}  // namespace kestrova

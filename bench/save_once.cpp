// One save of a 16-row font (8-row in GLCD mode with "glcd"), for counting the system calls a
// save makes: strace -c -e trace=write,pwrite64 save_once
#include <string_view>

#include "bench_font.h"
#include "export/save_font.h"

int main(int argc, char** argv) {
  bool glcdMode = argc > 1 && std::string_view(argv[1]) == "glcd";
  kestrova::BenchFont bench(glcdMode ? 8 : 16);
  kestrova::SaveFont(*bench.font, *bench.console, glcdMode);
  return 0;
}

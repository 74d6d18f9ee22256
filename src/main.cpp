#include <cstdio>

int main(int argc, char** argv) {
  (void)argv;
  if (argc < 2) {
    std::puts("Usage: KESTROVA <fontfile> [<character>]");
    return 1;
  }
  return 0;
}

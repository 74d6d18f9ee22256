#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/console.h"
#include "console/scripted_device.h"
#include "font/font_store.h"
#include "support/scratch_directory.h"

namespace kestrova {

// Runs each test in a scratch directory of its own.
class ScratchDirectoryTest : public ::testing::Test {
 protected:
  const std::filesystem::path& Directory() const { return scratch_.Path(); }
  std::vector<std::string> Entries() const { return scratch_.Entries(); }

 private:
  ScratchDirectory scratch_;
};

// The lines of a text, split at line feeds; the text's final line feed ends the last line.
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A pattern byte for every position, so that misplaced or lost bytes show.
inline std::string PatternBytes(std::size_t count, int seed) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<char>((i * 37 + static_cast<std::size_t>(seed)) & 0xFF);
  return bytes;
}

// The console of an in-process run, on the heap: it is too large for a test's stack frame.
struct ScriptedConsole {
  ScriptedDevice keys;
  std::unique_ptr<Console> console = std::make_unique<Console>();

  explicit ScriptedConsole(std::string_view keyBytes = {}) : keys(keyBytes) {
    OpenConsole(*console, keys, 80, 25);
  }

  // Rows 1 to `rows` joined, each without its trailing blanks, one line feed after each.
  std::string Screen(int rows = 4) const {
    std::string text;
    for (int row = 1; row <= rows; ++row) {
      std::string line = RowText(*console, row);
      line.erase(line.find_last_not_of(' ') + 1);
      text += line + '\n';
    }
    return text;
  }
};

}  // namespace kestrova

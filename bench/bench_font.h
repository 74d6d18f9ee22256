#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "console/console.h"
#include "console/scripted_device.h"
#include "font/font_store.h"

namespace kestrova {

// An open font full of pixels in a directory of its own, the way the editor holds it before a
// save; the directory goes when the font does.
struct BenchFont {
  std::filesystem::path directory;
  std::unique_ptr<FontStore> font = std::make_unique<FontStore>();
  ScriptedDevice keys;
  std::unique_ptr<Console> console = std::make_unique<Console>();

  explicit BenchFont(int height) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    directory = pattern;
    OpenConsole(*console, keys, 80, 25);
    font->height = static_cast<std::uint8_t>(height);
    font->fileName = (directory / "bench.fon").string();
    auto table = CurrentTable(*font);
    for (std::size_t i = 0; i < table.size(); ++i)
      table[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0x7E);
    font->fontFile.fd = ::open(font->fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (font->fontFile.fd < 0) std::abort();
  }
  BenchFont(const BenchFont&) = delete;
  BenchFont& operator=(const BenchFont&) = delete;
  ~BenchFont() {
    CloseFontFile(font->fontFile);
    std::filesystem::remove_all(directory);
  }
};

}  // namespace kestrova

#pragma once

#include <sys/types.h>
#include <string_view>

#include "console/console.h"
#include "font/font_store.h"

namespace kestrova {

// Resolves the font file name from command-line argument 1 (empty when absent), finds the
// height from the file's size or asks for it, opens or creates the file and reads the glyph
// table. On return fileName, height and fontFile are set and modified is false. Every failure
// ends the program (EndProgram, or the input/output failure report).
void LoadFont(FontStore& font, Console& console, std::string_view argument1);

// The size of the named file in bytes, or 0 when it does not exist. Any other failure writes
// "ERROR opening file <name>" and ends the program with exit code 1.
off_t ProbeFileSize(Console& console, const std::string& fileName);

}  // namespace kestrova

#pragma once

#include <sys/types.h>
#include <cstdint>
#include <string>
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

// Argument 1 as the font file name: ".fon" is added when the name holds no "." anywhere. The
// name is kept whole, however long, so that it always names the file the user gave.
std::string ResolveFontFileName(std::string_view argument1);

// The new-font size prompt: 8, 14 or 16, or the end of the program (exit code 0) on Esc.
std::uint8_t AskFontHeight(Console& console);

// "ERROR(<code>): Could not open file <name>" and the code's reason line, if it has one; then
// the program ends with the code as its exit code.
[[noreturn]] void ReportOpenError(Console& console, int code, const std::string& fileName);

}  // namespace kestrova

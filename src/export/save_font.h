#pragma once

#include "console/console.h"
#include "font/font_store.h"

namespace kestrova {

// Writes the current table into fontFile from offset 0, clears modified and regenerates the
// assembler include file (column-major when glcdMode is on). Ends the program when the include
// file cannot be created, or through the input/output failure report when a write fails.
void SaveFont(FontStore& font, Console& console, bool glcdMode);

}  // namespace kestrova

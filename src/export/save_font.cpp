#include "export/save_font.h"

#include <fcntl.h>

#include <string>

#include "console/program_exit.h"
#include "export/include_text.h"
#include "font/file_io.h"

namespace kestrova {

namespace {

constexpr int kIncludeNotCreatedExitCode = 1;

// Replaces any file of that name. A failure ends the program with its message: the binary
// file is already written and no glyph has been turned yet.
int CreateIncludeFile(Console& console, const std::string& name) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd >= 0) return fd;
  WriteLine(console, "ERROR: Cannot create ASCII font file");
  EndProgram(kIncludeNotCreatedExitCode);
}

}  // namespace

void SaveFont(FontStore& font, Console& console, bool glcdMode) {
  WriteBlockAt(font.fontFile.fd, CurrentTable(font), 0);
  font.modified = false;
  OwnedDescriptor include(CreateIncludeFile(console, IncludeFileName(font.fileName)));
  WriteBlock(include.fd, BuildIncludeText(font, glcdMode));
  CloseOrFail(include.Release());
}

}  // namespace kestrova

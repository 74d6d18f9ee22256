#include "export/save_font.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "console/program_exit.h"
#include "export/include_text.h"
#include "font/file_io.h"

namespace kestrova {

namespace {

constexpr int kIncludeNotCreatedExitCode = 1;

bool IsSameFile(int fd, int otherFd) {
  struct stat status {};
  struct stat otherStatus {};
  return ::fstat(fd, &status) == 0 && ::fstat(otherFd, &otherStatus) == 0 &&
         status.st_dev == otherStatus.st_dev && status.st_ino == otherStatus.st_ino;
}

// A failure ends the program with its message: the binary file is already written and no glyph
// has been turned yet. A font file whose name makes it its own include file (x.inc) counts as
// such a failure, since the text would overwrite the glyphs. An existing file is not truncated
// on opening but overwritten and then cut to the new length: ext4 flushes a file that was
// truncated to nothing and written again to disk when it is closed, which costs many times the
// save itself, and the result is the same.
int CreateIncludeFile(Console& console, const std::string& name, int fontFd) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd >= 0 && !IsSameFile(fd, fontFd)) return fd;
  if (fd >= 0) ::close(fd);
  WriteLine(console, "ERROR: Cannot create ASCII font file");
  EndProgram(kIncludeNotCreatedExitCode);
}

}  // namespace

void SaveFont(FontStore& font, Console& console, bool glcdMode) {
  WriteBlockAt(font.fontFile.fd, CurrentTable(font), 0);
  font.modified = false;
  OwnedDescriptor include(
      CreateIncludeFile(console, IncludeFileName(font.fileName), font.fontFile.fd));
  // Kept from save to save, so that its pages are reused instead of being mapped afresh.
  static std::string text;
  BuildIncludeText(font, glcdMode, text);
  WriteBlock(include.fd, text);
  TruncateBeyond(include.fd, static_cast<off_t>(text.size()));
  CloseOrFail(include.Release());
}

}  // namespace kestrova

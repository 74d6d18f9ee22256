#include "font/load_font.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "console/program_exit.h"
#include "export/save_font.h"
#include "font/file_error.h"
#include "font/file_io.h"

namespace kestrova {

namespace {

constexpr int kFailureExitCode = 1;
constexpr std::uint8_t kEscape = 27;

int OpenForReadAndWrite(const std::string& fileName) {
  int fd;
  do {
    fd = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

[[noreturn]] void EndWithLine(Console& console, std::string_view line, int exitCode) {
  WriteLine(console, line);
  EndProgram(exitCode);
}

bool IsSupportedHeight(off_t quotient) {
  return quotient == 0 || quotient == 8 || quotient == 14 || quotient == 16;
}

const char* OpenErrorReason(int code) {
  switch (code) {
    case 3:
      return "Path not found";
    case 4:
      return "Too many open files";
    case 5:
      return "Access denied";
    case 6:
      return "Invalid file handle";
    case 12:
      return "Invalid file-access mode";
    case 15:
      return "Invalid disk number";
    default:
      return nullptr;
  }
}

// A new font: the file is created empty, then saved at once, which writes its zero glyphs and
// the include file.
void CreateFontFile(FontStore& font, Console& console) {
  int fd = ::open(font.fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) FailInOut(FileErrorOfPath(errno, font.fileName));
  font.fontFile.fd = fd;
  SaveFont(font, console, false);
}

void OpenFontFile(FontStore& font, Console& console) {
  int fd = OpenForReadAndWrite(font.fileName);
  if (fd >= 0) {
    font.fontFile.fd = fd;
    return;
  }
  int code = FileErrorOfPath(errno, font.fileName);
  if (code != kFileNotFound) ReportOpenError(console, code, font.fileName);
  CreateFontFile(font, console);
}

}  // namespace

std::string ResolveFontFileName(std::string_view argument1) {
  std::string fileName(argument1);
  if (fileName.find('.') == std::string::npos) fileName += ".fon";
  return fileName;
}

off_t ProbeFileSize(Console& console, const std::string& fileName) {
  int fd = OpenForReadAndWrite(fileName);
  if (fd < 0) {
    if (FileErrorOfPath(errno, fileName) == kFileNotFound) return 0;
    EndWithLine(console, "ERROR opening file " + fileName, kFailureExitCode);
  }
  struct stat status {};
  bool sized = ::fstat(fd, &status) == 0;
  bool closed = ::close(fd) == 0 || errno == EINTR;
  if (!sized || !closed) EndWithLine(console, "ERROR opening file " + fileName, kFailureExitCode);
  return status.st_size;
}

std::uint8_t AskFontHeight(Console& console) {
  WriteText(console, "Creating new font. What size font do you want? (Esc, [8],1[4],1[6]) ");
  for (;;) {
    std::uint8_t key = NextKeyByte(console);
    if (key == 0) {
      NextKeyByte(console);
      continue;
    }
    switch (key) {
      case kEscape:
        EndProgram(0);
      case '8':
        return 8;
      case '4':
        return 14;
      case '6':
        return 16;
      default:
        break;
    }
  }
}

void ReportOpenError(Console& console, int code, const std::string& fileName) {
  WriteLine(console, "ERROR(" + std::to_string(code) + "): Could not open file " + fileName);
  if (const char* reason = OpenErrorReason(code)) WriteLine(console, reason);
  EndProgram(code);
}

void LoadFont(FontStore& font, Console& console, std::string_view argument1) {
  IgnoreFileSizeSignal();
  if (argument1.empty())
    EndWithLine(console, "Usage: KESTROVA <fontfile> [<character>]", kFailureExitCode);
  font.fileName = ResolveFontFileName(argument1);

  off_t quotient = ProbeFileSize(console, font.fileName) / 256;
  if (!IsSupportedHeight(quotient))
    EndWithLine(console, "ERROR: Cannot operate on fonts other than 8x8, 8x14, or 8x16",
                kFailureExitCode);
  font.height = static_cast<std::uint8_t>(quotient);
  if (font.height == 0) font.height = AskFontHeight(console);

  OpenFontFile(font, console);
  ReadBlockAt(font.fontFile.fd, CurrentTable(font), 0);
  font.modified = false;
}

}  // namespace kestrova

#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kestrova {

// The program's file error numbers: 2 file not found, 3 path not found, 4 too many open files,
// 5 access denied, 6 invalid file handle, 12 invalid file-access mode, 15 invalid disk number,
// 100 read past end of file, 101 disk full. Other errno values map to numbers of their own.
int FileErrorFromErrno(int errnoValue);

// FileErrorFromErrno for a failed open of `path`: a missing file whose directory is missing
// too is "path not found" (3) rather than "file not found" (2).
int FileErrorOfPath(int errnoValue, std::string_view path);

inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kReadPastEndOfFile = 100;
inline constexpr int kDiskFull = 101;

// An input/output failure that nothing handles: it ends the program with exit code 217 and
// the run-time error report on standard error. Carries the code addresses of the failing
// place and of the calls that led to it.
struct InOutError {
  int code = 0;
  std::array<void*, 32> frames{};
  int frameCount = 0;
};

// Records where the failure happened and throws InOutError.
[[noreturn]] void FailInOut(int fileErrorCode);

// The message of a file error code in the run-time error report.
std::string InOutErrorMessage(int fileErrorCode);

// The four-part report written to standard error, ending with its empty line.
std::string RunTimeErrorReport(const InOutError& error);

inline constexpr int kInOutErrorExitCode = 217;

// A write beyond the file size limit must fail with EFBIG (reported as disk full) instead of
// killing the program before it can report anything. LoadFont calls this first.
void IgnoreFileSizeSignal();

}  // namespace kestrova

#include "font/file_error.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <sys/stat.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kestrova {

namespace {

// An errno value whose own number means something else in the program's numbering would be
// reported as that other failure; such values are reported as a device failure instead.
constexpr int kDeviceFailure = 162;
constexpr int kOutOfMemory = 8;

bool IsNamedFileError(int code) {
  switch (code) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 12:
    case 15:
    case 100:
    case 101:
      return true;
    default:
      return false;
  }
}

bool IsDirectory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string ParentDirectory(std::string_view path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

// The executable's load address, so that reported addresses stay the same from run to run
// whatever address the loader chose.
std::uintptr_t ExecutableBase() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&RunTimeErrorReport), &info) == 0) return 0;
  return reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

bool InExecutable(void* address, std::uintptr_t base) {
  Dl_info info{};
  return ::dladdr(address, &info) != 0 && reinterpret_cast<std::uintptr_t>(info.dli_fbase) == base;
}

// The frames are return addresses; one byte back lies inside the call itself, which also keeps
// a call that never returns from naming the routine that happens to follow it.
std::vector<std::uint32_t> ReportedAddresses(const InOutError& error) {
  std::uintptr_t base = ExecutableBase();
  std::vector<std::uint32_t> addresses;
  for (int i = 0; i < error.frameCount; ++i) {
    void* frame = error.frames[static_cast<std::size_t>(i)];
    if (!InExecutable(frame, base)) continue;
    addresses.push_back(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(frame) - 1 - base));
  }
  return addresses;
}

std::string HexAddress(std::uint32_t address) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", address);
  return text;
}

}  // namespace

int FileErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kPathNotFound;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY:
      return 5;
    case EBADF:
      return 6;
    case EINVAL:
      return 12;
    case ENODEV:
    case ENXIO:
    case ENOTBLK:
      return 15;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return kDiskFull;
    case ENOMEM:
      return kOutOfMemory;
    default:
      return IsNamedFileError(errnoValue) ? kDeviceFailure : errnoValue;
  }
}

int FileErrorOfPath(int errnoValue, std::string_view path) {
  if (errnoValue == ENOENT && !IsDirectory(ParentDirectory(path))) return kPathNotFound;
  return FileErrorFromErrno(errnoValue);
}

// Not inlined, so that its return address is the failing place. The frames before that one
// are FailInOut's own and those of whatever wraps backtrace (a sanitizer's interceptor).
[[noreturn]] __attribute__((noinline)) void FailInOut(int fileErrorCode) {
  std::array<void*, 40> frames{};
  int count = ::backtrace(frames.data(), static_cast<int>(frames.size()));
  void* failingPlace = __builtin_return_address(0);
  int first = 0;
  while (first < count && frames[static_cast<std::size_t>(first)] != failingPlace) ++first;
  if (first == count) first = 0;

  InOutError error;
  error.code = fileErrorCode;
  for (int i = first; i < count && error.frameCount < static_cast<int>(error.frames.size()); ++i)
    error.frames[static_cast<std::size_t>(error.frameCount++)] =
        frames[static_cast<std::size_t>(i)];
  throw error;
}

std::string InOutErrorMessage(int fileErrorCode) {
  switch (fileErrorCode) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "Access denied";
    case 6:
      return "Invalid file handle";
    case 15:
      return "Invalid drive specified";
    case 100:
      return "Read past end of file";
    case 101:
      return "Disk Full";
    case 102:
      return "File not assigned";
    case 103:
      return "File not open";
    case 104:
      return "File not open for input";
    case 105:
      return "File not open for output";
    case 106:
      return "Invalid input";
    default: {
      char text[48];
      std::snprintf(text, sizeof text, "Unknown Run-Time error : %3.3d", fileErrorCode);
      return text;
    }
  }
}

std::string RunTimeErrorReport(const InOutError& error) {
  std::vector<std::uint32_t> addresses = ReportedAddresses(error);
  std::string report = "An unhandled exception occurred at $";
  report += HexAddress(addresses.empty() ? 0 : addresses.front());
  report += ":\nEInOutError: ";
  report += InOutErrorMessage(error.code);
  report += '\n';
  for (std::uint32_t address : addresses) report += "  $" + HexAddress(address) + '\n';
  report += '\n';
  return report;
}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace kestrova

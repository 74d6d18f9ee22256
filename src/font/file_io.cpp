#include "font/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "font/file_error.h"

namespace kestrova {

namespace {

// A write that stores nothing without giving a reason has run out of room.
[[noreturn]] void FailWrite(ssize_t written) {
  FailInOut(written == 0 ? kDiskFull : FileErrorFromErrno(errno));
}

}  // namespace

void WriteBlockAt(int fd, std::span<const std::uint8_t> bytes, off_t offset) {
  while (!bytes.empty()) {
    ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) FailWrite(written);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    offset += written;
  }
}

void WriteBlock(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) FailWrite(written);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void TruncateBeyond(int fd, off_t length) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) FailInOut(FileErrorFromErrno(errno));
  if (!S_ISREG(status.st_mode) || status.st_size <= length) return;
  if (::ftruncate(fd, length) != 0) FailInOut(FileErrorFromErrno(errno));
}

void ReadBlockAt(int fd, std::span<std::uint8_t> bytes, off_t offset) {
  while (!bytes.empty()) {
    ssize_t got = ::pread(fd, bytes.data(), bytes.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) FailInOut(FileErrorFromErrno(errno));
    if (got == 0) FailInOut(kReadPastEndOfFile);
    bytes = bytes.subspan(static_cast<std::size_t>(got));
    offset += got;
  }
}

// Linux releases the descriptor even when close is interrupted, so EINTR is no failure.
void CloseOrFail(int fd) {
  if (::close(fd) != 0 && errno != EINTR) FailInOut(FileErrorFromErrno(errno));
}

OwnedDescriptor::~OwnedDescriptor() {
  if (fd >= 0) ::close(fd);
}

int OwnedDescriptor::Release() {
  int released = fd;
  fd = -1;
  return released;
}

}  // namespace kestrova

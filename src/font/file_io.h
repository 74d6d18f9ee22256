#pragma once

#include <sys/types.h>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrova {

// Block transfers that either complete or end the program through FailInOut: a file operation
// that fails is never passed over or reported as success.

// Writes every byte at `offset`, leaving the file position alone.
void WriteBlockAt(int fd, std::span<const std::uint8_t> bytes, off_t offset);

// Writes every byte at the file position.
void WriteBlock(int fd, std::string_view bytes);

// Cuts a regular file that is longer than `length` down to it; other files stay as they are.
void TruncateBeyond(int fd, off_t length);

// Fills `bytes` from `offset`; a file that ends first is "read past end of file".
void ReadBlockAt(int fd, std::span<std::uint8_t> bytes, off_t offset);

// Closes a descriptor that was written to; a failing close can mean lost data.
void CloseOrFail(int fd);

// A descriptor owned by one scope. When the program ends early on the way it is closed without
// a check; the normal path hands it to CloseOrFail through Release.
struct OwnedDescriptor {
  int fd = -1;

  explicit OwnedDescriptor(int descriptor) : fd(descriptor) {}
  OwnedDescriptor(const OwnedDescriptor&) = delete;
  OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
  ~OwnedDescriptor();

  int Release();
};

}  // namespace kestrova

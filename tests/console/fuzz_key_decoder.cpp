// Any bytes a terminal might send, one read at a time as the device gets them: decoding
// always moves on, never reads past what it was given, and ends when the Esc timeout comes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/key_decoder.h"

namespace {

using kestrova::DecodedInput;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckKey(const DecodedInput& decoded) {
  if (decoded.kind != DecodedInput::Kind::Key) return;
  if (decoded.key.kind == kestrova::KeyEvent::Kind::Character) Check(decoded.key.code != 0);
  if (decoded.key.kind == kestrova::KeyEvent::Kind::AltDigit) Check(decoded.key.code <= 9);
}

// Decodes what is pending; with `timedOut` nothing may be left.
void Drain(kestrova::KeyDecoder& decoder, std::string& pending, bool timedOut) {
  while (!pending.empty()) {
    DecodedInput decoded = kestrova::DecodeInput(decoder, pending, timedOut);
    if (decoded.kind == DecodedInput::Kind::Incomplete) {
      Check(!timedOut && decoded.length == 0);
      return;
    }
    Check(decoded.length > 0 && decoded.length <= pending.size());
    CheckKey(decoded);
    pending.erase(0, decoded.length);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  kestrova::KeyDecoder decoder;
  decoder.utf8 = (data[0] & 1) != 0;
  decoder.releasesReported = (data[0] & 2) != 0;
  // Bits 2-4 of the first byte choose how many bytes each read brings.
  std::size_t readSize = 1 + ((data[0] >> 2) & 7);
  std::string pending;
  for (std::size_t at = 1; at < size; at += readSize) {
    pending.append(reinterpret_cast<const char*>(data + at), std::min(readSize, size - at));
    Drain(decoder, pending, false);
  }
  Drain(decoder, pending, true);
  return 0;
}

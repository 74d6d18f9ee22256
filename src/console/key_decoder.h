#pragma once

#include <cstddef>
#include <string_view>

#include "console/console.h"

namespace kestrova {

// What the decoder knows about the terminal's keyboard, changed by the device when the
// terminal answers its questions and by the decoder itself as modifier keys go down and up.
struct KeyDecoder {
  bool utf8 = true;  // typed characters arrive as UTF-8
  // The terminal reports releases and modifier keys of their own (kitty keyboard protocol
  // with its event and all-keys flags): only then can Alt composition be offered.
  bool releasesReported = false;
  bool leftAltDown = false;
  bool rightAltDown = false;
};

// The outcome of decoding the start of the bytes a terminal sent.
struct DecodedInput {
  enum class Kind : std::uint8_t {
    Incomplete,        // a sequence has begun: wait for more bytes or for the Esc timeout
    Key,               // `key`
    Nothing,           // input that is no key (a release, a lone modifier, an unknown sequence)
    Interrupt,         // Ctrl+C or Ctrl+Break sent as a key: the program must end at once
    KeyProtocolFlags,  // the kitty keyboard protocol's answer to a flags query
    DeviceAttributes,  // the answer to the primary device attributes request
  };
  Kind kind = Kind::Incomplete;
  std::size_t length = 0;  // bytes used; 0 only when Incomplete
  KeyEvent key{};
  int flags = 0;  // KeyProtocolFlags: the flags in force
};

// Decodes the first key (or answer) of `bytes`, which must not be empty. With `timedOut` the
// terminal has sent nothing more for a while, so whatever has begun is taken as it stands:
// a lone ESC is the Esc key, ESC and a character is Alt with that key, and a sequence cut
// short is dropped. A timed-out decode is never Incomplete.
DecodedInput DecodeInput(KeyDecoder& decoder, std::string_view bytes, bool timedOut);

}  // namespace kestrova

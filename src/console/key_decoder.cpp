#include "console/key_decoder.h"

#include <array>
#include <optional>

#include "console/code_page_437.h"

namespace kestrova {

namespace {

using Kind = DecodedInput::Kind;

constexpr std::uint8_t kEsc = 0x1B;
// Longer than any key sequence or answer a terminal sends; a longer one is garbage.
constexpr std::size_t kLongestSequence = 64;

enum class NamedKey : std::uint8_t {
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  Home,
  Up,
  PageUp,
  Left,
  Begin,
  Right,
  End,
  Down,
  PageDown,
  Insert,
  Delete,
  Enter,
  Tab,
  Backspace,
  Escape,
  KeypadSlash,
};

struct Modifiers {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
  bool capsLock = false;
};

// Terminals send 1 + the modifier bits: shift 1, alt 2, ctrl 4, caps lock 64.
Modifiers ModifiersOf(long parameter) {
  long bits = parameter > 1 ? parameter - 1 : 0;
  return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 64) != 0};
}

struct NavigationCodes {
  std::uint8_t alone, shift, ctrl;
  int altDigit;  // the composition digit of the key's keypad twin; -1 for Del
};

// Home, Up, PageUp, Left, Begin (keypad 5), Right, End, Down, PageDown, Insert, Delete.
constexpr std::array<NavigationCodes, 11> kNavigation = {{
    {71, 71, 119, 7},
    {72, 72, 141, 8},
    {73, 73, 132, 9},
    {75, 75, 115, 4},
    {76, 76, 143, 5},
    {77, 77, 116, 6},
    {79, 79, 117, 1},
    {80, 80, 145, 2},
    {81, 81, 118, 3},
    {82, 82, 146, 0},
    {83, 83, 147, -1},
}};
constexpr std::uint8_t kAltDelete = 163;

DecodedInput Event(KeyEvent::Kind kind, int code) {
  return {Kind::Key, 0, {kind, static_cast<std::uint8_t>(code)}, 0};
}
DecodedInput Extended(int code) { return Event(KeyEvent::Kind::Extended, code); }
DecodedInput Character(int code) { return Event(KeyEvent::Kind::Character, code); }
DecodedInput Dropped() { return {Kind::Nothing, 0, {}, 0}; }
DecodedInput Incomplete() { return {}; }

DecodedInput WithLength(DecodedInput input, std::size_t length) {
  input.length = length;
  return input;
}

// Where releases cannot be seen a composition could never end, so its digits give nothing.
DecodedInput AltDigit(const KeyDecoder& decoder, int digit) {
  return decoder.releasesReported ? Event(KeyEvent::Kind::AltDigit, digit) : Dropped();
}

// Alt wins over Ctrl, and Ctrl over Shift.
DecodedInput NamedKeyInput(const KeyDecoder& decoder, NamedKey key, Modifiers m) {
  auto index = static_cast<int>(key);
  if (key <= NamedKey::F10) {
    if (m.alt) return Extended(104 + index);
    if (m.ctrl) return Extended(94 + index);
    if (m.shift) return Extended(84 + index);
    return Extended(59 + index);
  }
  if (key <= NamedKey::F12) {
    int twelve = index - static_cast<int>(NamedKey::F11);
    if (m.alt) return Extended(139 + twelve);
    if (m.ctrl) return Extended(137 + twelve);
    if (m.shift) return Extended(135 + twelve);
    return Extended(133 + twelve);
  }
  if (key <= NamedKey::Delete) {
    const NavigationCodes& codes =
        kNavigation[static_cast<std::size_t>(index - static_cast<int>(NamedKey::Home))];
    if (m.alt) return codes.altDigit < 0 ? Extended(kAltDelete) : AltDigit(decoder, codes.altDigit);
    if (m.ctrl) return Extended(codes.ctrl);
    return Extended(m.shift ? codes.shift : codes.alone);
  }
  switch (key) {
    case NamedKey::Enter:
      if (m.alt) return Extended(166);
      return Character(m.ctrl ? 10 : 13);
    case NamedKey::Tab:
      if (m.alt || m.shift) return Extended(15);
      return m.ctrl ? Extended(148) : Character(9);
    case NamedKey::Backspace:
      if (m.alt) return Extended(14);
      return Character(m.ctrl ? 127 : 8);
    case NamedKey::Escape:
      return m.alt ? Extended(1) : Character(27);
    default:  // the keypad's / key
      if (m.alt) return Extended(164);
      return Extended(m.ctrl ? 149 : 53);
  }
}

int LetterScanCode(char lower) {
  static constexpr std::array<std::uint8_t, 26> kLetters = {30, 48, 46, 32, 18, 33, 34, 35, 23,
                                                            36, 37, 38, 50, 49, 24, 25, 16, 19,
                                                            31, 20, 22, 47, 17, 45, 21, 44};
  return kLetters[static_cast<std::size_t>(lower - 'a')];
}

// The extended code of a character key pressed with the left Alt key: the key's scan code,
// except the top row 1 to 0, - and =, which give 120 to 131. Shifted characters name the
// same key. 0 when no PC key types the character.
int AltCodeOfCharacter(std::uint32_t c) {
  if (c >= 'a' && c <= 'z') return LetterScanCode(static_cast<char>(c));
  if (c >= 'A' && c <= 'Z') return LetterScanCode(static_cast<char>(c - 'A' + 'a'));
  if (c >= '1' && c <= '9') return 120 + static_cast<int>(c - '1');
  switch (c) {
    case '0':
    case ')':
      return 129;
    case '!':
      return 120;
    case '@':
      return 121;
    case '#':
      return 122;
    case '$':
      return 123;
    case '%':
      return 124;
    case '^':
      return 125;
    case '&':
      return 126;
    case '*':
      return 127;
    case '(':
      return 128;
    case '-':
    case '_':
      return 130;
    case '=':
    case '+':
      return 131;
    case '[':
    case '{':
      return 26;
    case ']':
    case '}':
      return 27;
    case ';':
    case ':':
      return 39;
    case '\'':
    case '"':
      return 40;
    case '`':
    case '~':
      return 41;
    case '\\':
    case '|':
      return 43;
    case ',':
    case '<':
      return 51;
    case '.':
    case '>':
      return 52;
    case '/':
    case '?':
      return 53;
    case ' ':
      return 57;
    default:
      return 0;
  }
}

DecodedInput AltCharacter(std::uint32_t c) {
  int code = AltCodeOfCharacter(c);
  return code != 0 ? Extended(code) : Dropped();
}

// ESC followed by one byte: that key with the left Alt key held.
DecodedInput AltByte(std::uint8_t byte) {
  switch (byte) {
    case '\r':
    case '\n':
      return Extended(166);
    case '\t':
      return Extended(15);
    case 8:
    case 127:
      return Extended(14);
    case 0:
      return Extended(57);
    case 28:
      return Extended(43);
    case 29:
      return Extended(27);
    case 30:
      return Extended(125);
    case 31:
      return Extended(130);
    default:
      break;
  }
  if (byte >= 1 && byte <= 26) return Extended(LetterScanCode(static_cast<char>('a' + byte - 1)));
  return AltCharacter(byte);
}

DecodedInput PlainByte(std::uint8_t byte) {
  switch (byte) {
    case 0:  // Ctrl+Space: a zero would announce an extended key
      return Dropped();
    case 3:  // only reaches us when the terminal does not turn Ctrl+C into a signal
      return {Kind::Interrupt, 0, {}, 0};
    case 127:  // what Backspace sends everywhere
      return Character(8);
    default:
      return Character(byte);
  }
}

DecodedInput CodePageCharacter(std::uint32_t codePoint) {
  int byte = CodePageByteOf(codePoint);
  return byte > 0 ? Character(byte) : Dropped();
}

DecodedInput DecodeUtf8(std::string_view bytes, bool timedOut) {
  auto lead = static_cast<std::uint8_t>(bytes[0]);
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (lead < 0xC2 || lead > 0xF4) return WithLength(Dropped(), 1);
  std::uint32_t codePoint = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= bytes.size()) return timedOut ? WithLength(Dropped(), i) : Incomplete();
    auto next = static_cast<std::uint8_t>(bytes[i]);
    if ((next & 0xC0) != 0x80) return WithLength(Dropped(), i);
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  return WithLength(CodePageCharacter(codePoint), length);
}

// A control sequence split into its parts: CSI [prefix] parameters [intermediates] final.
// Parameters are separated by ';', sub-parameters by ':'; -1 marks one left empty.
struct Sequence {
  char prefix = 0;
  char final = 0;
  bool hasIntermediate = false;
  std::array<std::array<long, 3>, 4> parameters{};
  std::size_t length = 0;

  Sequence() {
    for (auto& parameter : parameters) parameter.fill(-1);
  }
  long At(std::size_t index, std::size_t sub, long fallback) const {
    long value = parameters[index][sub];
    return value < 0 ? fallback : value;
  }
};

enum class ScanResult : std::uint8_t { Complete, Incomplete, Broken };

// No terminal sends a sequence this long: it is dropped up to and with its final byte, so
// that none of it shows up as typed characters.
ScanResult SkipOverlongSequence(std::string_view bytes, std::size_t i, Sequence& sequence) {
  while (i < bytes.size() && static_cast<std::uint8_t>(bytes[i]) >= 0x20 &&
         static_cast<std::uint8_t>(bytes[i]) < 0x40)
    ++i;
  bool hasFinal = i < bytes.size() && static_cast<std::uint8_t>(bytes[i]) >= 0x40 &&
                  static_cast<std::uint8_t>(bytes[i]) < 0x7F;
  sequence.length = hasFinal ? i + 1 : i;
  return ScanResult::Broken;
}

// Reads the parameters and final byte that follow the introducer (which is `start` bytes long).
ScanResult ScanSequence(std::string_view bytes, std::size_t start, bool allowPrefix,
                        Sequence& sequence) {
  std::size_t parameter = 0;
  std::size_t sub = 0;
  for (std::size_t i = start; i < bytes.size(); ++i) {
    auto c = static_cast<std::uint8_t>(bytes[i]);
    sequence.length = i + 1;
    if (i + 1 > kLongestSequence) return SkipOverlongSequence(bytes, i, sequence);
    if (allowPrefix && i == start && (c == '<' || c == '=' || c == '>' || c == '?')) {
      sequence.prefix = static_cast<char>(c);
    } else if (c >= '0' && c <= '9') {
      long& value = sequence.parameters[parameter][sub];
      if (value < 0) value = 0;
      if (value < 10'000'000) value = value * 10 + (c - '0');
    } else if (c == ';') {
      if (parameter + 1 < sequence.parameters.size()) ++parameter;
      sub = 0;
    } else if (c == ':') {
      if (sub + 1 < sequence.parameters[parameter].size()) ++sub;
    } else if (c == '$') {
      // urxvt ends Shift+key sequences with it: no key sequence uses it as an intermediate.
      sequence.final = '$';
      return ScanResult::Complete;
    } else if (c >= 0x20 && c <= 0x2F) {
      sequence.hasIntermediate = true;
    } else if (c >= 0x40 && c <= 0x7E) {
      sequence.final = static_cast<char>(c);
      return ScanResult::Complete;
    } else {
      // A byte that cannot be part of a sequence: drop what came before it, keep it.
      sequence.length = i;
      return ScanResult::Broken;
    }
  }
  return ScanResult::Incomplete;
}

bool NamedKeyOfFinal(char final, NamedKey& key) {
  switch (final) {
    case 'A':
      key = NamedKey::Up;
      return true;
    case 'B':
      key = NamedKey::Down;
      return true;
    case 'C':
      key = NamedKey::Right;
      return true;
    case 'D':
      key = NamedKey::Left;
      return true;
    case 'H':
      key = NamedKey::Home;
      return true;
    case 'F':
      key = NamedKey::End;
      return true;
    case 'E':
    case 'G':
      key = NamedKey::Begin;
      return true;
    case 'P':
      key = NamedKey::F1;
      return true;
    case 'Q':
      key = NamedKey::F2;
      return true;
    case 'R':
      key = NamedKey::F3;
      return true;
    case 'S':
      key = NamedKey::F4;
      return true;
    default:
      return false;
  }
}

// CSI n ~ keys. The Linux console and urxvt send Shift+F3 to Shift+F10 as 25 to 34.
bool NamedKeyOfNumber(long number, NamedKey& key, bool& shifted) {
  shifted = false;
  switch (number) {
    case 1:
    case 7:
      key = NamedKey::Home;
      return true;
    case 2:
      key = NamedKey::Insert;
      return true;
    case 3:
      key = NamedKey::Delete;
      return true;
    case 4:
    case 8:
      key = NamedKey::End;
      return true;
    case 5:
      key = NamedKey::PageUp;
      return true;
    case 6:
      key = NamedKey::PageDown;
      return true;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      key = static_cast<NamedKey>(number - 11);
      return true;
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      key = static_cast<NamedKey>(number - 12);
      return true;
    case 23:
    case 24:
      key = static_cast<NamedKey>(number - 13);
      return true;
    case 25:
    case 26:
      shifted = true;
      key = static_cast<NamedKey>(number - 23);
      return true;
    case 28:
    case 29:
      shifted = true;
      key = static_cast<NamedKey>(number - 24);
      return true;
    case 31:
    case 32:
    case 33:
    case 34:
      shifted = true;
      key = static_cast<NamedKey>(number - 25);
      return true;
    default:
      return false;
  }
}

// kitty keyboard protocol key numbers.
constexpr long kKittyLeftAlt = 57443;
constexpr long kKittyRightAlt = 57449;
constexpr long kKittyPause = 57362;
constexpr long kKittyKeypadZero = 57399;
constexpr long kKittyKeypadNine = 57408;
constexpr long kKittyKeypadDivide = 57410;
constexpr long kKittyKeypadEnter = 57414;
constexpr long kKittyKeypadLeft = 57417;
constexpr long kKittyKeypadBegin = 57427;
constexpr long kKittyFirstFunctional = 57344;
constexpr int kReleaseEvent = 3;

DecodedInput KeypadCharacter(long key) {
  switch (key) {
    case 57409:
      return Character('.');
    case 57411:
      return Character('*');
    case 57412:
      return Character('-');
    case 57413:
      return Character('+');
    case 57415:
      return Character('=');
    case 57416:
      return Character(',');
    default:
      return Dropped();
  }
}

// Ctrl with a character key: the control byte the key has, or the plain character.
DecodedInput ControlCharacter(long key) {
  if (key >= 'a' && key <= 'z') return Character(static_cast<int>(key - 'a' + 1));
  if (key >= 'A' && key <= 'Z') return Character(static_cast<int>(key - 'A' + 1));
  switch (key) {
    case ' ':
    case '@':
    case '2':
      return Dropped();  // byte 0
    case '[':
      return Character(27);
    case '\\':
      return Character(28);
    case ']':
      return Character(29);
    case '^':
    case '6':
      return Character(30);
    case '_':
    case '-':
      return Character(31);
    default:
      return CodePageCharacter(static_cast<std::uint32_t>(key));
  }
}

DecodedInput TypedCharacter(long key, long shiftedKey, long text, Modifiers m) {
  if (text > 0) return CodePageCharacter(static_cast<std::uint32_t>(text));
  if (m.shift && shiftedKey > 0) return CodePageCharacter(static_cast<std::uint32_t>(shiftedKey));
  if (key >= 'a' && key <= 'z' && m.shift != m.capsLock) key -= 'a' - 'A';
  return CodePageCharacter(static_cast<std::uint32_t>(key));
}

DecodedInput KittyAltKey(KeyDecoder& decoder, long key, int event) {
  bool down = event != kReleaseEvent;
  if (key == kKittyLeftAlt)
    decoder.leftAltDown = down;
  else
    decoder.rightAltDown = down;
  return down ? Dropped() : Event(KeyEvent::Kind::AltRelease, 0);
}

bool IsKittyModifierKey(long key) {
  return (key >= 57358 && key <= 57360) || (key >= 57441 && key <= 57454);
}

DecodedInput KittyKey(KeyDecoder& decoder, const Sequence& sequence, bool altPrefix) {
  long key = sequence.At(0, 0, 0);
  long shiftedKey = sequence.At(0, 1, -1);
  Modifiers m = ModifiersOf(sequence.At(1, 0, 1));
  m.alt = m.alt || altPrefix;
  auto event = static_cast<int>(sequence.At(1, 1, 1));
  long text = sequence.At(2, 0, -1);

  if (key == kKittyLeftAlt || key == kKittyRightAlt) return KittyAltKey(decoder, key, event);
  if (IsKittyModifierKey(key) || event == kReleaseEvent) return Dropped();
  if (m.ctrl && !m.alt && (key == 'c' || key == 'C' || key == kKittyPause))
    return {Kind::Interrupt, 0, {}, 0};

  // A key typed with the right Alt key alone is AltGr: its character stays a character.
  bool altGr = m.alt && decoder.rightAltDown && !decoder.leftAltDown;
  Modifiers typing = m;
  if (altGr) typing.alt = false;

  switch (key) {
    case 13:
    case kKittyKeypadEnter:
      return NamedKeyInput(decoder, NamedKey::Enter, typing);
    case 9:
      return NamedKeyInput(decoder, NamedKey::Tab, typing);
    case 127:
      return NamedKeyInput(decoder, NamedKey::Backspace, typing);
    case 27:
      return NamedKeyInput(decoder, NamedKey::Escape, typing);
    case kKittyKeypadDivide:
      return NamedKeyInput(decoder, NamedKey::KeypadSlash, typing);
    default:
      break;
  }
  if (key >= kKittyKeypadZero && key <= kKittyKeypadNine) {
    int digit = static_cast<int>(key - kKittyKeypadZero);
    return m.alt ? AltDigit(decoder, digit) : Character('0' + digit);
  }
  if (key >= kKittyKeypadLeft && key <= kKittyKeypadBegin) {
    static constexpr std::array<NamedKey, 11> kKeypad = {
        NamedKey::Left,   NamedKey::Right,    NamedKey::Up,   NamedKey::Down,
        NamedKey::PageUp, NamedKey::PageDown, NamedKey::Home, NamedKey::End,
        NamedKey::Insert, NamedKey::Delete,   NamedKey::Begin};
    return NamedKeyInput(decoder, kKeypad[static_cast<std::size_t>(key - kKittyKeypadLeft)], m);
  }
  if (key >= kKittyFirstFunctional) return KeypadCharacter(key);
  if (key < 32) return Dropped();
  if (typing.alt) return AltCharacter(static_cast<std::uint32_t>(key));
  if (typing.ctrl) return ControlCharacter(key);
  return TypedCharacter(key, shiftedKey, text, typing);
}

DecodedInput ControlSequenceKey(KeyDecoder& decoder, const Sequence& sequence, bool altPrefix) {
  if (sequence.prefix == '?' && sequence.final == 'u')
    return {Kind::KeyProtocolFlags, 0, {}, static_cast<int>(sequence.At(0, 0, 0))};
  if (sequence.prefix == '?' && sequence.final == 'c') return {Kind::DeviceAttributes, 0, {}, 0};
  if (sequence.prefix != 0 || sequence.hasIntermediate) return Dropped();
  if (sequence.final == 'u') return KittyKey(decoder, sequence, altPrefix);

  long first = sequence.At(0, 0, 1);
  Modifiers m = ModifiersOf(sequence.At(1, 0, 1));
  m.alt = m.alt || altPrefix;
  if (sequence.At(1, 1, 1) == kReleaseEvent) return Dropped();

  NamedKey key{};
  bool shifted = false;
  switch (sequence.final) {
    case 'Z':
      m.shift = true;
      return NamedKeyInput(decoder, NamedKey::Tab, m);
    case 'a':
    case 'b':
    case 'c':
    case 'd':  // urxvt Shift+arrows
      m.shift = true;
      NamedKeyOfFinal(static_cast<char>(sequence.final - 'a' + 'A'), key);
      return NamedKeyInput(decoder, key, m);
    case '~':
      if (first == 27) {  // xterm's modifyOtherKeys form: CSI 27 ; modifiers ; key ~
        Sequence other;
        other.parameters[0][0] = sequence.At(2, 0, 0);
        other.parameters[1][0] = sequence.At(1, 0, 1);
        return KittyKey(decoder, other, altPrefix);
      }
      if (!NamedKeyOfNumber(first, key, shifted)) return Dropped();
      m.shift = m.shift || shifted;
      return NamedKeyInput(decoder, key, m);
    case '$':
    case '^':
    case '@':  // urxvt Shift, Ctrl and Ctrl+Shift
      if (!NamedKeyOfNumber(first, key, shifted)) return Dropped();
      m.shift = shifted || sequence.final != '^';
      m.ctrl = sequence.final != '$';
      return NamedKeyInput(decoder, key, m);
    default:
      if (!NamedKeyOfFinal(sequence.final, key)) return Dropped();
      return NamedKeyInput(decoder, key, m);
  }
}

DecodedInput DecodeLinuxFunctionKey(const KeyDecoder& decoder, std::string_view bytes,
                                    bool timedOut, bool altPrefix) {
  if (bytes.size() < 4) return timedOut ? WithLength(Dropped(), bytes.size()) : Incomplete();
  char letter = bytes[3];
  if (letter < 'A' || letter > 'E') return WithLength(Dropped(), 4);
  Modifiers m;
  m.alt = altPrefix;
  return WithLength(NamedKeyInput(decoder, static_cast<NamedKey>(letter - 'A'), m), 4);
}

// Scans the sequence after ESC and its introducer ([ or O). Returns what the bytes come to
// when they hold no whole sequence: still waiting, dropped, or, when the introducer is followed
// by a byte no sequence holds, Alt with the introducer followed by another key.
std::optional<DecodedInput> ScanAfterIntroducer(std::string_view bytes, bool timedOut,
                                                bool withParameters, Sequence& sequence) {
  const auto introducer = static_cast<std::uint8_t>(bytes[1]);
  if (bytes.size() == 2) return timedOut ? WithLength(AltByte(introducer), 2) : Incomplete();
  switch (ScanSequence(bytes, 2, withParameters, sequence)) {
    case ScanResult::Incomplete:
      return timedOut ? WithLength(Dropped(), bytes.size()) : Incomplete();
    case ScanResult::Broken:
      if (sequence.length == 2) return WithLength(AltByte(introducer), 2);
      return WithLength(Dropped(), sequence.length);
    case ScanResult::Complete:
      break;
  }
  return std::nullopt;
}

DecodedInput DecodeControlSequence(KeyDecoder& decoder, std::string_view bytes, bool timedOut,
                                   bool altPrefix) {
  if (bytes.size() > 2 && bytes[2] == '[')
    return DecodeLinuxFunctionKey(decoder, bytes, timedOut, altPrefix);
  Sequence sequence;
  if (auto unfinished = ScanAfterIntroducer(bytes, timedOut, true, sequence)) return *unfinished;
  return WithLength(ControlSequenceKey(decoder, sequence, altPrefix), sequence.length);
}

// SS3 keys: F1-F4, the cursor keys in application mode and the keypad in application mode,
// with an optional modifier parameter (tmux and screen send ESC O 5 M for Ctrl+keypad Enter).
DecodedInput SingleShiftKey(const KeyDecoder& decoder, const Sequence& sequence, bool altPrefix) {
  Modifiers m = ModifiersOf(sequence.At(0, 0, 1));
  m.alt = m.alt || altPrefix;
  char final = sequence.final;
  NamedKey key{};
  if (sequence.hasIntermediate) return Dropped();
  if (NamedKeyOfFinal(final, key)) return NamedKeyInput(decoder, key, m);
  if (final >= 'p' && final <= 'y') {
    int digit = final - 'p';
    return m.alt ? AltDigit(decoder, digit) : Character('0' + digit);
  }
  if (final >= 'a' && final <= 'd') {  // urxvt Ctrl+arrows
    m.ctrl = true;
    NamedKeyOfFinal(static_cast<char>(final - 'a' + 'A'), key);
    return NamedKeyInput(decoder, key, m);
  }
  switch (final) {
    case 'M':
      return NamedKeyInput(decoder, NamedKey::Enter, m);
    case 'o':
      return NamedKeyInput(decoder, NamedKey::KeypadSlash, m);
    case 'j':
      return Character('*');
    case 'k':
      return Character('+');
    case 'l':
      return Character(',');
    case 'm':
      return Character('-');
    case 'n':
      return Character('.');
    case 'X':
      return Character('=');
    default:
      return Dropped();
  }
}

DecodedInput DecodeSingleShift(const KeyDecoder& decoder, std::string_view bytes, bool timedOut,
                               bool altPrefix) {
  Sequence sequence;
  if (auto unfinished = ScanAfterIntroducer(bytes, timedOut, false, sequence)) return *unfinished;
  return WithLength(SingleShiftKey(decoder, sequence, altPrefix), sequence.length);
}

DecodedInput DecodeEscape(KeyDecoder& decoder, std::string_view bytes, bool timedOut) {
  if (bytes.size() == 1) return timedOut ? WithLength(Character(kEsc), 1) : Incomplete();
  auto second = static_cast<std::uint8_t>(bytes[1]);
  if (second == '[') return DecodeControlSequence(decoder, bytes, timedOut, false);
  if (second == 'O') return DecodeSingleShift(decoder, bytes, timedOut, false);
  if (second == kEsc) {
    // ESC ESC: Alt+Esc, or Alt with a key that sends a sequence of its own (rxvt).
    std::string_view inner = bytes.substr(1);
    if (inner.size() == 1) return timedOut ? WithLength(Extended(1), 2) : Incomplete();
    if (inner[1] == '[' || inner[1] == 'O') {
      DecodedInput key = inner[1] == '[' ? DecodeControlSequence(decoder, inner, timedOut, true)
                                         : DecodeSingleShift(decoder, inner, timedOut, true);
      if (key.kind == Kind::Incomplete) return key;
      if (key.length > 2) return WithLength(key, key.length + 1);
    }
    return WithLength(Extended(1), 2);
  }
  if (second >= 0x80) return WithLength(Character(kEsc), 1);
  return WithLength(AltByte(second), 2);
}

}  // namespace

DecodedInput DecodeInput(KeyDecoder& decoder, std::string_view bytes, bool timedOut) {
  auto first = static_cast<std::uint8_t>(bytes[0]);
  if (first == kEsc) return DecodeEscape(decoder, bytes, timedOut);
  if (first >= 0x80 && decoder.utf8) return DecodeUtf8(bytes, timedOut);
  return WithLength(PlainByte(first), 1);
}

}  // namespace kestrova

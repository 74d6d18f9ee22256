#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/scripted_device.h"
#include "console/terminal_environment.h"

namespace kestrova {
namespace {

using namespace std::string_literals;

// Decodes everything a terminal sent, as one read followed by the Esc timeout, and returns
// the key bytes the console hands to the program.
std::string KeyBytes(const std::string& sent, KeyDecoder decoder = {}) {
  ScriptedDevice device;
  for (std::size_t at = 0; at < sent.size();) {
    std::string_view rest = std::string_view(sent).substr(at);
    DecodedInput decoded = DecodeInput(decoder, rest, false);
    if (decoded.kind == DecodedInput::Kind::Incomplete) decoded = DecodeInput(decoder, rest, true);
    EXPECT_GT(decoded.length, 0u);
    EXPECT_NE(decoded.kind, DecodedInput::Kind::Interrupt) << "in " << sent;
    if (decoded.kind == DecodedInput::Kind::Key) device.Press(decoded.key);
    at += decoded.length;
  }
  auto console = std::make_unique<Console>();
  OpenConsole(*console, device, 80, 25);
  std::string bytes;
  try {
    for (;;) bytes.push_back(static_cast<char>(NextKeyByte(*console)));
  } catch (const KeysExhausted&) {
  }
  return bytes;
}

std::string Ext(int code) { return "\0"s + static_cast<char>(code); }

struct Sent {
  const char* terminals;
  std::string bytes;
  std::string keyBytes;
};

void ExpectKeys(const std::vector<Sent>& table, KeyDecoder decoder = {}) {
  for (const Sent& sent : table)
    EXPECT_EQ(KeyBytes(sent.bytes, decoder), sent.keyBytes)
        << sent.terminals << ": " << ::testing::PrintToString(sent.bytes);
}

TEST(KeyDecoder, KeysTheProgramUsesInEveryTerminal) {
  ExpectKeys({
      {"xterm tmux screen", "\x1bOQ", Ext(60)},
      {"linux", "\x1b[[B", Ext(60)},
      {"urxvt", "\x1b[12~", Ext(60)},
      {"kitty flags", "\x1b[Q", Ext(60)},
      {"xterm tmux screen", "\x1bOR", Ext(61)},
      {"linux", "\x1b[[C", Ext(61)},
      {"urxvt kitty", "\x1b[13~", Ext(61)},
      {"kitty flags", "\x1b[R", Ext(61)},
      {"xterm kitty", "\x1b[H", Ext(71)},
      {"tmux screen linux", "\x1b[1~", Ext(71)},
      {"urxvt", "\x1b[7~", Ext(71)},
      {"application mode", "\x1bOH", Ext(71)},
      {"all", "\x1b[A\x1b[D\x1b[C\x1b[B", Ext(72) + Ext(75) + Ext(77) + Ext(80)},
      {"application mode", "\x1bOA\x1bOD\x1bOC\x1bOB", Ext(72) + Ext(75) + Ext(77) + Ext(80)},
      {"xterm kitty", "\x1b[F", Ext(79)},
      {"tmux screen linux", "\x1b[4~", Ext(79)},
      {"urxvt", "\x1b[8~", Ext(79)},
      {"all", "\x1b[6~\x1b[2~\x1b[3~", Ext(81) + Ext(82) + Ext(83)},
      {"xterm tmux screen", "\x1b[1;5F", Ext(117)},
      {"urxvt", "\x1b[8^", Ext(117)},
      {"xterm tmux screen", "\x1b[6;5~", Ext(118)},
      {"urxvt", "\x1b[6^", Ext(118)},
      {"xterm tmux screen", "\x1b[1;5H", Ext(119)},
      {"urxvt", "\x1b[7^", Ext(119)},
      {"xterm tmux screen", "\x1b[5;5~", Ext(132)},
      {"all legacy", "\x1b", "\x1b"},
      {"kitty flags", "\x1b[27u", "\x1b"},
      {"all", "\x01\x06\x07\x0c\x12\x16\x17\x1a", "\x01\x06\x07\x0c\x12\x16\x17\x1a"},
      {"all", "468yY", "468yY"},
  });
}

// The xterm rule: CSI 1;m P-S for F1-F4, CSI n;m ~ for the others, m = 1 + Shift 1, Alt 2,
// Ctrl 4. Alt wins over Ctrl, Ctrl over Shift.
TEST(KeyDecoder, FunctionKeysWithEveryModifier) {
  const std::string plain[12] = {"\x1bOP",   "\x1bOQ",   "\x1bOR",   "\x1bOS",
                                 "\x1b[15~", "\x1b[17~", "\x1b[18~", "\x1b[19~",
                                 "\x1b[20~", "\x1b[21~", "\x1b[23~", "\x1b[24~"};
  const char* numbers[12] = {"1", "1", "1", "1", "15", "17", "18", "19", "20", "21", "23", "24"};
  const int codes[12][4] = {{59, 84, 94, 104},  {60, 85, 95, 105},    {61, 86, 96, 106},
                            {62, 87, 97, 107},  {63, 88, 98, 108},    {64, 89, 99, 109},
                            {65, 90, 100, 110}, {66, 91, 101, 111},   {67, 92, 102, 112},
                            {68, 93, 103, 113}, {133, 135, 137, 139}, {134, 136, 138, 140}};
  const char modifiers[4] = {0, '2', '5', '3'};
  for (int key = 0; key < 12; ++key) {
    for (int m = 0; m < 4; ++m) {
      std::string sent = plain[key];
      if (m > 0) {
        sent = "\x1b["s + numbers[key] + ";" + modifiers[m];
        sent += key < 4 ? std::string(1, "PQRS"[key]) : "~";
      }
      EXPECT_EQ(KeyBytes(sent), Ext(codes[key][m])) << ::testing::PrintToString(sent);
    }
  }
  EXPECT_EQ(KeyBytes("\x1b[1;7P"), Ext(104));  // Ctrl+Alt: Alt wins
  EXPECT_EQ(KeyBytes("\x1b[1;6P"), Ext(94));   // Ctrl+Shift: Ctrl wins
}

TEST(KeyDecoder, NavigationKeysWithEveryModifier) {
  struct Key {
    std::string alone, shift, ctrl, alt;
    int codes[3];
    int altDigit;  // -1: Del, whose Alt code is 163
  };
  const Key keys[] = {
      {"\x1b[H", "\x1b[1;2H", "\x1b[1;5H", "\x1b[1;3H", {71, 71, 119}, 7},
      {"\x1b[A", "\x1b[1;2A", "\x1b[1;5A", "\x1b[1;3A", {72, 72, 141}, 8},
      {"\x1b[5~", "\x1b[5;2~", "\x1b[5;5~", "\x1b[5;3~", {73, 73, 132}, 9},
      {"\x1b[D", "\x1b[1;2D", "\x1b[1;5D", "\x1b[1;3D", {75, 75, 115}, 4},
      {"\x1b[C", "\x1b[1;2C", "\x1b[1;5C", "\x1b[1;3C", {77, 77, 116}, 6},
      {"\x1b[F", "\x1b[1;2F", "\x1b[1;5F", "\x1b[1;3F", {79, 79, 117}, 1},
      {"\x1b[B", "\x1b[1;2B", "\x1b[1;5B", "\x1b[1;3B", {80, 80, 145}, 2},
      {"\x1b[6~", "\x1b[6;2~", "\x1b[6;5~", "\x1b[6;3~", {81, 81, 118}, 3},
      {"\x1b[2~", "\x1b[2;2~", "\x1b[2;5~", "\x1b[2;3~", {82, 82, 146}, 0},
      {"\x1b[3~", "\x1b[3;2~", "\x1b[3;5~", "\x1b[3;3~", {83, 83, 147}, -1},
  };
  KeyDecoder composing;
  composing.releasesReported = true;
  for (const Key& key : keys) {
    EXPECT_EQ(KeyBytes(key.alone), Ext(key.codes[0]));
    EXPECT_EQ(KeyBytes(key.shift), Ext(key.codes[1]));
    EXPECT_EQ(KeyBytes(key.ctrl), Ext(key.codes[2]));
    if (key.altDigit < 0) {
      EXPECT_EQ(KeyBytes(key.alt), Ext(163));
      continue;
    }
    // A composition digit: nothing where Alt's release cannot be seen; with releases it
    // builds the value: the key twice gives 11 times its digit (0 gives nothing).
    EXPECT_EQ(KeyBytes(key.alt), "");
    std::string composed(key.altDigit > 0 ? 1 : 0, static_cast<char>(key.altDigit * 11));
    EXPECT_EQ(KeyBytes(key.alt + key.alt + "\x1b[57443;3:3u", composing), composed) << key.alt;
  }
}

TEST(KeyDecoder, EnterTabBackspaceAndTheKeypad) {
  ExpectKeys({
      {"all: Enter, Shift+Enter", "\r", "\r"},
      {"Ctrl+J", "\n", "\n"},
      {"kitty flags: Ctrl+Enter", "\x1b[13;5u", "\n"},
      {"kitty legacy, linux: Alt+Enter", "\x1b\r", Ext(166)},
      {"kitty flags: Alt+Enter", "\x1b[13;3u", Ext(166)},
      {"tmux keypad application mode: KP Enter", "\x1bOM", "\r"},
      {"tmux screen: Shift/Ctrl/Alt+KP Enter", "\x1bO2M\x1bO5M\x1bO3M", "\r\n" + Ext(166)},
      {"kitty flags: KP Enter", "\x1b[57414u\x1b[57414;129u", "\r\r"},
      {"kitty flags: Ctrl+KP Enter", "\x1b[57414;5u", "\n"},
      {"xterm application keypad: KP /", "\x1bOo", Ext(53)},
      {"tmux screen: Shift/Ctrl/Alt+KP /", "\x1bO2o\x1bO5o\x1bO3o", Ext(53) + Ext(149) + Ext(164)},
      {"kitty flags: Ctrl/Alt+KP /", "\x1b[57410;5u\x1b[57410;3u", Ext(149) + Ext(164)},
      {"all: Tab", "\t", "\t"},
      {"all: Shift+Tab", "\x1b[Z", Ext(15)},
      {"kitty flags: Shift+Tab", "\x1b[9;2u", Ext(15)},
      {"all: Backspace", "\x7f", "\b"},
      {"all: Ctrl+Backspace", "\x08", "\b"},
      {"kitty legacy: Alt+Backspace", "\x1b\x7f", Ext(14)},
      {"kitty flags: Backspace", "\x1b[127u", "\b"},
      {"xterm kitty: KP 5", "\x1b[E", Ext(76)},
      {"tmux screen: KP 5", "\x1bOE", Ext(76)},
      {"linux: KP 5", "\x1b[G", Ext(76)},
      {"tmux application keypad: digits", "\x1bOq\x1bOp\x1bOy\x1bOn", "109."},
      {"kitty flags: keypad digits with NumLock", "\x1b[57405;129u\x1b[57409;129u", "6."},
      {"kitty flags: keypad Right without NumLock", "\x1b[57418u\x1b[57418;5u", Ext(77) + Ext(116)},
  });
}

TEST(KeyDecoder, AltWithCharacterKeys) {
  ExpectKeys({
      {"kitty legacy, linux, tmux send-keys",
       "\x1b"
       "a\x1b"
       "A\x1bq\x1bz",
       Ext(30) + Ext(30) + Ext(16) + Ext(44)},
      {"top row",
       "\x1b"
       "1\x1b"
       "9\x1b"
       "0\x1b-\x1b=\x1b!\x1b+",
       Ext(120) + Ext(128) + Ext(129) + Ext(130) + Ext(131) + Ext(120) + Ext(131)},
      {"punctuation", "\x1b[\x1b;\x1b,\x1b/\x1b ", Ext(26) + Ext(39) + Ext(51) + Ext(53) + Ext(57)},
      {"Alt+Ctrl+a", "\x1b\x01", Ext(30)},
      {"Alt+Esc", "\x1b\x1b", Ext(1)},
      {"kitty flags", "\x1b[97;3u\x1b[49;3u\x1b[61;3u", Ext(30) + Ext(120) + Ext(131)},
      {"kitty flags: Alt+Esc", "\x1b[27;3u", Ext(1)},
      {"rxvt: Alt with a sequence", "\x1b\x1b[3~\x1b\x1bOP", Ext(163) + Ext(104)},
  });
}

TEST(KeyDecoder, CharactersAndControlBytes) {
  ExpectKeys({
      {"Ctrl+Space is never the start of an extended key", "\x00G"s, "G"},
      {"UTF-8 characters become code page bytes", "\xc3\xa9\xe2\x96\x91\xc3\x87", "\x82\xb0\x80"},
      {"characters outside the code page give nothing",
       "\xe2\x82\xac"
       "a",
       "a"},
      {"broken UTF-8 is dropped",
       "\xc3"
       "a\xff"
       "b",
       "ab"},
      {"Ctrl+\\ and Ctrl+Z arrive as keys", "\x1c\x1a", "\x1c\x1a"},
      {"kitty flags: text keys", "\x1b[97;;97u\x1b[97:65;2;65u\x1b[122;5u", "aA\x1a"},
      {"kitty flags: Ctrl+Space and releases give nothing",
       "\x1b[32;5u\x1b[97;1:3u\x1b[57441u"
       "b",
       "b"},
      {"kitty flags: repeats are presses", "\x1b[97;1:2;97u", "a"},
      {"xterm modifyOtherKeys", "\x1b[27;5;13~", "\n"},
  });
  KeyDecoder latin1;
  latin1.utf8 = false;
  EXPECT_EQ(KeyBytes("\xe9", latin1), "\xe9");
}

TEST(KeyDecoder, UnknownSequencesAreDroppedWhole) {
  ExpectKeys({
      {"unknown final",
       "\x1b[99;99Y"
       "x",
       "x"},
      {"mouse report",
       "\x1b[<0;10;5M"
       "x",
       "x"},
      {"focus",
       "\x1b[I\x1b[O"
       "x",
       "x"},
      {"bracketed paste mark",
       "\x1b[200~"
       "x",
       "x"},
      {"answers",
       "\x1b[?1;2c\x1b[?0u\x1b[>1;2c"
       "x",
       "x"},
      {"broken by a control byte", "\x1b[1;\x01", "\x01"},
      {"unknown SS3",
       "\x1bOz"
       "x",
       "x"},
      {"unknown Linux function key",
       "\x1b[[Z"
       "x",
       "x"},
      {"cut short by the timeout", "\x1b[1;5", ""},
      {"endless parameters",
       "\x1b[" + std::string(100, '1') +
           "A"
           "x",
       "x"},
  });
}

TEST(KeyDecoder, TheOtherTerminalsVariants) {
  ExpectKeys({
      {"linux F1-F5", "\x1b[[A\x1b[[E", Ext(59) + Ext(63)},
      {"linux Shift+F1 is F11, Shift+F3 is F13", "\x1b[23~\x1b[25~\x1b[34~",
       Ext(133) + Ext(86) + Ext(93)},
      {"urxvt F1", "\x1b[11~", Ext(59)},
      {"urxvt Shift+Home, Ctrl+Del, Ctrl+Shift+Del", "\x1b[7$\x1b[3^\x1b[3@",
       Ext(71) + Ext(147) + Ext(147)},
      {"urxvt Shift+Up, Ctrl+Up", "\x1b[a\x1bOa", Ext(72) + Ext(141)},
  });
}

TEST(KeyDecoder, SequencesSplitAcrossReadsWaitForTheirEnd) {
  KeyDecoder decoder;
  const std::string whole = "\x1b[1;5H";
  for (std::size_t cut = 1; cut < whole.size(); ++cut)
    EXPECT_EQ(DecodeInput(decoder, whole.substr(0, cut), false).kind,
              DecodedInput::Kind::Incomplete)
        << cut;
  DecodedInput key = DecodeInput(decoder, whole + "x", false);
  EXPECT_EQ(key.length, whole.size());
  EXPECT_EQ(key.key.code, 119);
  EXPECT_EQ(DecodeInput(decoder, "\xe2\x96", false).kind, DecodedInput::Kind::Incomplete);
  // Esc, then a key after the timeout: two keys, not Alt.
  DecodedInput esc = DecodeInput(decoder, "\x1b", true);
  EXPECT_EQ(esc.key.kind, KeyEvent::Kind::Character);
  EXPECT_EQ(esc.key.code, 27);
  EXPECT_EQ(KeyBytes("a"), "a");
}

TEST(KeyDecoder, CtrlCAsAKeyInterrupts) {
  KeyDecoder decoder;
  for (const std::string sent : {"\x1b[99;5u", "\x1b[99;69u", "\x03", "\x1b[57362;5u"})
    EXPECT_EQ(DecodeInput(decoder, sent, false).kind, DecodedInput::Kind::Interrupt) << sent;
  EXPECT_EQ(KeyBytes("\x1b[99;7u"), Ext(46));  // Ctrl+Alt+C is Alt+C
}

TEST(KeyDecoder, AnswersToTheProtocolQuestions) {
  KeyDecoder decoder;
  DecodedInput flags = DecodeInput(decoder, "\x1b[?31u", false);
  EXPECT_EQ(flags.kind, DecodedInput::Kind::KeyProtocolFlags);
  EXPECT_EQ(flags.flags, 31);
  EXPECT_EQ(DecodeInput(decoder, "\x1b[?64;1;2;6;9;15;16;17;18;21;22;28c", false).kind,
            DecodedInput::Kind::DeviceAttributes);
}

// kitty with flags 2 and 8 reports Alt and the keypad: the recorded composition of 65.
TEST(KeyDecoder, AltCompositionWhereReleasesAreReported) {
  KeyDecoder decoder;
  decoder.releasesReported = true;
  const std::string composition =
      "\x1b[57443;129u\x1b[57405;131u\x1b[57405;131:3u\x1b[57404;131u\x1b[57404;131:3u"
      "\x1b[57443;131:3u";
  EXPECT_EQ(KeyBytes(composition, decoder), "A");
  EXPECT_EQ(KeyBytes("\x1b[57443u\x1b[57418;3u\x1b[57419;3u\x1b[57443;3:3u", decoder), "D");
  // Without releases the digits give nothing at all.
  EXPECT_EQ(KeyBytes(composition), "");
  // Left Alt makes a character key extended; the right Alt key alone is AltGr.
  EXPECT_EQ(KeyBytes("\x1b[57443u\x1b[113;3u\x1b[57443;3:3u", decoder), Ext(16));
  EXPECT_EQ(KeyBytes("\x1b[57449u\x1b[113;3;64u\x1b[57449;3:3u", decoder), "@");
}

TEST(TerminalEnvironment, RefusesWhatCannotBeDrivenAndReadsTheLocale) {
  EXPECT_EQ(WhyTerminalUnusable(false, true, "xterm"), "standard input is not a terminal");
  EXPECT_EQ(WhyTerminalUnusable(true, false, "xterm"), "standard output is not a terminal");
  EXPECT_NE(WhyTerminalUnusable(true, true, nullptr), "");
  EXPECT_NE(WhyTerminalUnusable(true, true, ""), "");
  EXPECT_NE(WhyTerminalUnusable(true, true, "dumb"), "");
  EXPECT_EQ(WhyTerminalUnusable(true, true, "xterm-256color"), "");

  EXPECT_TRUE(LocaleIsUtf8(nullptr, nullptr, "C.UTF-8"));
  EXPECT_TRUE(LocaleIsUtf8("", "en_GB.utf8", "C"));
  EXPECT_FALSE(LocaleIsUtf8("C", "en_GB.UTF-8", "en_GB.UTF-8"));
  EXPECT_FALSE(LocaleIsUtf8(nullptr, nullptr, nullptr));

  EXPECT_TRUE(WantsApplicationKeypad("/tmp/tmux-0/default,1,0", "screen"));
  EXPECT_TRUE(WantsApplicationKeypad(nullptr, "tmux-256color"));
  EXPECT_FALSE(WantsApplicationKeypad(nullptr, "linux"));
  EXPECT_FALSE(WantsApplicationKeypad("", "screen"));
}

}  // namespace
}  // namespace kestrova

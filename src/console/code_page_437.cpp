#include "console/code_page_437.h"

#include <array>
#include <string>

namespace kestrova {

namespace {

// The glyphs the PC draws for the control bytes 1-31.
constexpr std::array<char32_t, 32> kControlGlyphs = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};
constexpr char32_t kDeleteGlyph = 0x2302;

constexpr std::array<char32_t, 128> kUpperHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Letters lose their accents, lines and corners become - | +, shades and blocks #.
constexpr std::string_view kAsciiFallback =
    " oo****.#o#mf!!*><|!PS_|^v><L-^v"
    " !\"#$%&'()*+,-./"
    "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~^"
    "CueaaaaceeeiiiAAEaAooouuyOUcLYPfaiounNao?--?"
    "?!<>###|++++++|+++++++++-++++++++=+++++++++++++#####"
    "aBGpSsutFOOd8fen=+><()/~o..vn2# ";

std::string EncodeUtf8(char32_t codePoint) {
  std::string text;
  if (codePoint < 0x80) {
    text.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    text.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    text.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
  return text;
}

struct Utf8Glyphs {
  std::array<std::string, 256> text;
  Utf8Glyphs() {
    for (int byte = 0; byte < 256; ++byte)
      text[static_cast<std::size_t>(byte)] =
          EncodeUtf8(GlyphCodePoint(static_cast<std::uint8_t>(byte)));
  }
};

}  // namespace

char32_t GlyphCodePoint(std::uint8_t byte) {
  if (byte < 32) return kControlGlyphs[byte];
  if (byte == 127) return kDeleteGlyph;
  if (byte < 128) return byte;
  return kUpperHalf[byte - 128u];
}

std::string_view GlyphUtf8(std::uint8_t byte) {
  static const Utf8Glyphs glyphs;
  return glyphs.text[byte];
}

char GlyphAscii(std::uint8_t byte) { return kAsciiFallback[byte]; }

int CodePageByteOf(char32_t codePoint) {
  if (codePoint >= 32 && codePoint < 127) return static_cast<int>(codePoint);
  for (std::size_t i = 0; i < kUpperHalf.size(); ++i)
    if (kUpperHalf[i] == codePoint) return static_cast<int>(128 + i);
  return -1;
}

}  // namespace kestrova

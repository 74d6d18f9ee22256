#include "glyph/glyph_ops.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>
#include <vector>

namespace kestrova {
namespace {

using Rows8 = std::array<std::uint8_t, 8>;

Rows8 Glyph8Of(const FontStore& font, std::uint8_t code) {
  Rows8 rows{};
  std::copy_n(font.glyphs8.begin() + code * 8, 8, rows.begin());
  return rows;
}

void SetGlyph8(FontStore& font, std::uint8_t code, const Rows8& rows) {
  std::copy(rows.begin(), rows.end(), font.glyphs8.begin() + code * 8);
}

bool Pixel8(const Rows8& rows, int row, int column) {
  return (rows[row - 1] & ColumnMask(column)) != 0;
}

// Every byte pattern shows up somewhere in a font of seeded random glyphs.
void FillVaried(std::span<std::uint8_t> table, unsigned seed) {
  std::mt19937 random(seed);
  for (auto& byte : table) byte = static_cast<std::uint8_t>(random());
}

FontStore& FreshFont(int height) {
  static FontStore font;
  ZeroFill(font);
  font.height = static_cast<std::uint8_t>(height);
  font.modified = false;
  return font;
}

TEST(PixelOperations, ColumnMasksRunFromBit7ToBit0) {
  for (int height : {8, 14, 16}) {
    for (int column = 1; column <= 8; ++column) {
      FontStore& font = FreshFont(height);
      EXPECT_TRUE(TogglePixel(font, 65, 3, column));
      EXPECT_EQ(GlyphByte(font, 65, 3), 0x80 >> (column - 1)) << "height " << height;
      EXPECT_TRUE(PixelIsOn(font, 65, 3, column));
      EXPECT_TRUE(font.modified);
    }
  }
  EXPECT_EQ(ColumnMask(1), 0x80);
  EXPECT_EQ(ColumnMask(8), 0x01);
}

TEST(PixelOperations, ToggleTwiceRestoresTheByteAndStaysModified) {
  FontStore& font = FreshFont(16);
  GlyphByte(font, 200, 16) = 0x5A;
  EXPECT_FALSE(TogglePixel(font, 200, 16, 2));
  EXPECT_EQ(GlyphByte(font, 200, 16), 0x1A);
  EXPECT_TRUE(TogglePixel(font, 200, 16, 2));
  EXPECT_EQ(GlyphByte(font, 200, 16), 0x5A);
  EXPECT_TRUE(font.modified);
}

// Every pixel write marks the font modified, also when the pixel already had that value.
TEST(PixelOperations, WritesThatChangeNothingStillSetModified) {
  struct Case {
    const char* name;
    std::uint8_t before;
    std::function<void(FontStore&)> operation;
    std::uint8_t after;
  };
  const std::vector<Case> cases = {
      {"set on", 0x80, [](FontStore& f) { SetPixel(f, 9, 2, 1); }, 0x80},
      {"clear off", 0x7F, [](FontStore& f) { ClearPixel(f, 9, 2, 1); }, 0x7F},
      {"paint on over on", 0x80, [](FontStore& f) { PaintPixel(f, 9, 2, 1, true); }, 0x80},
      {"paint off over off", 0x00, [](FontStore& f) { PaintPixel(f, 9, 2, 1, false); }, 0x00},
      {"paint on over off", 0x00, [](FontStore& f) { PaintPixel(f, 9, 2, 1, true); }, 0x80},
      {"paint off over on", 0xFF, [](FontStore& f) { PaintPixel(f, 9, 2, 1, false); }, 0x7F},
  };
  for (const Case& c : cases) {
    FontStore& font = FreshFont(8);
    GlyphByte(font, 9, 2) = c.before;
    c.operation(font);
    EXPECT_EQ(GlyphByte(font, 9, 2), c.after) << c.name;
    EXPECT_TRUE(font.modified) << c.name;
  }
}

TEST(Rotations, TurnTheWorkedExamples) {
  struct Case {
    Rows8 glyph;
    Rows8 left;
    Rows8 right;
  };
  const Case cases[] = {
      {{0x80, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0x80}, {0x01, 0, 0, 0, 0, 0, 0, 0}},
      {{0xFF, 0x80, 0x80, 0xF0, 0x80, 0x80, 0x80, 0x00},
       {0x80, 0x80, 0x80, 0x80, 0x90, 0x90, 0x90, 0xFE},
       {0x7F, 0x09, 0x09, 0x09, 0x01, 0x01, 0x01, 0x01}},
  };
  for (const Case& c : cases) {
    FontStore& font = FreshFont(8);
    SetGlyph8(font, 70, c.glyph);
    RotLeft(font, 70);
    EXPECT_EQ(Glyph8Of(font, 70), c.left);
    EXPECT_TRUE(font.modified);
    SetGlyph8(font, 70, c.glyph);
    RotRight(font, 70);
    EXPECT_EQ(Glyph8Of(font, 70), c.right);
  }
}

TEST(Rotations, MovePixelsAsQuarterTurnsOnEveryGlyph) {
  FontStore& font = FreshFont(8);
  FillVaried(font.glyphs8, 1);
  const auto before = font.glyphs8;
  RotAllRight(font);
  for (int code = 0; code < kGlyphCount; ++code) {
    Rows8 old{}, turned = Glyph8Of(font, static_cast<std::uint8_t>(code));
    std::copy_n(before.begin() + code * 8, 8, old.begin());
    for (int r = 1; r <= 8; ++r)
      for (int c = 1; c <= 8; ++c)
        ASSERT_EQ(Pixel8(turned, r, c), Pixel8(old, 9 - c, r)) << code << " " << r << "," << c;
  }
  RotAllLeft(font);
  EXPECT_EQ(font.glyphs8, before);
}

TEST(Rotations, FourTurnsAndOppositeTurnsRestoreTheGlyph) {
  FontStore& font = FreshFont(8);
  FillVaried(font.glyphs8, 2);
  const auto before = font.glyphs8;
  for (int code = 0; code < kGlyphCount; ++code) {
    auto c = static_cast<std::uint8_t>(code);
    for (int turn = 0; turn < 4; ++turn) RotLeft(font, c);
    for (int turn = 0; turn < 4; ++turn) RotRight(font, c);
    RotLeft(font, c);
    RotRight(font, c);
  }
  EXPECT_EQ(font.glyphs8, before);
}

TEST(Rotations, LeaveTallFontsAloneButSetModified) {
  const std::function<void(FontStore&)> rotations[] = {
      [](FontStore& f) { RotLeft(f, 65); }, [](FontStore& f) { RotRight(f, 65); },
      [](FontStore& f) { RotAllLeft(f); }, [](FontStore& f) { RotAllRight(f); }};
  for (int height : {14, 16}) {
    for (const auto& rotate : rotations) {
      FontStore& font = FreshFont(height);
      FillVaried(CurrentTable(font), 3);
      std::vector<std::uint8_t> before(CurrentTable(font).begin(), CurrentTable(font).end());
      rotate(font);
      EXPECT_TRUE(std::ranges::equal(CurrentTable(font), before)) << "height " << height;
      EXPECT_TRUE(font.modified);
    }
  }
}

class ClipboardTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    font_ = &FreshFont(GetParam());
    FillVaried(CurrentTable(*font_), 4);
    clipboard_ = GlyphClipboard{};
  }
  std::vector<std::uint8_t> Glyph(std::uint8_t code) const {
    auto rows = CurrentGlyph(*font_, code);
    return {rows.begin(), rows.end()};
  }
  FontStore* font_ = nullptr;
  GlyphClipboard clipboard_;
};

TEST_P(ClipboardTest, PasteOfBlankClipboardBlanksTheGlyph) {
  Paste(*font_, clipboard_, 65);
  EXPECT_EQ(Glyph(65), std::vector<std::uint8_t>(GetParam(), 0));
  EXPECT_TRUE(font_->modified);
}

TEST_P(ClipboardTest, CopyThenPasteDuplicatesAndKeepsTheClipboard) {
  const auto source = Glyph(66);
  FontToClipboard(*font_, clipboard_, 66);
  EXPECT_FALSE(font_->modified);
  Paste(*font_, clipboard_, 1);
  Paste(*font_, clipboard_, 255);
  EXPECT_EQ(Glyph(1), source);
  EXPECT_EQ(Glyph(255), source);
  EXPECT_TRUE(font_->modified);
}

TEST_P(ClipboardTest, SwapWithBlankClipboardThenSwapBackRestoresBoth) {
  const auto glyph = Glyph(65);
  const std::vector<std::uint8_t> blank(GetParam(), 0);
  SwapWithClipboard(*font_, clipboard_, 65);
  EXPECT_EQ(Glyph(65), blank);
  EXPECT_TRUE(font_->modified);
  SwapWithClipboard(*font_, clipboard_, 65);
  EXPECT_EQ(Glyph(65), glyph);
  Paste(*font_, clipboard_, 70);
  EXPECT_EQ(Glyph(70), blank);
}

TEST_P(ClipboardTest, SwapExchangesGlyphAndClipboard) {
  const auto held = Glyph(66);
  const auto replaced = Glyph(67);
  FontToClipboard(*font_, clipboard_, 66);
  SwapWithClipboard(*font_, clipboard_, 67);
  EXPECT_EQ(Glyph(67), held);
  Paste(*font_, clipboard_, 68);
  EXPECT_EQ(Glyph(68), replaced);
}

TEST_P(ClipboardTest, CopyGlyphCopiesAndCopyOntoItselfStillSetsModified) {
  const auto source = Glyph(90);
  CopyGlyph(*font_, 91, 90);
  EXPECT_EQ(Glyph(91), source);
  font_->modified = false;
  CopyGlyph(*font_, 90, 90);
  EXPECT_EQ(Glyph(90), source);
  EXPECT_TRUE(font_->modified);
}

INSTANTIATE_TEST_SUITE_P(Heights, ClipboardTest, ::testing::Values(8, 14, 16));

}  // namespace
}  // namespace kestrova

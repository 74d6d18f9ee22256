#include "font/font_store.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(FontStore, TableSizeIs256RowsPerHeight) {
  EXPECT_EQ(TableSize(8), 2048u);
  EXPECT_EQ(TableSize(14), 3584u);
  EXPECT_EQ(TableSize(16), 4096u);
}

TEST(FontStore, CurrentTableFollowsHeight) {
  FontStore font;
  EXPECT_TRUE(CurrentTable(font).empty());
  for (auto [height, table] :
       {std::pair{8, font.glyphs8.data()}, std::pair{14, font.glyphs14.data()},
        std::pair{16, font.glyphs16.data()}}) {
    font.height = static_cast<std::uint8_t>(height);
    EXPECT_EQ(CurrentTable(font).data(), table);
    EXPECT_EQ(CurrentTable(font).size(), TableSize(height));
  }
}

TEST(FontStore, GlyphBytesAreGlyphMajorFromRowOne) {
  FontStore font;
  font.height = 16;
  GlyphByte(font, 0, 1) = 0xA1;
  GlyphByte(font, 255, 16) = 0xB2;
  GlyphByte(font, 65, 3) = 0xC3;
  EXPECT_EQ(font.glyphs16.front(), 0xA1);
  EXPECT_EQ(font.glyphs16.back(), 0xB2);
  EXPECT_EQ(font.glyphs16[65 * 16 + 2], 0xC3);
  EXPECT_EQ(CurrentGlyph(font, 65)[2], 0xC3);
}

TEST(FontStore, ZeroFillClearsEveryTable) {
  FontStore font;
  font.glyphs8.fill(1);
  font.glyphs14.fill(2);
  font.glyphs16.fill(3);
  ZeroFill(font);
  for (auto byte : font.glyphs8) ASSERT_EQ(byte, 0);
  for (auto byte : font.glyphs14) ASSERT_EQ(byte, 0);
  for (auto byte : font.glyphs16) ASSERT_EQ(byte, 0);
}

}  // namespace
}  // namespace kestrova

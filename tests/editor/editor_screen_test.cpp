#include "editor/editor_screen.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/scripted_device.h"
#include "screen_test_support.h"

namespace kestrova {
namespace {

using testing::CellsText;
using testing::Colours;
using testing::Row;
using testing::ScreenText;

// Rows of the glyph that the layout tests show, one different pattern per row.
constexpr std::array<std::uint8_t, 16> kGlyphRows = {
    0x00, 0x18, 0x24, 0x42, 0x42, 0x7E, 0x42, 0x81, 0xFF, 0x01, 0x80, 0x3C, 0x66, 0xC3, 0x0F, 0xF0};

class EditorScreen : public ::testing::Test {
 protected:
  void Open(int width, int height) { OpenConsole(*console, device, width, height); }
  std::uint8_t AttributeAt(int column, int row) const {
    return CellAt(*console, column, row).attribute;
  }
  void ExpectCells(int column, int row, std::string_view text, std::uint8_t colours) const {
    EXPECT_EQ(CellsText(*console, column, row, static_cast<int>(text.size())), text)
        << "at column " << column << ", row " << row;
    for (int i = 0; i < static_cast<int>(text.size()); ++i)
      EXPECT_EQ(AttributeAt(column + i, row), colours)
          << "at column " << column + i << ", row " << row;
  }

  std::unique_ptr<Console> console = testing::MakeConsole();
  ScriptedDevice device;
};

// The screen of a glyph being edited: frame, grid, status and markers as one pass leaves them.
struct LayoutCase {
  int fontHeight;
  std::vector<std::string> rows;
};

class EditorLayout : public EditorScreen, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(EditorLayout, EveryElementInItsPlaceAndColours) {
  const LayoutCase& layout = GetParam();
  Open(80, 25);
  FontStore font;
  font.height = static_cast<std::uint8_t>(layout.fontHeight);
  for (int row = 1; row <= font.height; ++row) GlyphByte(font, 65, row) = kGlyphRows[row - 1];
  EditorState editor{.currentCode = 65, .cursorRow = 3, .cursorColumn = 2};
  editor.locked = true;
  editor.glcdMode = font.height == 8;

  DrawFrame(*console, "demo.fon", font.height);
  DrawGrid(*console, font, editor.currentCode);
  DrawStatus(*console, editor);
  MoveMarkers(*console, editor);
  PlaceCursor(*console, editor.cursorRow, editor.cursorColumn);

  EXPECT_EQ(ScreenText(*console), layout.rows);

  // Later spans overwrite earlier ones; the markers' first erasing leaves their colour behind.
  struct Span {
    int column, row, width;
    std::uint8_t colours;
  };
  std::vector<Span> spans = {{1, 1, 80, Colours(4, 7)}, {1, 2, 80, Colours(1, 3)}};
  for (int row = 3; row <= 22; ++row) spans.push_back({1, row, 80, Colours(14, 0)});
  for (int row = 23; row <= 25; ++row) spans.push_back({1, row, 80, Colours(4, 7)});
  spans.insert(spans.end(), {{50, 5, 1, Colours(10, 0)},
                             {48, 6, 2, Colours(10, 0)},
                             {51, 5, 1, Colours(10, 0)},
                             {48, 8, 2, Colours(10, 0)},
                             {1, 12, 28, Colours(10, 0)},
                             {10, 14, 10, Colours(12, 0)},
                             {22, 14, 4, Colours(15, 0)}});
  std::array<std::array<std::uint8_t, 81>, 26> expected{};
  for (const Span& span : spans)
    for (int column = span.column; column < span.column + span.width; ++column)
      expected[span.row][column] = span.colours;
  for (int row = 1; row <= 25; ++row)
    for (int column = 1; column <= 80; ++column)
      ASSERT_EQ(AttributeAt(column, row), expected[row][column])
          << "at column " << column << ", row " << row;

  EXPECT_EQ(console->window.top, 3);
  EXPECT_EQ(console->window.bottom, 22);
  EXPECT_EQ(console->cursorColumn, 51);
  EXPECT_EQ(console->cursorRow, 8);
  EXPECT_EQ(console->textAttribute, Colours(14, 0));
}

const std::string kBannerRow =
    "Kestrova v1.71 * keyboard editor for 8x8, 8x14 and 8x16 bitmap fonts";
const std::string kHelp1 =
    "CTRL-F FontToClipboard|CTRL-V Paste|CTRL-W Swap with Clipboard|CTRL-G GLCD Mode";
const std::string kHelp2 =
    "CTRL-L RotLeft|CTRL-R RotRight|CTRL-A RotAllLeft|CTRL-Z RotAllRight [8x8 only]";
const std::string kHelp3 =
    "F2 Save|F3 Exit|Arrows Home End|Del toggle|Ins copy|PgDn (Un)Lock|Ctrl-PgUp/Dn";
const std::string kStatus65 = "View ASCII character  65 \"A\"";

INSTANTIATE_TEST_SUITE_P(Heights, EditorLayout,
                         ::testing::Values(LayoutCase{8,
                                                      {kBannerRow,
                                                       "Editing file \"demo.fon\"     Size: 8x8",
                                                       "",
                                                       "",
                                                       Row({{51, "2"}}),
                                                       Row({{50, "........"}}),
                                                       Row({{50, "...@@..."}}),
                                                       Row({{48, " 3..@..@.."}}),
                                                       Row({{50, ".@....@."}}),
                                                       Row({{50, ".@....@."}}),
                                                       Row({{50, ".@@@@@@."}}),
                                                       Row({{1, kStatus65}, {50, ".@....@."}}),
                                                       Row({{50, "@......@"}}),
                                                       Row({{10, "LOCKED ON   GLCD"}}),
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       kHelp1,
                                                       kHelp2,
                                                       kHelp3}},
                                           LayoutCase{14,
                                                      {kBannerRow,
                                                       "Editing file \"demo.fon\"     Size: 8x14",
                                                       "",
                                                       "",
                                                       Row({{51, "2"}}),
                                                       Row({{50, "........"}}),
                                                       Row({{50, "...@@..."}}),
                                                       Row({{48, " 3..@..@.."}}),
                                                       Row({{50, ".@....@."}}),
                                                       Row({{50, ".@....@."}}),
                                                       Row({{50, ".@@@@@@."}}),
                                                       Row({{1, kStatus65}, {50, ".@....@."}}),
                                                       Row({{50, "@......@"}}),
                                                       Row({{10, "LOCKED ON"}, {50, "@@@@@@@@"}}),
                                                       Row({{50, ".......@"}}),
                                                       Row({{50, "@......."}}),
                                                       Row({{50, "..@@@@.."}}),
                                                       Row({{50, ".@@..@@."}}),
                                                       Row({{50, "@@....@@"}}),
                                                       "",
                                                       "",
                                                       "",
                                                       kHelp1,
                                                       kHelp2,
                                                       kHelp3}},
                                           LayoutCase{16,
                                                      {kBannerRow,
                                                       "Editing file \"demo.fon\"     Size: 8x16",
                                                       "",
                                                       "",
                                                       Row({{51, "2"}}),
                                                       Row({{50, "........"}}),
                                                       Row({{50, "...@@..."}}),
                                                       Row({{48, " 3..@..@.."}}),
                                                       Row({{50, ".@....@."}}),
                                                       Row({{50, ".@....@."}}),
                                                       Row({{50, ".@@@@@@."}}),
                                                       Row({{1, kStatus65}, {50, ".@....@."}}),
                                                       Row({{50, "@......@"}}),
                                                       Row({{10, "LOCKED ON"}, {50, "@@@@@@@@"}}),
                                                       Row({{50, ".......@"}}),
                                                       Row({{50, "@......."}}),
                                                       Row({{50, "..@@@@.."}}),
                                                       Row({{50, ".@@..@@."}}),
                                                       Row({{50, "@@....@@"}}),
                                                       Row({{50, "....@@@@"}}),
                                                       Row({{50, "@@@@...."}}),
                                                       "",
                                                       kHelp1,
                                                       kHelp2,
                                                       kHelp3}}),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) {
                           return "Rows" + std::to_string(info.param.fontHeight);
                         });

TEST_F(EditorScreen, FrameFollowsALargerScreen) {
  Open(100, 30);
  DrawFrame(*console, "big.fon", 16);
  EXPECT_EQ(RowText(*console, 1).substr(0, 69), kBannerRow + " ");
  ExpectCells(1, 28, kHelp1 + " ", Colours(4, 7));
  ExpectCells(1, 29, kHelp2 + "  ", Colours(4, 7));
  ExpectCells(1, 30, kHelp3 + "  ", Colours(4, 7));
  ExpectCells(80, 30, std::string(21, ' '), Colours(4, 7));
  ExpectCells(1, 2, "Editing file \"big.fon\"     Size: 8x16 ", Colours(1, 3));
  ExpectCells(100, 2, " ", Colours(1, 3));
  ExpectCells(1, 27, std::string(100, ' '), Colours(14, 0));
  EXPECT_EQ(console->window.right, 100);
  EXPECT_EQ(console->window.bottom, 27);
}

TEST_F(EditorScreen, FileNameTooLongForItsRowIsCutByTheEditingWindow) {
  Open(80, 25);
  const std::string name = "fonts-for-a-long-directory-name/" + std::string(60, 'x') + ".fon";
  DrawFrame(*console, name, 8);
  EXPECT_EQ(RowText(*console, 2), ("Editing file \"" + name).substr(0, 80));
  ExpectCells(1, 3, std::string(80, ' '), Colours(14, 0));
  ExpectCells(1, 23, kHelp1 + " ", Colours(4, 7));
}

TEST_F(EditorScreen, StatusLineShowsCodeAndFilteredCharacter) {
  struct Case {
    std::uint8_t code;
    std::string text;
  };
  const Case cases[] = {{0, std::string("View ASCII character   0 \"\0\"", 28)},
                        {7, "View ASCII character   7 \" \""},
                        {10, "View ASCII character  10 \" \""},
                        {13, "View ASCII character  13 \" \""},
                        {65, "View ASCII character  65 \"A\""},
                        {255, "View ASCII character 255 \"\xFF\""}};
  Open(80, 25);
  DrawFrame(*console, "f.fon", 8);
  for (const Case& c : cases) {
    EditorState editor{.currentCode = c.code};
    DrawStatus(*console, editor);
    ExpectCells(1, 12, c.text, Colours(10, 0));
    EXPECT_EQ(CellsText(*console, 29, 12, 20), std::string(20, ' ')) << "code " << +c.code;
  }
}

TEST_F(EditorScreen, LockAndGlcdFieldsOverwriteEveryEarlierState) {
  struct Case {
    bool locked, lockValue, glcdMode;
    std::string lockField, glcdField;
  };
  const Case cases[] = {{true, true, true, "LOCKED ON ", "GLCD"},
                        {true, false, false, "LOCKED OFF", "    "},
                        {false, false, true, "          ", "GLCD"},
                        {true, true, false, "LOCKED ON ", "    "},
                        {false, true, false, "          ", "    "}};
  Open(80, 25);
  DrawFrame(*console, "f.fon", 8);
  for (const Case& c : cases) {
    EditorState editor;
    editor.locked = c.locked;
    editor.lockValue = c.lockValue;
    editor.glcdMode = c.glcdMode;
    DrawStatus(*console, editor);
    ExpectCells(10, 14, c.lockField, Colours(12, 0));
    ExpectCells(20, 14, "  ", Colours(14, 0));
    ExpectCells(22, 14, c.glcdField, Colours(15, 0));
  }
}

TEST_F(EditorScreen, MarkersAreErasedBeforeTheyAreRedrawn) {
  Open(80, 25);
  DrawFrame(*console, "f.fon", 14);
  EditorState editor{.cursorRow = 12, .cursorColumn = 8};
  MoveMarkers(*console, editor);
  ExpectCells(48, 17, "12", Colours(10, 0));
  ExpectCells(57, 5, "8", Colours(10, 0));

  editor.cursorRow = 3;
  editor.cursorColumn = 1;
  MoveMarkers(*console, editor);
  EXPECT_EQ(CellsText(*console, 48, 17, 2), "  ");
  EXPECT_EQ(CellsText(*console, 57, 5, 1), " ");
  ExpectCells(48, 8, " 3", Colours(10, 0));
  ExpectCells(50, 5, "1", Colours(10, 0));
  EXPECT_EQ(editor.markerRow, 3);
  EXPECT_EQ(editor.markerColumn, 1);

  MoveMarkers(*console, editor);
  ExpectCells(48, 8, " 3", Colours(10, 0));
  ExpectCells(50, 5, "1", Colours(10, 0));
  EXPECT_EQ(CellsText(*console, 48, 5, 10), "  1       ");
}

TEST_F(EditorScreen, CellIsDrawnUnderTheCursorWhichStaysOnIt) {
  Open(80, 25);
  DrawFrame(*console, "f.fon", 16);
  PlaceCursor(*console, 16, 8);
  EXPECT_EQ(console->cursorColumn, 57);
  EXPECT_EQ(console->cursorRow, 21);
  DrawCell(*console, 16, 8, true);
  ExpectCells(57, 21, "@", Colours(14, 0));
  EXPECT_EQ(console->cursorColumn, 57);
  EXPECT_EQ(console->cursorRow, 21);
  DrawCell(*console, 16, 8, false);
  ExpectCells(57, 21, ".", Colours(14, 0));
  EXPECT_EQ(RowText(*console, 22), std::string(80, ' '));
}

TEST_F(EditorScreen, GridOfSixteenRowsDoesNotScrollTheWindow) {
  Open(80, 25);
  FontStore font;
  font.height = 16;
  GlyphByte(font, 0, 1) = 0xFF;
  GlyphByte(font, 0, 16) = 0x80;
  DrawFrame(*console, "f.fon", 16);
  DrawGrid(*console, font, 0);
  ExpectCells(50, 6, "@@@@@@@@", Colours(14, 0));
  ExpectCells(50, 21, "@.......", Colours(14, 0));
  EXPECT_EQ(RowText(*console, 3), std::string(80, ' '));
  EXPECT_EQ(RowText(*console, 22), std::string(80, ' '));
  EXPECT_EQ(console->cursorRow, 22);
  EXPECT_EQ(RowText(*console, 23).substr(0, 79), kHelp1);
}

TEST_F(EditorScreen, CopyPromptIsShownThenBlanked) {
  Open(80, 25);
  DrawFrame(*console, "f.fon", 8);
  ShowCopyPrompt(*console);
  ExpectCells(1, 17, "Press char to copy from (or INS to cancel)", Colours(14, 0));
  EXPECT_EQ(console->cursorColumn, 43);
  EXPECT_EQ(console->cursorRow, 17);
  ClearCopyPrompt(*console);
  ExpectCells(1, 17, std::string(42, ' '), Colours(14, 0));
}

TEST(DisplayChar, HidesOnlyBellLineFeedAndCarriageReturn) {
  for (int code = 0; code < 256; ++code) {
    bool hidden = code == 7 || code == 10 || code == 13;
    EXPECT_EQ(DisplayChar(static_cast<std::uint8_t>(code)), hidden ? ' ' : code) << code;
  }
}

TEST(RequiredScreen, FitsTheCopyPromptAndTheTallestGrid) {
  EXPECT_EQ(RequiredScreenWidth(), 80);
  EXPECT_EQ(RequiredScreenHeight(8), 20);
  EXPECT_EQ(RequiredScreenHeight(14), 23);
  EXPECT_EQ(RequiredScreenHeight(16), 25);
}

}  // namespace
}  // namespace kestrova

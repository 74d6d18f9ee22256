#include "editor/edit_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "edit_test_support.h"
#include "editor/editor_screen.h"
#include "export/include_text.h"
#include "font/load_font.h"
#include "screen_test_support.h"

namespace kestrova {
namespace {

using namespace testing;

constexpr std::uint8_t kZero = '0';

class EditLoopTest : public ::testing::Test {
 protected:
  // Puts font.fon with these bytes (zeros when empty) on disk, loads it and draws the frame.
  void Load(int height, std::string bytes = {}) {
    if (bytes.empty()) bytes.assign(TableSize(height), '\0');
    WriteWholeFile("font.fon", bytes);
    keys.Reset();
    editor = EditorState{};
    clipboard = GlyphClipboard{};
    CloseFontFile(font.fontFile);
    ZeroFill(font);
    OpenConsole(*console, keys, 80, 25);
    LoadFont(font, *console, "font.fon");
    DrawFrame(*console, font.fileName, font.height);
  }

  // Runs the loop on `script` followed by F3, which must leave it with every key used.
  void EditThenLeave(const std::string& script, std::uint8_t startCode = kZero) {
    keys.Type(script + kF3);
    EditLoop(*console, font, editor, clipboard, startCode);
    EXPECT_EQ(keys.KeysLeft(), 0u);
  }

  std::string GridRow(int row) const { return CellsText(*console, 50, row + 5, 8); }
  std::string StatusLine() const { return CellsText(*console, 1, 12, 28); }
  std::string LockField() const { return CellsText(*console, 10, 14, 10); }
  std::string GlcdField() const { return CellsText(*console, 22, 14, 4); }
  std::string CopyPromptRow() const { return CellsText(*console, 1, 17, 42); }
  // A mark on the screen that only a redraw of its cell wipes out.
  void Scribble(int column, int row) {
    console->cells[static_cast<std::size_t>(row - 1) * kMaxScreenSide + (column - 1)].character =
        'X';
  }
  std::vector<std::uint8_t> Glyph(std::uint8_t code) const {
    auto rows = CurrentGlyph(font, code);
    return {rows.begin(), rows.end()};
  }

  ScratchDirectory scratch;
  std::unique_ptr<Console> console = MakeConsole();
  HookedKeys keys;
  FontStore font;
  EditorState editor;
  GlyphClipboard clipboard;
};

// A font whose glyph of code c has every row equal to c, so each glyph is told apart.
std::string CodePatternFont(int height) {
  std::string bytes;
  for (int code = 0; code < 256; ++code) bytes.append(static_cast<std::size_t>(height), char(code));
  return bytes;
}

TEST_F(EditLoopTest, CursorStopsAtTheGridEdges) {
  struct Case {
    std::string keys;
    int row, column;
  };
  const Case cases[] = {{kUp, 1, 1},
                        {kLeft, 1, 1},
                        {Repeat(kDown, 20), 14, 1},
                        {Repeat(kRight, 10), 1, 8},
                        {kEnd + kDown + kRight, 14, 8},
                        {kDown + kRight + kUp + kLeft + kUp + kLeft, 1, 1}};
  for (const Case& c : cases) {
    Load(14);
    EditThenLeave(c.keys);
    EXPECT_EQ(editor.cursorRow, c.row) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(editor.cursorColumn, c.column) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(CellsText(*console, 48, c.row + 5, 2),
              (c.row < 10 ? " " : "") + std::to_string(c.row));
    EXPECT_EQ(CellsText(*console, c.column + 49, 5, 1), std::to_string(c.column));
  }
}

TEST_F(EditLoopTest, JumpKeysGoToTheFourCorners) {
  struct Case {
    std::string key;
    int row, column;
  };
  const Case cases[] = {{kHome, 1, 1}, {kCtrlHome, 1, 8}, {kEnd, 14, 8}, {kCtrlEnd, 14, 1}};
  for (const Case& c : cases) {
    Load(14);
    EditThenLeave(Repeat(kDown, 5) + Repeat(kRight, 3) + c.key);
    EXPECT_EQ(editor.cursorRow, c.row);
    EXPECT_EQ(editor.cursorColumn, c.column);
  }
}

TEST_F(EditLoopTest, JumpUnderLockPaintingPaintsOnlyTheCellItLandsOn) {
  Load(8);
  EditThenLeave(kDel + kPgDn + kEnd);
  std::vector<std::uint8_t> expected = {0x80, 0, 0, 0, 0, 0, 0, 0x01};
  EXPECT_EQ(Glyph(kZero), expected);
  EXPECT_EQ(GridRow(8), ".......@");
}

TEST_F(EditLoopTest, CodeStepsWrapAroundAndSwitchLockPaintingOff) {
  struct Case {
    std::uint8_t start;
    std::string key;
    std::uint8_t expected;
  };
  const Case cases[] = {{255, kCtrlPgUp, 0}, {0, kCtrlPgDn, 255}, {65, kCtrlPgUp, 66}};
  for (const Case& c : cases) {
    Load(8, CodePatternFont(8));
    EditThenLeave(kDown + kRight + kRight + kPgDn + c.key, c.start);
    EXPECT_EQ(editor.currentCode, c.expected);
    EXPECT_FALSE(editor.locked);
    EXPECT_EQ(editor.cursorRow, 2);
    EXPECT_EQ(editor.cursorColumn, 3);
    EXPECT_EQ(GridRow(1), PixelPicture(c.expected));
    EXPECT_EQ(LockField(), "          ");
  }
}

TEST_F(EditLoopTest, TypedCharactersSelectTheirCodes) {
  struct Case {
    std::string keys;
    std::uint8_t code;
    std::string status;
  };
  const Case cases[] = {{"A", 65, "View ASCII character  65 \"A\""},
                        {"\r", 13, "View ASCII character  13 \" \""},
                        {"\x1b", 27, "View ASCII character  27 \"\x1b\""},
                        {"=", 61, "View ASCII character  61 \"=\""},
                        {"=B", 66, "View ASCII character  66 \"B\""},
                        {"\t\b\x02", 2, "View ASCII character   2 \"\x02\""},
                        {"\xE9", 233, "View ASCII character 233 \"\xE9\""}};
  for (const Case& c : cases) {
    Load(8, CodePatternFont(8));
    EditThenLeave(kRight + kPgDn + c.keys);
    EXPECT_EQ(editor.currentCode, c.code);
    EXPECT_FALSE(editor.locked);
    EXPECT_EQ(editor.cursorColumn, 2);
    EXPECT_EQ(StatusLine(), c.status);
    EXPECT_EQ(GridRow(8), PixelPicture(c.code));
  }
}

TEST_F(EditLoopTest, CommandBytesNeverSelectACode) {
  for (char command : std::string("\x01\x06\x07\x0C\x12\x16\x17\x1A")) {
    Load(8);
    EditThenLeave(std::string(1, command));
    EXPECT_EQ(editor.currentCode, kZero) << int(command);
  }
}

TEST_F(EditLoopTest, PageUpDoesNothing) {
  Load(8, CodePatternFont(8));
  EditThenLeave(kPgUp + kPgUp);
  EXPECT_FALSE(editor.locked);
  EXPECT_FALSE(font.modified);
  EXPECT_EQ(editor.currentCode, kZero);
}

TEST_F(EditLoopTest, LockPaintingDrawsWithTheValueUnderTheCursorUntilDelInvertsIt) {
  std::string bytes(TableSize(8), '\0');
  bytes[kZero * 8 + 1] = char(0x81);
  Load(8, bytes);
  keys.Before(2, [&] { EXPECT_EQ(LockField(), "LOCKED ON "); });
  keys.Before(5, [&] { EXPECT_EQ(GridRow(2), "@@@@...@"); });
  keys.Before(6, [&] {
    EXPECT_EQ(LockField(), "LOCKED OFF");
    EXPECT_EQ(GridRow(2), "@@@....@");
  });
  EditThenLeave(kDown + kPgDn + Repeat(kRight, 3) + kDel + kLeft);
  EXPECT_EQ(GridRow(2), "@@.....@");
  EXPECT_EQ(Glyph(kZero)[1], 0xC1);
  EXPECT_TRUE(editor.locked);
  EXPECT_FALSE(editor.lockValue);
}

TEST_F(EditLoopTest, DelWithoutLockPaintingLeavesTheLockValue) {
  Load(8);
  EditThenLeave(kDel + kRight + kDel + kDel);
  EXPECT_EQ(Glyph(kZero)[0], 0x80);
  EXPECT_EQ(GridRow(1), "@.......");
  EXPECT_TRUE(editor.lockValue);
  EXPECT_FALSE(editor.locked);
}

// While lock painting is on, every pass paints, whatever key led to it.
TEST_F(EditLoopTest, LockPaintingRepaintsAfterAKeyThatDoesNothing) {
  for (bool locked : {true, false}) {
    Load(8);
    keys.Before(locked ? 1 : 0, [&] {
      font.modified = false;
      Scribble(50, 6);
    });
    EditThenLeave(locked ? kPgDn + kF1 : kF1);
    EXPECT_EQ(font.modified, locked);
    EXPECT_EQ(GridRow(1), locked ? "........" : "X.......");
  }
}

TEST_F(EditLoopTest, PasteOfABlankClipboardUnderLockPaintingLeavesOnePixel) {
  std::string bytes(TableSize(8), char(0xFF));
  Load(8, bytes);
  EditThenLeave(kDown + kDown + kRight + kPgDn + "\x16");
  std::vector<std::uint8_t> expected = {0, 0, 0x40, 0, 0, 0, 0, 0};
  EXPECT_EQ(Glyph(kZero), expected);
  for (int row = 1; row <= 8; ++row) EXPECT_EQ(GridRow(row), row == 3 ? ".@......" : "........");
}

TEST_F(EditLoopTest, CopyCancelledByAnExtendedKeyChangesNothing) {
  for (const std::string& cancel : {kIns, kF1, kUp}) {
    Load(8, CodePatternFont(8));
    keys.Before(2, [&] {
      EXPECT_EQ(CopyPromptRow(), "Press char to copy from (or INS to cancel)");
      Scribble(57, 13);
    });
    EditThenLeave(kDown + kIns + cancel);
    EXPECT_EQ(CopyPromptRow(), std::string(42, ' '));
    EXPECT_EQ(CellsText(*console, 57, 13, 1), "X");
    EXPECT_EQ(Glyph(kZero), std::vector<std::uint8_t>(8, kZero));
    EXPECT_FALSE(font.modified);
    EXPECT_EQ(editor.cursorRow, 2);
  }
}

TEST_F(EditLoopTest, CopyTakesThePlainKeyAsTheSourceCode) {
  struct Case {
    std::string source;
    std::uint8_t sourceCode;
  };
  const Case cases[] = {{"A", 65}, {"\x1b", 27}, {"\x01", 1}, {"0", kZero}};
  for (const Case& c : cases) {
    Load(8, CodePatternFont(8));
    EditThenLeave(kIns + c.source);
    EXPECT_EQ(Glyph(kZero), std::vector<std::uint8_t>(8, c.sourceCode));
    EXPECT_EQ(Glyph(1), std::vector<std::uint8_t>(8, 1)) << "nothing was rotated";
    EXPECT_EQ(GridRow(4), PixelPicture(c.sourceCode));
    EXPECT_EQ(editor.currentCode, kZero);
    EXPECT_TRUE(font.modified);
    EXPECT_EQ(CopyPromptRow(), std::string(42, ' '));
  }
}

TEST_F(EditLoopTest, GlcdModeSwitchesOnlyForEightRowFonts) {
  Load(8);
  keys.Before(1, [&] { EXPECT_EQ(GlcdField(), "GLCD"); });
  EditThenLeave("\x07\x07");
  EXPECT_EQ(GlcdField(), "    ");
  EXPECT_FALSE(editor.glcdMode);
  EXPECT_FALSE(font.modified);

  Load(16);
  console->toneFrequency = 440;
  EditThenLeave("\x07");
  EXPECT_EQ(GlcdField(), "    ");
  EXPECT_FALSE(editor.glcdMode);
  EXPECT_EQ(console->toneFrequency, 0) << "the refusal asks for a tone of 0 Hz";
}

TEST_F(EditLoopTest, SaveWritesBothFilesInTheCurrentMode) {
  Load(8);
  EditThenLeave(kDel + "\x07" + kF2);
  EXPECT_FALSE(font.modified);
  std::string expected(TableSize(8), '\0');
  expected[kZero * 8] = char(0x80);
  EXPECT_EQ(ReadWholeFile("font.fon"), expected);
  EXPECT_EQ(ReadWholeFile("font.inc"), BuildIncludeText(font, true));
}

TEST_F(EditLoopTest, LeavingPutsTheCursorBackWhereTheLoopFoundIt) {
  Load(8);
  EditThenLeave(kEnd);
  EXPECT_EQ(WindowColumn(*console), 1);
  EXPECT_EQ(WindowRow(*console), 1);
}

TEST_F(EditLoopTest, ModifiedFollowsGlyphChangesOnly) {
  struct Case {
    const char* what;
    int height;
    std::string keys;
    bool modified;
  };
  const Case cases[] = {
      {"cursor moves", 8, kDown + kRight + kHome + kEnd + kCtrlHome + kCtrlEnd, false},
      {"other characters", 8, kCtrlPgUp + kCtrlPgDn + "AB\r", false},
      {"font to clipboard", 8, "\x06", false},
      {"cancelled copy", 8, kIns + kIns, false},
      {"GLCD mode", 8, "\x07", false},
      {"unbound keys", 8, kF1 + kPgUp + Extended(115), false},
      {"Del twice on one pixel", 8, kDel + kDel, true},
      {"rotation of a 16-row font", 16, "\x1a", true},
      {"rotation of a 14-row font", 14, "\x0c", true},
      {"lock painting switched on and off", 8, kPgDn + kPgDn, true},
      {"saved, then only moves", 8, kDel + kF2 + kDown + "A", false},
      {"saved under lock painting", 8, kPgDn + kF2, true},
      {"paste", 8, "\x16", true},
      {"swap", 8, "\x17", true},
  };
  for (const Case& c : cases) {
    Load(c.height);
    std::vector<std::uint8_t> before = Glyph(kZero);
    EditThenLeave(c.keys);
    EXPECT_EQ(font.modified, c.modified) << c.what;
    if (c.height != 8) {
      EXPECT_EQ(Glyph(kZero), before) << c.what;
    }
  }
}

}  // namespace
}  // namespace kestrova

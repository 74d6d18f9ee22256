#include "editor/run_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "console/program_exit.h"
#include "edit_test_support.h"
#include "screen_test_support.h"

namespace kestrova {
namespace {

using namespace testing;

// A font with one pixel on in the glyph of "0", the code editing starts on by default.
std::string StartFont() {
  std::string bytes(TableSize(8), '\0');
  bytes['0' * 8] = char(0x80);
  return bytes;
}

class RunEditorTest : public ::testing::Test {
 protected:
  int Run(const std::string& script, std::string_view argument2 = {}, int width = 80,
          int height = 25) {
    keys.Type(script);
    OpenConsole(*console, keys, width, height);
    int exitCode = RunEditor(*console, font, editor, clipboard, "font.fon", argument2);
    EXPECT_EQ(keys.KeysLeft(), 0u);
    EXPECT_FALSE(console->hasPendingKey) << "an extended key was read only in half";
    return exitCode;
  }

  void ExpectBlankScreen() const {
    for (int row = 1; row <= console->height; ++row)
      for (int column = 1; column <= console->width; ++column)
        ASSERT_EQ(CellAt(*console, column, row), (Cell{' ', Colours(7, 0)}))
            << "at column " << column << ", row " << row;
    EXPECT_EQ(console->window.top, 1);
    EXPECT_EQ(console->window.bottom, console->height);
    EXPECT_EQ(console->window.right, console->width);
    EXPECT_EQ(console->cursorColumn, 1);
    EXPECT_EQ(console->cursorRow, 1);
  }

  ScratchDirectory scratch;
  std::unique_ptr<Console> console = MakeConsole();
  HookedKeys keys;
  FontStore font;
  EditorState editor;
  GlyphClipboard clipboard;
};

TEST(StartCode, IsTheFirstByteOfArgumentTwo) {
  EXPECT_EQ(StartCodeFrom(""), '0');
  EXPECT_EQ(StartCodeFrom("A"), 65);
  EXPECT_EQ(StartCodeFrom("65"), '6');
  EXPECT_EQ(StartCodeFrom("\xFF"), 255);
}

TEST_F(RunEditorTest, UnchangedFontLeavesWithoutAQuestionOnABlankScreen) {
  WriteWholeFile("font.fon", StartFont());
  keys.Before(0, [&] {
    EXPECT_EQ(CellsText(*console, 1, 12, 28), "View ASCII character  65 \"A\"");
    EXPECT_EQ(CellsText(*console, 50, 6, 8), "........");
  });
  EXPECT_EQ(Run(kF3, "A"), 0);
  ExpectBlankScreen();
  EXPECT_FALSE(font.fontFile.IsOpen());
  EXPECT_EQ(ReadWholeFile("font.fon"), StartFont());
  EXPECT_FALSE(std::filesystem::exists("font.inc")) << "nothing was saved";
}

TEST_F(RunEditorTest, StartUpResetsTheFlagsThatLastTheWholeRun) {
  WriteWholeFile("font.fon", StartFont());
  editor.locked = true;
  editor.lockValue = false;
  editor.glcdMode = true;
  font.glyphs16.fill(0xFF);
  keys.Before(0, [&] {
    EXPECT_EQ(CellsText(*console, 10, 14, 16), std::string(16, ' '));
    EXPECT_EQ(CellsText(*console, 50, 6, 8), "@.......");
  });
  Run(kF3);
  EXPECT_FALSE(editor.locked);
  EXPECT_TRUE(editor.lockValue);
  EXPECT_FALSE(editor.glcdMode);
  EXPECT_EQ(font.glyphs16[0], 0);
}

TEST_F(RunEditorTest, ChangedFontAsksOnceInTheEditingWindow) {
  WriteWholeFile("font.fon", StartFont());
  keys.Before(2, [&] {
    std::string questionRow = Row({{20, kSaveQuestion}});
    questionRow.resize(80, ' ');
    EXPECT_EQ(RowText(*console, 13), questionRow);
    EXPECT_EQ(console->cursorColumn, 20 + static_cast<int>(kSaveQuestion.size()));
    EXPECT_EQ(CellAt(*console, 20, 13).attribute, Colours(14, 0));
    for (int row = 3; row <= 22; ++row)
      if (row != 13) {
        EXPECT_EQ(RowText(*console, row), std::string(80, ' ')) << row;
      }
    EXPECT_EQ(RowText(*console, 2).substr(0, 14), "Editing file \"");
    EXPECT_EQ(RowText(*console, 25).substr(0, 7), "F2 Save");
  });
  EXPECT_EQ(Run(kDel + kF3 + "n"), 0);
  ExpectBlankScreen();
}

TEST_F(RunEditorTest, OnlyYesSavesTheChangedFont) {
  struct Case {
    std::string answer;
    bool saved;
  };
  const Case cases[] = {{"y", true},     {"Y", true},  {"n", false}, {"\r", false},
                        {"\x1b", false}, {kUp, false}, {kF2, false}};
  for (const Case& c : cases) {
    ScratchDirectory perCase;
    WriteWholeFile("font.fon", StartFont());
    keys.Reset();
    CloseFontFile(font.fontFile);
    EXPECT_EQ(Run(kDel + kF3 + c.answer), 0) << ::testing::PrintToString(c.answer);
    std::string expected = StartFont();
    if (c.saved) expected['0' * 8] = 0;
    EXPECT_EQ(ReadWholeFile("font.fon"), expected) << ::testing::PrintToString(c.answer);
    EXPECT_EQ(std::filesystem::exists("font.inc"), c.saved);
    ExpectBlankScreen();
  }
}

TEST_F(RunEditorTest, RotationOfATallFontAsksAlthoughNoGlyphChanged) {
  WriteWholeFile("font.fon", std::string(TableSize(14), '\x55'));
  keys.Before(2, [&] { EXPECT_EQ(CellsText(*console, 20, 13, 17), "Font has changed."); });
  Run(std::string("\x1a") + kF3 + "n");
}

TEST_F(RunEditorTest, TooSmallScreenEndsBeforeDrawingAndKeepsANewFont) {
  struct Case {
    int width, height;
    std::string sizeKey;
    std::string message;
  };
  const Case cases[] = {
      {80, 24, "6", "ERROR: Terminal too small (80x24): 8x16 fonts need at least 80x25"},
      {79, 25, "8", "ERROR: Terminal too small (79x25): 8x8 fonts need at least 80x20"},
      {80, 22, "4", "ERROR: Terminal too small (80x22): 8x14 fonts need at least 80x23"}};
  for (const Case& c : cases) {
    ScratchDirectory perCase;
    keys.Reset();
    CloseFontFile(font.fontFile);
    try {
      Run(c.sizeKey, {}, c.width, c.height);
      ADD_FAILURE() << "the editor ran on " << c.width << "x" << c.height;
    } catch (const ProgramExit& exit) {
      EXPECT_EQ(exit.exitCode, 1);
    }
    EXPECT_EQ(RowText(*console, 2).substr(0, c.message.size()), c.message);
    EXPECT_EQ(ReadWholeFile("font.fon").size(), TableSize(font.height));
    EXPECT_TRUE(std::filesystem::exists("font.inc"));
  }
}

TEST_F(RunEditorTest, SmallestScreenOfEachHeightIsEnough) {
  struct Case {
    int height, screenHeight;
  };
  for (Case c : {Case{8, 20}, Case{14, 23}, Case{16, 25}}) {
    ScratchDirectory perCase;
    WriteWholeFile("font.fon", std::string(TableSize(c.height), '\0'));
    keys.Reset();
    CloseFontFile(font.fontFile);
    keys.Before(2, [&] {
      EXPECT_EQ(RowText(*console, c.screenHeight).substr(0, 7), "F2 Save");
      EXPECT_EQ(CellsText(*console, 1, 17, 7), "Press c");
      EXPECT_EQ(CellsText(*console, 50, c.height + 5, 8), "........");
      EXPECT_EQ(RowText(*console, 3), std::string(80, ' '));
    });
    EXPECT_EQ(Run(kEnd + kIns + kIns + kF3, {}, 80, c.screenHeight), 0);
  }
}

}  // namespace
}  // namespace kestrova

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/scripted_device.h"

namespace kestrova {
namespace {

class ConsoleModel : public ::testing::Test {
 protected:
  void Open(int width, int height) { OpenConsole(console, device, width, height); }
  void SetUp() override { Open(80, 25); }

  // Every row of the screen, as text.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int row = 1; row <= console.height; ++row) rows.push_back(RowText(console, row));
    return rows;
  }
  void FillScreen(char character, std::uint8_t attribute) {
    for (int row = 1; row <= console.height; ++row) {
      MoveCursor(console, 1, static_cast<std::uint8_t>(row));
      console.textAttribute = attribute;
      ClearToLineEnd(console);
      for (int column = 1; column < console.width; ++column) WriteChar(console, character);
    }
  }
  std::pair<int, int> CursorOnScreen() const { return {console.cursorColumn, console.cursorRow}; }

  std::unique_ptr<Console> owned = std::make_unique<Console>();
  Console& console = *owned;
  ScriptedDevice device;
};

TEST_F(ConsoleModel, CursorMovesOutsideTheWindowAreIgnored) {
  SetWindow(console, 1, 3, 80, 22);
  MoveCursor(console, 7, 9);
  const std::pair<int, int> outside[] = {{0, 1}, {1, 0}, {81, 1}, {1, 21}, {255, 255}};
  for (auto [column, row] : outside) {
    MoveCursor(console, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row));
    EXPECT_EQ(CursorOnScreen(), std::make_pair(7, 11)) << column << "," << row;
  }
  MoveCursor(console, 80, 20);
  EXPECT_EQ(CursorOnScreen(), std::make_pair(80, 22));
}

TEST_F(ConsoleModel, WindowsOffTheScreenOrUpsideDownAreIgnored) {
  SetWindow(console, 5, 5, 60, 20);
  MoveCursor(console, 3, 4);
  struct Edges {
    int left, top, right, bottom;
  };
  const Edges refused[] = {{1, 3, 80, 2},  {1, 1, 81, 25}, {1, 1, 80, 26},
                           {10, 1, 9, 25}, {0, 1, 80, 25}, {1, 0, 80, 25}};
  for (const Edges& e : refused) {
    SetWindow(console, static_cast<std::uint8_t>(e.left), static_cast<std::uint8_t>(e.top),
              static_cast<std::uint8_t>(e.right), static_cast<std::uint8_t>(e.bottom));
    EXPECT_EQ(console.window.left, 5);
    EXPECT_EQ(console.window.bottom, 20);
    EXPECT_EQ(CursorOnScreen(), std::make_pair(7, 8));
  }
}

TEST_F(ConsoleModel, WindowCoordinatesAreRelativeToTheWindow) {
  SetWindow(console, 1, 3, 80, 22);
  EXPECT_EQ(CursorOnScreen(), std::make_pair(1, 3));
  EXPECT_EQ(WindowColumn(console), 1);
  EXPECT_EQ(WindowRow(console), 1);
  MoveCursor(console, 50, 4);
  EXPECT_EQ(CursorOnScreen(), std::make_pair(50, 6));
  EXPECT_EQ(WindowColumn(console), 50);
  EXPECT_EQ(WindowRow(console), 4);
}

TEST_F(ConsoleModel, ClearWindowTouchesOnlyTheWindow) {
  FillScreen('x', 0x1E);
  SetWindow(console, 1, 3, 80, 22);
  SetForeground(console, 2);
  SetBackground(console, 4);
  MoveCursor(console, 9, 9);
  ClearWindow(console);
  for (int row = 1; row <= 25; ++row) {
    bool inside = row >= 3 && row <= 22;
    EXPECT_EQ(CellAt(console, 5, row).character, inside ? ' ' : 'x') << row;
    EXPECT_EQ(CellAt(console, 80, row).attribute, inside ? 0x42 : 0x1E) << row;
  }
  EXPECT_EQ(CursorOnScreen(), std::make_pair(1, 3));
}

TEST_F(ConsoleModel, WritingWrapsFromTheWindowsLastColumn) {
  SetWindow(console, 1, 3, 80, 22);
  MoveCursor(console, 75, 1);
  WriteText(console, "ABCDEFGHIJ");
  EXPECT_EQ(RowText(console, 3).substr(74), "ABCDEF");
  EXPECT_EQ(RowText(console, 4).substr(0, 5), "GHIJ ");
  EXPECT_EQ(CursorOnScreen(), std::make_pair(5, 4));
}

TEST_F(ConsoleModel, TheWindowsBottomRightCellScrollsOnlyTheWindow) {
  Open(12, 6);
  FillScreen('.', 0x07);
  SetWindow(console, 3, 2, 8, 5);
  SetBackground(console, 1);
  ClearWindow(console);
  WriteText(console, "aaaaaabbbbbbccccccdddddD");
  const std::vector<std::string> expected = {
      "...........",  // the fill leaves each row's last column blank
      "..bbbbbb...", "..cccccc...", "..dddddD...", "..      ...", "...........",
  };
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(RowText(console, static_cast<int>(i) + 1).substr(0, expected[i].size()), expected[i]);
  EXPECT_EQ(CellAt(console, 5, 5).attribute, 0x17);
  EXPECT_EQ(CellAt(console, 9, 5).attribute, 0x07);
  EXPECT_EQ(CursorOnScreen(), std::make_pair(3, 5));
}

TEST_F(ConsoleModel, LineEndOnTheLastRowScrollsTheWindow) {
  Open(12, 6);
  FillScreen('.', 0x07);
  SetWindow(console, 3, 2, 8, 4);
  ClearWindow(console);
  WriteLine(console, "one");
  EXPECT_EQ(CursorOnScreen(), std::make_pair(3, 3));
  WriteLine(console, "two");
  WriteText(console, "three");
  WriteLineEnd(console);
  EXPECT_EQ(Rows(), (std::vector<std::string>{
                        "........... ",
                        "..two   ... ",
                        "..three ... ",
                        "..      ... ",
                        "........... ",
                        "........... ",
                    }));
  EXPECT_EQ(CursorOnScreen(), std::make_pair(3, 4));
}

TEST_F(ConsoleModel, ControlBytesMoveTheCursorOrAreStoredAsCells) {
  SetWindow(console, 11, 1, 40, 10);
  WriteText(console, "abcd");
  WriteChar(console, 8);
  EXPECT_EQ(WindowColumn(console), 4);
  EXPECT_EQ(CellAt(console, 14, 1).character, 'd');
  WriteChar(console, 13);
  WriteChar(console, 8);
  EXPECT_EQ(WindowColumn(console), 1);
  WriteText(console, "x\n");
  EXPECT_EQ(CursorOnScreen(), std::make_pair(12, 2));
  std::string before = RowText(console, 2);
  WriteChar(console, 7);
  EXPECT_EQ(CursorOnScreen(), std::make_pair(12, 2));
  EXPECT_EQ(RowText(console, 2), before);
  WriteText(console, "\t\x1b\x7f");
  EXPECT_EQ(RowText(console, 2).substr(11, 3), "\t\x1b\x7f");
  EXPECT_EQ(CursorOnScreen(), std::make_pair(15, 2));
}

TEST_F(ConsoleModel, NumbersArePaddedToTheirWidth) {
  struct Case {
    std::int32_t value;
    int width;
    const char* text;
  };
  const Case cases[] = {{5, 3, "  5"},  {123, 2, "123"}, {0, 0, "0"},
                        {-4, 3, " -4"}, {-4, -1, "-4"},  {INT32_MIN, 0, "-2147483648"}};
  for (const Case& c : cases) {
    MoveCursor(console, 1, 1);
    ClearToLineEnd(console);
    WriteNumber(console, c.value, c.width);
    EXPECT_EQ(RowText(console, 1).substr(0, std::string(c.text).size() + 1),
              std::string(c.text) + " ");
  }
}

TEST_F(ConsoleModel, ClearToLineEndInTheLastColumnClearsOneCell) {
  FillScreen('x', 0x07);
  SetWindow(console, 1, 1, 40, 25);
  MoveCursor(console, 40, 2);
  ClearToLineEnd(console);
  EXPECT_EQ(RowText(console, 2).substr(37, 4), "xx x");
  EXPECT_EQ(CursorOnScreen(), std::make_pair(40, 2));
}

TEST_F(ConsoleModel, ColoursAreMasked) {
  SetBackground(console, 9);
  EXPECT_EQ(BackgroundOf(console.textAttribute), 1);
  SetForeground(console, 20);
  EXPECT_EQ(ForegroundOf(console.textAttribute), 4);
  EXPECT_FALSE(BlinkOf(console.textAttribute));
  SetBackground(console, 3);
  SetForeground(console, 7);
  EXPECT_EQ(console.textAttribute, 0x37);
  SetForeground(console, 0x8E);
  EXPECT_EQ(console.textAttribute, 0xBE);
  SetBackground(console, 0xFF);
  EXPECT_EQ(console.textAttribute, 0xFE);
}

TEST_F(ConsoleModel, ExtendedKeysGiveTheirCodeWithoutASecondWait) {
  device.Press({KeyEvent::Kind::Extended, 71});
  EXPECT_EQ(NextKeyByte(console), 0);
  EXPECT_EQ(NextKeyByte(console), 71);  // the script is empty: a wait would throw
  EXPECT_EQ(device.ShowCount(), 1);
}

TEST_F(ConsoleModel, AltCompositionDeliversTheValueModulo256) {
  auto digit = [](int d) {
    return KeyEvent{KeyEvent::Kind::AltDigit, static_cast<std::uint8_t>(d)};
  };
  const KeyEvent release{KeyEvent::Kind::AltRelease, 0};
  device.Press(release);  // no composition: nothing
  for (int d : {6, 5}) device.Press(digit(d));
  device.Press(release);
  for (int d : {2, 5, 6}) device.Press(digit(d));
  device.Press(release);  // 256 is 0: nothing, and composition goes on from 0
  for (int d : {6, 6}) device.Press(digit(d));
  device.Press(release);
  device.Press({KeyEvent::Kind::Character, 0});  // a zero character never reaches the program
  device.Press({KeyEvent::Kind::Character, 'x'});
  EXPECT_EQ(NextKeyByte(console), 65);
  EXPECT_EQ(NextKeyByte(console), 66);
  EXPECT_EQ(NextKeyByte(console), 'x');
  EXPECT_EQ(device.KeysLeft(), 0u);
}

TEST_F(ConsoleModel, OpeningClampsTheSizeAndTheToneIsOnlyKept) {
  Open(300, 0);
  EXPECT_EQ(ScreenWidth(console), 255);
  EXPECT_EQ(ScreenHeight(console), 1);
  StartTone(console, 0);
  EXPECT_EQ(device.ShowCount(), 0);
}

}  // namespace
}  // namespace kestrova

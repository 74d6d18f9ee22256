#include "console/screen_renderer.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "console/scripted_device.h"
#include "terminal_emulator.h"

namespace kestrova {
namespace {

class ScreenRenderer : public ::testing::Test {
 protected:
  void Open(int width, int height, bool utf8 = true) {
    OpenConsole(console, device, width, height);
    screen = TerminalScreen{};
    screen.utf8 = utf8;
    terminal = std::make_unique<TerminalEmulator>(width, height);
  }
  void SetUp() override { Open(80, 25); }

  // Renders the console and plays the bytes on the emulated terminal.
  std::string Frame() {
    std::string out;
    RenderConsole(screen, console, out);
    terminal->Feed(out);
    return out;
  }

  std::unique_ptr<Console> owned = std::make_unique<Console>();
  Console& console = *owned;
  ScriptedDevice device;
  TerminalScreen screen;
  std::unique_ptr<TerminalEmulator> terminal;
};

TEST_F(ScreenRenderer, TheFirstFrameDrawsEveryCellAndPlacesTheCursor) {
  SetBackground(console, 1);
  WriteText(console, "Kestrova");
  MoveCursor(console, 30, 12);
  std::string out = Frame();
  EXPECT_EQ(terminal->Difference(console), "");
  EXPECT_EQ(out.rfind("\x1b[12;30H"), out.size() - 8);
}

TEST_F(ScreenRenderer, AFrameWithoutChangesSendsNothing) {
  SetBackground(console, 2);
  ClearWindow(console);
  WriteText(console, "same text");
  MoveCursor(console, 5, 5);
  Frame();
  EXPECT_EQ(Frame(), "");
  // Erasing and writing the same text again changes nothing the terminal shows.
  ClearWindow(console);
  WriteText(console, "same text");
  MoveCursor(console, 5, 5);
  EXPECT_EQ(Frame(), "");
  EXPECT_EQ(terminal->Difference(console), "");
}

TEST_F(ScreenRenderer, SendsOnlyChangedCellsAndShortCursorMoves) {
  Frame();
  struct Step {
    int column, row;
    const char* text;  // written at (column, row); the cursor then returns to (1, 1)
    const char* expected;
  };
  const Step steps[] = {
      {1, 1, "X", "X\b"},     {40, 10, "Y", "\x1b[10;40HY\x1b[H"},
      {3, 1, "ab", "X ab\r"},  // rewriting two cells is shorter than moving over them
      {1, 1, "Xa", "Xa\r"},   {6, 1, "c", "\x1b[5Cc\r"},
  };
  for (const Step& step : steps) {
    MoveCursor(console, static_cast<std::uint8_t>(step.column),
               static_cast<std::uint8_t>(step.row));
    WriteText(console, step.text);
    MoveCursor(console, 1, 1);
    EXPECT_EQ(Frame(), step.expected) << step.text;
  }
  MoveCursor(console, 3, 1);
  EXPECT_EQ(Frame(), "Xa");
  MoveCursor(console, 10, 4);
  EXPECT_EQ(Frame(), "\x1b[4;10H");
  EXPECT_EQ(terminal->Difference(console), "");
}

TEST_F(ScreenRenderer, ColoursMapFromThePcOrderToAnsi) {
  const int foregrounds[16] = {30, 34, 32, 36, 31, 35, 33, 37, 90, 94, 92, 96, 91, 95, 93, 97};
  const int backgrounds[8] = {40, 44, 42, 46, 41, 45, 43, 47};
  for (std::uint8_t colour = 0; colour < 16; ++colour) {
    EXPECT_EQ(AnsiForeground(colour), foregrounds[colour]);
    EXPECT_EQ(AnsiBackground(colour), backgrounds[colour % 8]);
  }
  Frame();
  SetForeground(console, 0x80 | 9);
  SetBackground(console, 4);
  WriteChar(console, 'B');
  EXPECT_EQ(Frame(), "\x1b[5;94;41mB");
  SetForeground(console, 9);
  WriteChar(console, 'C');
  EXPECT_EQ(Frame(), "\x1b[25mC");
}

TEST_F(ScreenRenderer, CodePageBytesAreShownAsTheirGlyphs) {
  for (int byte : {0, 1, 9, 27, 127, 128, 176, 219, 255})
    WriteChar(console, static_cast<std::uint8_t>(byte));
  std::string out = Frame();
  EXPECT_NE(out.find(" \xe2\x98\xba\xe2\x97\x8b\xe2\x86\x90\xe2\x8c\x82\xc3\x87\xe2\x96\x91\xe2\x96"
                     "\x88\xc2\xa0"),
            std::string::npos);
  EXPECT_EQ(terminal->Difference(console), "");

  Open(20, 3, false);
  for (int byte = 128; byte < 148; ++byte) WriteChar(console, static_cast<std::uint8_t>(byte));
  out = Frame();
  for (char c : out) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
  EXPECT_NE(out.find("CueaaaaceeeiiiAAEaAo"), std::string::npos);
  EXPECT_EQ(terminal->Difference(console, false), "");
}

TEST_F(ScreenRenderer, TheBottomRightCellNeverScrollsTheTerminal) {
  Open(10, 3);
  Frame();
  SetBackground(console, 4);
  ClearWindow(console);
  std::string out = Frame();
  EXPECT_NE(out.find("\x1b[?7l \x1b[?7h"), std::string::npos);
  EXPECT_EQ(terminal->Difference(console), "");
}

// Random writes, windows, colours and moves, each batch shown and compared with the model.
TEST_F(ScreenRenderer, TheTerminalAlwaysShowsTheModel) {
  for (bool utf8 : {true, false}) {
    Open(13, 7, utf8);
    std::mt19937 random(1234);
    auto pick = [&random](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int batch = 0; batch < 400; ++batch) {
      for (int step = pick(0, 6); step > 0; --step) {
        auto b = [&](int low, int high) { return static_cast<std::uint8_t>(pick(low, high)); };
        switch (pick(0, 6)) {
          case 0:
            SetWindow(console, b(1, 13), b(1, 7), b(1, 13), b(1, 7));
            break;
          case 1:
            MoveCursor(console, b(0, 14), b(0, 8));
            break;
          case 2:
            SetForeground(console, b(0, 255));
            break;
          case 3:
            SetBackground(console, b(0, 7));
            break;
          case 4:
            WriteChar(console, b(0, 255));
            break;
          case 5:
            WriteText(console, pick(0, 1) ? "ab cd" : "\r\nxy");
            break;
          default:
            pick(0, 3) == 0 ? ClearWindow(console) : ClearToLineEnd(console);
            break;
        }
      }
      Frame();
      ASSERT_EQ(terminal->Difference(console, utf8), "") << "batch " << batch;
      ASSERT_EQ(Frame(), "");
    }
  }
}

}  // namespace
}  // namespace kestrova

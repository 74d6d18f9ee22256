// The real program in a real terminal: tmux on a private server per test, keys sent by name,
// the screen read back with capture-pane, files compared byte for byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "edit_test_support.h"
#include "export/include_text.h"
#include "font/font_store.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;

struct CommandResult {
  std::string output;
  int status = -1;
};

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.output.append(buffer, count);
  result.status = ::pclose(pipe);
  return result;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// One screen cell as tmux shows it: the character and the SGR colour numbers in force.
struct ShownCell {
  char character = ' ';
  int foreground = 39;
  int background = 49;
};

// Reads `capture-pane -e -N` output: SGR sequences set the colours of the cells that follow,
// also across line ends.
std::vector<std::vector<ShownCell>> ParseCapture(const std::string& capture) {
  std::vector<std::vector<ShownCell>> rows(1);
  ShownCell pen;
  for (std::size_t i = 0; i < capture.size(); ++i) {
    char c = capture[i];
    if (c == '\n') {
      rows.emplace_back();
    } else if (c == '\x1b' && i + 1 < capture.size() && capture[i + 1] == '[') {
      std::size_t end = capture.find('m', i);
      std::string parameters = capture.substr(i + 2, end - i - 2);
      std::vector<int> numbers;
      for (std::size_t start = 0; start <= parameters.size();) {
        std::size_t semicolon = parameters.find(';', start);
        if (semicolon == std::string::npos) semicolon = parameters.size();
        numbers.push_back(std::atoi(parameters.substr(start, semicolon - start).c_str()));
        start = semicolon + 1;
      }
      for (int n : numbers) {
        if (n == 0) pen.foreground = 39, pen.background = 49;
        if ((n >= 30 && n <= 39) || (n >= 90 && n <= 97)) pen.foreground = n;
        if (n >= 40 && n <= 49) pen.background = n;
      }
      i = end;
    } else {
      pen.character = c;
      rows.back().push_back(pen);
    }
  }
  if (rows.back().empty()) rows.pop_back();
  return rows;
}

// A tmux server of its own, one session running the program in `directory`. The shell around
// the program writes its exit status to a file and then keeps the pane open and unchanged.
class TmuxTerminal {
 public:
  TmuxTerminal(int width, int height, const std::filesystem::path& directory,
               const std::string& arguments)
      : socket_("kestrova-editor-" + std::to_string(::getpid()) + "-" +
                std::to_string(++sessions_)),
        directory_(directory) {
    WriteWholeFile(directory / "tmux.conf", "set -g status off\nset -s escape-time 0\n");
    std::string program = std::string(KESTROVA_BINARY) + " " + arguments;
    Tmux("-f " + Quoted((directory / "tmux.conf").string()) + " new-session -d -s main -x " +
         std::to_string(width) + " -y " + std::to_string(height) + " -c " +
         Quoted(directory.string()) + " " +
         Quoted("env -u TMUX LANG=C.UTF-8 " + program + "; echo $? > exit-status; exec sleep 600"));
  }
  ~TmuxTerminal() { Tmux("kill-server"); }

  CommandResult Tmux(const std::string& arguments) const {
    return RunCommand("tmux -L " + socket_ + " " + arguments);
  }

  void Keys(const std::string& keyNames) const { Tmux("send-keys -t main " + keyNames); }
  void Text(const std::string& text) const { Tmux("send-keys -t main -l " + Quoted(text)); }

  std::string Screen() const { return Tmux("capture-pane -p -t main").output; }
  std::vector<std::vector<ShownCell>> Cells() const {
    return ParseCapture(Tmux("capture-pane -p -e -N -t main").output);
  }
  std::string Cursor() const { return Tmux("display -p -t main '#{cursor_x},#{cursor_y}'").output; }

  // Polls until the screen holds `text`; false after the timeout.
  bool WaitForText(const std::string& text) const {
    return WaitUntil([&] { return Screen().find(text) != std::string::npos; });
  }
  // The program's exit status, once it has ended; -1 when it does not end in time.
  int WaitForExit() const {
    std::filesystem::path status = directory_ / "exit-status";
    if (!WaitUntil([&] { return !ReadWholeFile(status).empty(); })) return -1;
    return std::stoi(ReadWholeFile(status));
  }

  // A second session of the same size shows this one through a client of its own: that client
  // writes cleared cells as spaces in their colours, which capture-pane then reports.
  std::vector<std::vector<ShownCell>> CellsThroughAClient(int width, int height) const {
    Tmux("new-session -d -s viewer -x " + std::to_string(width) + " -y " + std::to_string(height) +
         " " + Quoted("env -u TMUX tmux -L " + socket_ + " attach -t main"));
    std::vector<std::vector<ShownCell>> cells;
    WaitUntil([&] {
      cells = ParseCapture(Tmux("capture-pane -p -e -N -t viewer").output);
      return cells.size() == static_cast<std::size_t>(height) &&
             cells[0].size() == std::size_t(width) && cells[0][0].background != 49;
    });
    return cells;
  }

 private:
  static bool WaitUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return done();
  }

  static inline int sessions_ = 0;
  std::string socket_;
  std::filesystem::path directory_;
};

class TerminalRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunCommand("tmux -V").status != 0) GTEST_SKIP() << "tmux is not installed";
  }

  ScratchDirectory scratch;
  std::filesystem::path directory = std::filesystem::current_path();
};

// Empty when the two files are equal, else where they first differ: a whole font or include
// file in a failure message would bury it.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
  if (actual == expected) return {};
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
         ", first difference at byte " + std::to_string(at);
}

std::string Row(const std::string& screen, int row) {
  std::size_t start = 0;
  for (int i = 1; i < row; ++i) start = screen.find('\n', start) + 1;
  return screen.substr(start, screen.find('\n', start) - start);
}

// The include file the program must have written for these font bytes.
std::string ExpectedInclude(const std::string& fileName, const std::string& bytes, int height) {
  FontStore font;
  font.fileName = fileName;
  font.height = static_cast<std::uint8_t>(height);
  std::copy(bytes.begin(), bytes.end(), CurrentTable(font).begin());
  return BuildIncludeText(font, false);
}

TEST_F(TerminalRun, NewFontIsDrawnSavedAndLeftOnABlankScreen) {
  TmuxTerminal terminal(80, 25, directory, "glyph");
  ASSERT_TRUE(terminal.WaitForText("What size font do you want?"));
  terminal.Text("8");
  ASSERT_TRUE(terminal.WaitForText("Editing file \"glyph.fon\"     Size: 8x8"));
  EXPECT_EQ(ReadWholeFile("glyph.fon"), std::string(2048, '\0')) << "created at once";

  // Row 1 and column 8 by lock painting, then one pixel of "A".
  terminal.Keys("DC NPage Right Right Right Right Right Right Right");
  terminal.Keys("Down Down Down Down Down Down Down NPage Home");
  terminal.Text("A");
  terminal.Keys("DC");
  ASSERT_TRUE(terminal.WaitForText("View ASCII character  65 \"A\""));
  terminal.Keys("C-PageDown C-PageDown");
  ASSERT_TRUE(terminal.WaitForText("View ASCII character  63 \"?\""));
  terminal.Keys("C-PageUp");
  ASSERT_TRUE(terminal.WaitForText("View ASCII character  64 \"@\""));
  terminal.Text("0");
  ASSERT_TRUE(terminal.WaitForText("View ASCII character  48 \"0\""));
  std::string screen = terminal.Screen();
  EXPECT_EQ(Row(screen, 6), std::string(47, ' ') + " 1@@@@@@@@");
  EXPECT_EQ(Row(screen, 5), std::string(49, ' ') + "1");
  for (int row = 7; row <= 12; ++row) EXPECT_EQ(Row(screen, row).substr(47), "  .......@");
  EXPECT_EQ(Row(screen, 13).substr(47), "  .......@");
  EXPECT_EQ(Row(screen, 14), "");

  std::vector<std::vector<ShownCell>> cells = terminal.Cells();
  EXPECT_EQ(cells[0][0].foreground, 31);  // red on light grey
  EXPECT_EQ(cells[0][0].background, 47);
  EXPECT_EQ(cells[1][0].foreground, 34);  // blue on cyan
  EXPECT_EQ(cells[1][0].background, 46);
  EXPECT_EQ(cells[11][0].foreground, 92);   // light green status
  EXPECT_EQ(cells[12][56].foreground, 93);  // yellow grid

  terminal.Keys("F2 F3");
  ASSERT_EQ(terminal.WaitForExit(), 0);
  std::string font(2048, '\0');
  font['0' * 8] = char(0xFF);
  for (int row = 2; row <= 8; ++row) font['0' * 8 + row - 1] = 0x01;
  font['A' * 8] = char(0x80);
  EXPECT_EQ(FirstDifference(ReadWholeFile("glyph.fon"), font), "");
  EXPECT_EQ(FirstDifference(ReadWholeFile("glyph.inc"), ExpectedInclude("glyph.fon", font, 8)), "");

  EXPECT_EQ(terminal.Screen(), std::string(25, '\n'));
  EXPECT_EQ(terminal.Cursor(), "0,0\n");
  std::vector<std::vector<ShownCell>> shown = terminal.CellsThroughAClient(80, 25);
  ASSERT_EQ(shown.size(), 25u);
  for (const auto& row : shown) {
    ASSERT_EQ(row.size(), 80u);
    for (const ShownCell& cell : row) {
      ASSERT_EQ(cell.character, ' ');
      ASSERT_EQ(cell.foreground, 37) << "light grey";
      ASSERT_EQ(cell.background, 40) << "on black";
    }
  }
}

TEST_F(TerminalRun, ChangedFontIsSavedOnlyWhenTheAnswerIsYes) {
  struct Case {
    std::string answerKey;
    bool saved;
  };
  for (const Case& c : {Case{"y", true}, Case{"Up", false}, Case{"n", false}}) {
    ScratchDirectory perCase;
    std::filesystem::path here = std::filesystem::current_path();
    std::string font = testing::Repeat(std::string("\x3C\x42", 2), 1024);
    WriteWholeFile("answer.fon", font);
    TmuxTerminal terminal(80, 25, here, "answer.fon B");
    ASSERT_TRUE(terminal.WaitForText("View ASCII character  66 \"B\""));
    terminal.Keys("End DC F3");
    ASSERT_TRUE(terminal.WaitForText("Font has changed.  Save changes? (y/N)"));
    EXPECT_EQ(Row(terminal.Screen(), 13),
              std::string(19, ' ') + "Font has changed.  Save changes? (y/N)");
    EXPECT_EQ(terminal.Cursor(), "58,12\n");
    terminal.Keys(c.answerKey);
    ASSERT_EQ(terminal.WaitForExit(), 0) << c.answerKey;
    if (c.saved) font['B' * 8 + 7] ^= 0x01;
    EXPECT_EQ(FirstDifference(ReadWholeFile("answer.fon"), font), "") << c.answerKey;
    EXPECT_EQ(std::filesystem::exists("answer.inc"), c.saved) << c.answerKey;
    EXPECT_EQ(terminal.Screen(), std::string(25, '\n')) << c.answerKey;
  }
}

// A font from Debian's console-setup-linux package: PSF version 1, a 4-byte header (0x36 0x04,
// mode, bytes per glyph), then the glyphs; only the first 256 make up the raw font.
std::string RawFontFromConsoleFont(const std::string& psfGz, int height) {
  std::string psf = RunCommand("gzip -dc " + Quoted(psfGz)).output;
  if (psf.size() < 4 + 256 * static_cast<std::size_t>(height) || psf[0] != '\x36' ||
      psf[1] != '\x04' || psf[3] != char(height))
    return {};
  return psf.substr(4, 256 * static_cast<std::size_t>(height));
}

TEST_F(TerminalRun, ConsoleFontIsSavedUnchangedOnALargerTerminal) {
  const std::string psf = "/usr/share/consolefonts/Lat15-VGA16.psf.gz";
  if (!std::filesystem::exists(psf)) GTEST_SKIP() << psf << " missing (console-setup-linux)";
  const std::string font = RawFontFromConsoleFont(psf, 16);
  ASSERT_EQ(font.size(), 4096u);
  WriteWholeFile("vga16.fon", font);

  TmuxTerminal terminal(100, 30, directory, "vga16.fon A");
  ASSERT_TRUE(terminal.WaitForText("View ASCII character  65 \"A\""));
  std::string screen = terminal.Screen();
  EXPECT_EQ(Row(screen, 2), "Editing file \"vga16.fon\"     Size: 8x16");
  EXPECT_EQ(Row(screen, 28).substr(0, 22), "CTRL-F FontToClipboard");
  EXPECT_EQ(Row(screen, 30).substr(0, 7), "F2 Save");
  for (int row = 1; row <= 16; ++row) {
    std::string expected;
    for (int column = 1; column <= 8; ++column)
      expected += font['A' * 16 + row - 1] & (0x80 >> (column - 1)) ? '@' : '.';
    EXPECT_EQ(Row(screen, row + 5).substr(49, 8), expected) << "grid row " << row;
  }

  terminal.Keys("Escape");
  ASSERT_TRUE(terminal.WaitForText("View ASCII character  27 "));
  terminal.Keys("F2 F3");
  ASSERT_EQ(terminal.WaitForExit(), 0);
  EXPECT_EQ(FirstDifference(ReadWholeFile("vga16.fon"), font), "");
  EXPECT_EQ(FirstDifference(ReadWholeFile("vga16.inc"), ExpectedInclude("vga16.fon", font, 16)),
            "");
  EXPECT_EQ(terminal.Screen(), std::string(30, '\n'));
}

TEST_F(TerminalRun, TooSmallTerminalIsRefusedAfterTheNewFontIsCreated) {
  TmuxTerminal terminal(80, 24, directory, "tall");
  ASSERT_TRUE(terminal.WaitForText("What size font do you want?"));
  terminal.Text("6");
  ASSERT_EQ(terminal.WaitForExit(), 1);
  EXPECT_EQ(Row(terminal.Screen(), 2),
            "ERROR: Terminal too small (80x24): 8x16 fonts need at least 80x25");
  EXPECT_EQ(FirstDifference(ReadWholeFile("tall.fon"), std::string(4096, '\0')), "");
  EXPECT_TRUE(std::filesystem::exists("tall.inc"));
}

}  // namespace
}  // namespace kestrova

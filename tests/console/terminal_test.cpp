// The console on a real terminal: the probe runs inside tmux, which is asked what it shows,
// and is sent keys and signals.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "console/code_page_437.h"
#include "console/scripted_device.h"
#include "probe_scene.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

struct CommandResult {
  int status = -1;
  std::string output;
};

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, count);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Polls instead of sleeping a fixed time: fast when things go right, bounded when not.
template <typename Condition>
bool WaitUntil(Condition condition, int milliseconds = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// An 80x25 tmux session on a private server, running one shell command in a scratch
// directory; the server and the directory go when the test ends.
class TmuxSession {
 public:
  explicit TmuxSession(const std::string& command) {
    static int sessions = 0;
    socket_ = "kestrova-console-" + std::to_string(getpid()) + "-" + std::to_string(++sessions);
    char pattern[] = "/tmp/kestrova-console-XXXXXX";
    directory_ = mkdtemp(pattern);
    std::string shell = "cd " + Quote(directory_) + " && export LC_ALL=C.UTF-8 && " + command;
    started_ = Tmux("new-session -d -x 80 -y 25 " + Quote("sh -c " + Quote(shell))).status == 0;
  }
  ~TmuxSession() {
    Tmux("kill-server");
    fs::remove_all(directory_);
  }
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  bool Started() const { return started_; }
  fs::path File(const std::string& name) const { return fs::path(directory_) / name; }
  CommandResult Tmux(const std::string& arguments) const {
    return RunCommand("LC_ALL=C.UTF-8 tmux -u -f /dev/null -L " + socket_ + " " + arguments +
                      " 2>/dev/null");
  }
  void SendKeys(const std::string& keys) const { Tmux("send-keys -t 0 " + keys); }
  std::string Capture() const { return Tmux("capture-pane -p -e -t 0").output; }
  std::string Show(const std::string& format) const {
    std::string text = Tmux("display-message -p -t 0 " + Quote(format)).output;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

 private:
  std::string socket_;
  std::string directory_;
  bool started_ = false;
};

const std::string kProbe = CONSOLE_PROBE;

// One cell as tmux reports it: the character and the SGR numbers in force.
struct Captured {
  char32_t character;
  int foreground;
  int background;
  bool blink;
};

// tmux sends colours only where they change, also from one row to the next, so `pen` carries
// them over.
std::vector<Captured> ParseCapturedRow(const std::string& line, Captured& pen) {
  std::vector<Captured> cells;
  int& foreground = pen.foreground;
  int& background = pen.background;
  bool& blink = pen.blink;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] == '\x1b' && i + 1 < line.size() && line[i + 1] == '[') {
      std::size_t end = line.find('m', i);
      std::stringstream parameters(line.substr(i + 2, end - i - 2));
      std::string parameter;
      while (std::getline(parameters, parameter, ';')) {
        int p = parameter.empty() ? 0 : std::stoi(parameter);
        if (p == 0) foreground = background = -1, blink = false;
        if (p == 5 || p == 25) blink = p == 5;
        if ((p >= 30 && p <= 37) || (p >= 90 && p <= 97)) foreground = p;
        if (p == 39) foreground = -1;
        if (p >= 40 && p <= 47) background = p;
        if (p == 49) background = -1;
      }
      i = end + 1;
      continue;
    }
    auto lead = static_cast<unsigned char>(line[i]);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t character = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
      character = (character << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
    cells.push_back({character, foreground, background, blink});
    i += length;
  }
  return cells;
}

// The SGR numbers of the PC colours, written out here rather than taken from the renderer.
constexpr int kForegroundSgr[16] = {30, 34, 32, 36, 31, 35, 33, 37, 90, 94, 92, 96, 91, 95, 93, 97};
constexpr int kBackgroundSgr[8] = {40, 44, 42, 46, 41, 45, 43, 47};

// The first difference between what tmux shows and the model, or empty. tmux leaves out the
// blanks at the end of a row, so those can only be checked to be blank.
std::string CaptureDifference(const std::string& capture, const Console& console) {
  std::stringstream rows(capture);
  std::string line;
  Captured pen{' ', -1, -1, false};
  for (int row = 1; row <= console.height; ++row) {
    std::getline(rows, line);
    std::vector<Captured> cells = ParseCapturedRow(line, pen);
    for (int column = 1; column <= console.width; ++column) {
      const Cell& cell = CellAt(console, column, row);
      std::string where = " at " + std::to_string(column) + "," + std::to_string(row);
      if (static_cast<std::size_t>(column) > cells.size()) {
        if (GlyphCodePoint(cell.character) != ' ') return "missing character" + where;
        continue;
      }
      const Captured& shown = cells[static_cast<std::size_t>(column) - 1];
      if (shown.character != GlyphCodePoint(cell.character)) return "character" + where;
      if (shown.foreground != kForegroundSgr[ForegroundOf(cell.attribute)] ||
          shown.background != kBackgroundSgr[BackgroundOf(cell.attribute)] ||
          shown.blink != BlinkOf(cell.attribute))
        return "colours" + where;
    }
  }
  return {};
}

TEST(TerminalDevice, TmuxShowsExactlyTheModel) {
  auto expected = std::make_unique<Console>();
  ScriptedDevice device;
  OpenConsole(*expected, device, 80, 25);
  DrawProbeScene(*expected);

  TmuxSession tmux(kProbe + " scene");
  ASSERT_TRUE(tmux.Started());
  std::string difference = "nothing captured";
  EXPECT_TRUE(WaitUntil([&] {
    return (difference = CaptureDifference(tmux.Capture(), *expected)).empty();
  })) << difference
      << "\n"
      << tmux.Capture();
  EXPECT_EQ(tmux.Show("#{cursor_x} #{cursor_y}"), std::to_string(expected->cursorColumn - 1) + " " +
                                                      std::to_string(expected->cursorRow - 1));
  EXPECT_EQ(expected->cursorColumn, 24);  // inside the window, which starts in column 20
}

TEST(TerminalDevice, KeysSentByTmuxArriveAsKeyBytes) {
  TmuxSession tmux(kProbe + " keys log");
  ASSERT_TRUE(tmux.Started());
  const fs::path log = tmux.File("log");
  ASSERT_TRUE(
      WaitUntil([&] { return tmux.Capture().find_first_not_of(" \n") != std::string::npos; }));

  struct Key {
    std::string sent;
    std::vector<int> bytes;
  };
  const Key keys[] = {
      {"F2", {0, 60}},       {"F3", {0, 61}},       {"Home", {0, 71}},   {"C-Home", {0, 119}},
      {"C-PPage", {0, 132}}, {"C-NPage", {0, 118}}, {"C-End", {0, 117}}, {"IC", {0, 82}},
      {"DC", {0, 83}},       {"NPage", {0, 81}},    {"PPage", {0, 73}},  {"End", {0, 79}},
      {"Up", {0, 72}},       {"Down", {0, 80}},     {"Left", {0, 75}},   {"Right", {0, 77}},
      {"Escape", {27}},      {"M-a", {0, 30}},      {"M-1", {0, 120}},   {"BSpace", {8}},
      {"BTab", {0, 15}},     {"Tab", {9}},          {"Enter", {13}},     {"KPEnter", {13}},
      {"C-j", {10}},         {"KP/", {0, 53}},      {"C-a", {1}},        {"C-f", {6}},
      {"C-g", {7}},          {"C-l", {12}},         {"C-r", {18}},       {"C-v", {22}},
      {"C-w", {23}},         {"C-z", {26}},         {"'C-\\'", {28}},    {"4", {52}},
      {"6", {54}},           {"8", {56}},           {"y", {121}},        {"Y", {89}},
      {"F1", {0, 59}},       {"F12", {0, 134}},     {"S-F5", {0, 88}},   {"C-F5", {0, 98}},
      {"M-F5", {0, 108}},    {"S-Up", {0, 72}},     {"C-Up", {0, 141}},  {"M-DC", {0, 163}},
      {"C-Space x", {120}},  {"-l é", {130}},       {"q", {113}},
  };
  std::vector<int> all;
  for (const Key& key : keys) {
    all.insert(all.end(), key.bytes.begin(), key.bytes.end());
    tmux.SendKeys(key.sent);
    std::vector<int> logged;
    bool arrived = WaitUntil([&] {
      logged.clear();
      std::stringstream lines(ReadFile(log));
      for (int byte; lines >> byte;) logged.push_back(byte);
      return logged.size() >= all.size();
    });
    ASSERT_TRUE(arrived) << key.sent << " gave nothing";
    ASSERT_EQ(logged, all) << "after " << key.sent;
  }
}

struct ExitPath {
  const char* name;
  int exitCode;  // what the probe is told to end with when it ends by itself
  int signal;    // 0: ended by the keys instead
  const char* keys;
  int status;
};

void PrintTo(const ExitPath& path, std::ostream* out) { *out << path.name; }

class ExitPaths : public ::testing::TestWithParam<ExitPath> {};

TEST_P(ExitPaths, GiveTheTerminalModesBackExactly) {
  const ExitPath& path = GetParam();
  // The shell ignores nothing: its trap keeps it alive through Ctrl+C to report the status.
  TmuxSession tmux("trap : INT; ulimit -c 0; stty -g > before; " + kProbe + " wait " +
                   std::to_string(path.exitCode) +
                   " pid; echo $? > status.part; stty -g > after; mv status.part status");
  ASSERT_TRUE(tmux.Started());
  ASSERT_TRUE(WaitUntil([&] { return tmux.Capture().find("waiting") != std::string::npos; }));
  std::string tty = tmux.Show("#{pane_tty}");
  std::string before = ReadFile(tmux.File("before"));
  EXPECT_NE(RunCommand("stty -g < " + tty).output, before) << "the probe should be in raw mode";

  if (path.signal != 0)
    kill(std::stoi(ReadFile(tmux.File("pid"))), path.signal);
  else
    tmux.SendKeys(path.keys);
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(tmux.File("status")); }));
  EXPECT_EQ(ReadFile(tmux.File("status")), std::to_string(path.status) + "\n");
  EXPECT_EQ(ReadFile(tmux.File("after")), before);
  EXPECT_FALSE(before.empty());
}

INSTANTIATE_TEST_SUITE_P(
    TerminalDevice, ExitPaths,
    ::testing::Values(ExitPath{"NormalEnd", 0, 0, "e", 0}, ExitPath{"ExitCode", 3, 0, "e", 3},
                      ExitPath{"CtrlC", 0, 0, "C-c", 130}, ExitPath{"Sigterm", 0, SIGTERM, "", 143},
                      ExitPath{"Sighup", 0, SIGHUP, "", 129},
                      ExitPath{"Sigquit", 0, SIGQUIT, "", 131}),
    [](const ::testing::TestParamInfo<ExitPath>& info) { return std::string(info.param.name); });

TEST(TerminalDevice, RefusesWhatIsNoTerminalWithOneLine) {
  CommandResult piped = RunCommand(kProbe + " scene < /dev/null 2>&1");
  EXPECT_EQ(piped.status, 1);
  EXPECT_EQ(piped.output, "console_probe: standard input is not a terminal\n");

  TmuxSession tmux("TERM=dumb " + kProbe + " scene 2> dumb; echo $? > dumb.status; env -u TERM " +
                   kProbe + " scene 2> unset; echo $? > unset.status; " + kProbe +
                   " scene > /dev/null 2> piped; echo $? > piped.status");
  ASSERT_TRUE(tmux.Started());
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(tmux.File("piped.status")); }));
  for (const char* name : {"dumb", "unset", "piped"}) {
    EXPECT_EQ(ReadFile(tmux.File(std::string(name) + ".status")), "1\n") << name;
    std::string message = ReadFile(tmux.File(name));
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
  }
  EXPECT_EQ(ReadFile(tmux.File("piped")), "console_probe: standard output is not a terminal\n");
}

// Reads what the program sends until `wanted` has come, for at most five seconds.
bool ReadUntil(int terminal, const std::string& wanted, std::string& received) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (received.find(wanted) == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd output{terminal, POLLIN, 0};
    if (left.count() <= 0 || poll(&output, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    ssize_t count = read(terminal, buffer, sizeof buffer);
    if (count <= 0) return false;
    received.append(buffer, static_cast<std::size_t>(count));
  }
  return true;
}

// No kitty here: the test plays a terminal that speaks its keyboard protocol, answering the
// probe's questions as kitty does and typing what kitty sends.
TEST(TerminalDevice, UsesTheKittyKeyboardProtocolWhereTheTerminalAnswers) {
  char pattern[] = "/tmp/kestrova-console-XXXXXX";
  const std::string directory = mkdtemp(pattern);
  const std::string log = directory + "/log";
  int terminal = -1;
  winsize size{25, 80, 0, 0};
  pid_t probe = forkpty(&terminal, nullptr, nullptr, &size);
  ASSERT_GE(probe, 0);
  if (probe == 0) {
    setenv("TERM", "xterm-kitty", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    unsetenv("TMUX");
    execl(kProbe.c_str(), kProbe.c_str(), "keys", log.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  auto type = [terminal](const std::string& bytes) {
    EXPECT_EQ(write(terminal, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  };
  std::string received;
  EXPECT_TRUE(ReadUntil(terminal, "\x1b[?u\x1b[c", received));
  type("\x1b[?0u\x1b[?62;22c");
  EXPECT_TRUE(ReadUntil(terminal, "\x1b[>31u\x1b[?u", received));
  // Flags in force, then Alt held with keypad 6 and 5, Esc and the keypad's Enter.
  type(
      "\x1b[?31u\x1b[57443;129u\x1b[57405;131u\x1b[57405;131:3u\x1b[57404;131u"
      "\x1b[57404;131:3u\x1b[57443;131:3u\x1b[27u\x1b[57414u");
  std::vector<int> logged;
  EXPECT_TRUE(WaitUntil([&] {
    logged.clear();
    std::stringstream lines(ReadFile(log));
    for (int byte; lines >> byte;) logged.push_back(byte);
    return logged.size() >= 3;
  }));
  EXPECT_EQ(logged, (std::vector<int>{65, 27, 13}));

  type("\x1b[99;5u");  // Ctrl+C
  int status = 0;
  EXPECT_TRUE(WaitUntil([&] { return waitpid(probe, &status, WNOHANG) == probe; }));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  ReadUntil(terminal, "\x1b[?25h", received);
  EXPECT_NE(received.find("\x1b[<u"), std::string::npos) << "the protocol's flags were not popped";
  close(terminal);
  fs::remove_all(directory);
}

}  // namespace
}  // namespace kestrova

#include "console/terminal_device.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include "console/key_decoder.h"
#include "console/screen_renderer.h"
#include "console/terminal_environment.h"

namespace kestrova {

namespace {

constexpr int kInput = STDIN_FILENO;
constexpr int kOutput = STDOUT_FILENO;

// How long a lone ESC (or a sequence cut short) may wait for the rest of its sequence
// before it counts as the Esc key.
constexpr int kEscTimeoutMilliseconds = 50;
// Every terminal answers the device attributes request; at close it gets this long to do so,
// so that the answer is not typed into the shell after the program has gone.
constexpr int kAnswerWaitMilliseconds = 200;
// kitty keyboard protocol: disambiguate, report releases, report alternate keys, report all
// keys as sequences, report their text. Releases of Alt are what Alt composition needs.
constexpr int kKeyFlags = 1 | 2 | 4 | 8 | 16;
constexpr int kReleaseFlags = 2 | 8;
constexpr int kDefaultWidth = 80;
constexpr int kDefaultHeight = 24;

constexpr char kTakeOver[] = "\x1b[?1036h\x1b[?1039h";
constexpr char kAskKeyProtocol[] = "\x1b[?u\x1b[c";
constexpr char kApplicationKeypad[] = "\x1b=";
constexpr char kPopKeyFlags[] = "\x1b[<u";
constexpr char kNumericKeypad[] = "\x1b>";
constexpr char kGiveBack[] = "\x1b[0m\x1b[?7h\x1b[?1036l\x1b[?1039l\x1b[?25h";

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT};
constexpr std::size_t kSignalCount = std::size(kHandledSignals);

// What a signal handler needs to give the terminal back. Only plain data, written before
// `active` is set, so the handler can use it at any moment.
struct TerminalRestore {
  termios saved{};
  volatile std::sig_atomic_t active = 0;
  volatile std::sig_atomic_t keyFlagsPushed = 0;
  volatile std::sig_atomic_t applicationKeypad = 0;
};
TerminalRestore gRestore;

// Async-signal-safe.
void WriteAll(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = write(kOutput, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      // Output left non-blocking by another program: wait until the terminal takes more.
      pollfd output{kOutput, POLLOUT, 0};
      if (errno == EAGAIN && poll(&output, 1, -1) > 0) continue;
      return;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

template <std::size_t N>
void WriteText(const char (&text)[N]) {
  WriteAll(text, N - 1);
}

// Async-signal-safe: switches off what the console switched on and puts the saved modes back.
void GiveTerminalBack() {
  if (!gRestore.active) return;
  gRestore.active = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (gRestore.keyFlagsPushed) WriteText(kPopKeyFlags);
  if (gRestore.applicationKeypad) WriteText(kNumericKeypad);
  WriteText(kGiveBack);
  tcsetattr(kInput, TCSANOW, &gRestore.saved);
}

// Installed with SA_RESETHAND and SA_NODEFER: raising the signal again takes its default
// action at once, so the exit status tells which signal ended the program.
void GiveBackAndDie(int signal) {
  int savedErrno = errno;
  GiveTerminalBack();
  raise(signal);
  errno = savedErrno;
}

[[noreturn]] void DieOf(int signal, int exitCode) {
  GiveTerminalBack();
  std::signal(signal, SIG_DFL);
  raise(signal);
  _exit(exitCode);
}

termios RawModes(const termios& saved) {
  termios raw = saved;
  raw.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  // ISIG stays on so Ctrl+C interrupts; the suspend and quit characters are switched off
  // so that Ctrl+Z and Ctrl+\ arrive as keys.
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  raw.c_cflag |= CS8;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  raw.c_cc[VSUSP] = _POSIX_VDISABLE;
  raw.c_cc[VQUIT] = _POSIX_VDISABLE;
  return raw;
}

void TerminalSize(int& width, int& height) {
  winsize size{};
  bool known = ioctl(kOutput, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0;
  width = std::min(known ? static_cast<int>(size.ws_col) : kDefaultWidth, kMaxScreenSide);
  height = std::min(known ? static_cast<int>(size.ws_row) : kDefaultHeight, kMaxScreenSide);
}

// Waits for input; a negative timeout waits for ever. True when there is something to read.
bool WaitForInput(int timeoutMilliseconds) {
  pollfd input{kInput, POLLIN, 0};
  for (;;) {
    int ready = poll(&input, 1, timeoutMilliseconds);
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return true;  // let the read report it
  }
}

struct SignalActions {
  struct sigaction previous[kSignalCount] = {};
  bool replaced[kSignalCount] = {};
};

void InstallSignalHandlers(SignalActions& actions) {
  struct sigaction action {};
  action.sa_handler = GiveBackAndDie;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    sigaction(kHandledSignals[i], nullptr, &actions.previous[i]);
    // A signal ignored by whoever started the program (nohup) stays ignored.
    if (actions.previous[i].sa_handler == SIG_IGN) continue;
    sigaction(kHandledSignals[i], &action, nullptr);
    actions.replaced[i] = true;
  }
}

void RestoreSignalHandlers(const SignalActions& actions) {
  for (std::size_t i = 0; i < kSignalCount; ++i)
    if (actions.replaced[i]) sigaction(kHandledSignals[i], &actions.previous[i], nullptr);
}

// Reads what the terminal has sent. A terminal that is gone ends the program as a hang-up.
void ReadInput(std::string& input) {
  char buffer[4096];
  for (;;) {
    ssize_t count = read(kInput, buffer, sizeof buffer);
    if (count > 0) {
      input.append(buffer, static_cast<std::size_t>(count));
      return;
    }
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) return;
    DieOf(SIGHUP, 129);
  }
}

}  // namespace

struct TerminalDevice::State {
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  KeyDecoder decoder;
  TerminalScreen screen;
  std::string input;  // read but not yet decoded
  // Answers still on their way: the device attributes, and the flags after a push.
  bool attributesAnswered = false;
  bool keyFlagsConfirmed = false;
  SignalActions signalActions;

  bool AnswersIn() const {
    return attributesAnswered && (!gRestore.keyFlagsPushed || keyFlagsConfirmed);
  }
};

TerminalDevice::~TerminalDevice() { Close(); }

bool TerminalDevice::Open(std::string& whyNot) {
  if (state_ != nullptr) return true;
  whyNot = WhyTerminalUnusable(isatty(kInput) == 1, isatty(kOutput) == 1, std::getenv("TERM"));
  if (!whyNot.empty()) return false;
  termios saved{};
  if (tcgetattr(kInput, &saved) != 0) {
    whyNot = "the terminal's modes cannot be read";
    return false;
  }
  state_ = new State;
  TerminalSize(state_->width, state_->height);
  state_->decoder.utf8 =
      LocaleIsUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  state_->screen.utf8 = state_->decoder.utf8;

  gRestore.saved = saved;
  gRestore.keyFlagsPushed = 0;
  gRestore.applicationKeypad = WantsApplicationKeypad(std::getenv("TMUX"), std::getenv("TERM"));
  std::atomic_signal_fence(std::memory_order_seq_cst);
  gRestore.active = 1;
  InstallSignalHandlers(state_->signalActions);
  termios raw = RawModes(saved);
  tcsetattr(kInput, TCSANOW, &raw);
  WriteText(kTakeOver);
  if (gRestore.applicationKeypad) WriteText(kApplicationKeypad);
  // The answers are read with the keys; a terminal without the protocol answers only the
  // second question, and the console then stays with the keys every terminal sends.
  WriteText(kAskKeyProtocol);
  return true;
}

int TerminalDevice::Width() const { return state_ != nullptr ? state_->width : 0; }
int TerminalDevice::Height() const { return state_ != nullptr ? state_->height : 0; }

void TerminalDevice::Show(const Console& console) {
  if (state_ == nullptr) return;
  std::string out;
  RenderConsole(state_->screen, console, out);
  WriteAll(out.data(), out.size());
}

KeyEvent TerminalDevice::NextKey() {
  State& state = *state_;
  for (;;) {
    if (state.input.empty()) {
      WaitForInput(-1);
      ReadInput(state.input);
      continue;
    }
    DecodedInput decoded = DecodeInput(state.decoder, state.input, false);
    if (decoded.kind == DecodedInput::Kind::Incomplete) {
      if (WaitForInput(kEscTimeoutMilliseconds)) {
        ReadInput(state.input);
        continue;
      }
      decoded = DecodeInput(state.decoder, state.input, true);
    }
    state.input.erase(0, decoded.length);
    switch (decoded.kind) {
      case DecodedInput::Kind::Key:
        return decoded.key;
      case DecodedInput::Kind::Interrupt:
        DieOf(SIGINT, 130);
      case DecodedInput::Kind::KeyProtocolFlags:
        if (!gRestore.keyFlagsPushed) {
          gRestore.keyFlagsPushed = 1;
          // Pushed, then asked again: the answer tells which flags the terminal took.
          std::string push = "\x1b[>" + std::to_string(kKeyFlags) + "u\x1b[?u";
          WriteAll(push.data(), push.size());
        } else {
          state.keyFlagsConfirmed = true;
          state.decoder.releasesReported = (decoded.flags & kReleaseFlags) == kReleaseFlags;
        }
        break;
      case DecodedInput::Kind::DeviceAttributes:
        state.attributesAnswered = true;
        break;
      default:
        break;
    }
  }
}

void TerminalDevice::Close() {
  if (state_ == nullptr) return;
  State& state = *state_;
  // Answers that come after the program has gone would be typed into the shell: wait a little
  // for those still on their way. Keys typed meanwhile are dropped, the program is ending.
  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerWaitMilliseconds);
  for (;;) {
    while (!state.input.empty()) {
      DecodedInput decoded = DecodeInput(state.decoder, state.input, false);
      if (decoded.kind == DecodedInput::Kind::Incomplete) break;
      state.input.erase(0, decoded.length);
      if (decoded.kind == DecodedInput::Kind::DeviceAttributes) state.attributesAnswered = true;
      if (decoded.kind == DecodedInput::Kind::KeyProtocolFlags && gRestore.keyFlagsPushed)
        state.keyFlagsConfirmed = true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (state.AnswersIn() || left.count() <= 0 || !WaitForInput(static_cast<int>(left.count())))
      break;
    char buffer[256];
    ssize_t count = read(kInput, buffer, sizeof buffer);
    if (count <= 0) break;
    state.input.append(buffer, static_cast<std::size_t>(count));
  }
  GiveTerminalBack();
  RestoreSignalHandlers(state.signalActions);
  delete state_;
  state_ = nullptr;
}

}  // namespace kestrova

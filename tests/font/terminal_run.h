#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

struct ProgramRun {
  int exitCode = -1;  // -1 when the program did not end by itself
  std::string terminalOutput;
  std::string errorOutput;
};

struct RunRequest {
  std::vector<std::string> arguments;
  // Sent once the terminal output holds `awaitText`, or at once when that is empty.
  std::string awaitText;
  std::string keys;
  rlim_t fileSizeLimit = RLIM_INFINITY;
};

namespace terminal_run_detail {

inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t count; (count = ::read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(count));
  return text;
}

[[noreturn]] inline void StartProgram(const std::string& binary, const RunRequest& request,
                                      int errorFd) {
  ::dup2(errorFd, STDERR_FILENO);
  ::setenv("TERM", "xterm", 1);
  // The program must ignore the file size signal by itself.
  ::signal(SIGXFSZ, SIG_DFL);
  rlimit limit{request.fileSizeLimit, request.fileSizeLimit};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::vector<char*> argv{const_cast<char*>(binary.c_str())};
  for (const std::string& argument : request.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ::execv(binary.c_str(), argv.data());
  ::_exit(127);
}

}  // namespace terminal_run_detail

// Runs `binary` on an 80 by 25 pseudo-terminal with its standard error going to a file of its
// own, types the keys, and waits up to ten seconds for it to end.
inline ProgramRun RunInTerminal(const std::string& binary, const RunRequest& request) {
  using namespace terminal_run_detail;
  ProgramRun run;
  std::FILE* errorFile = std::tmpfile();
  if (errorFile == nullptr) return run;
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 25;
  int master = -1;
  pid_t child = ::forkpty(&master, nullptr, nullptr, &size);
  if (child == 0) StartProgram(binary, request, ::fileno(errorFile));
  if (child < 0) {
    std::fclose(errorFile);
    return run;
  }

  bool keysSent = false;
  int status = 0;
  bool ended = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    if (!keysSent && run.terminalOutput.find(request.awaitText) != std::string::npos) {
      keysSent = ::write(master, request.keys.data(), request.keys.size()) ==
                 static_cast<ssize_t>(request.keys.size());
    }
    pollfd readable{master, POLLIN, 0};
    if (::poll(&readable, 1, 20) > 0) {
      char buffer[4096];
      ssize_t count = ::read(master, buffer, sizeof buffer);
      if (count > 0) run.terminalOutput.append(buffer, static_cast<std::size_t>(count));
    }
    ended = ::waitpid(child, &status, WNOHANG) == child;
  }
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  } else if (WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  ::close(master);
  run.errorOutput = ReadAll(::fileno(errorFile));
  std::fclose(errorFile);
  return run;
}

}  // namespace kestrova

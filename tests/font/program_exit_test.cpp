// The real program on a pseudo-terminal: the exit codes, messages and files of loading and of
// saving a new font, and the run-time error report on standard error.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scratch_directory.h"
#include "terminal_run.h"

namespace kestrova {
namespace {

constexpr std::string_view kPromptStart = "What size font do you want?";

class ProgramExitTest : public ScratchDirectoryTest {
 protected:
  ProgramRun Run(RunRequest request) {
    ProgramRun run = RunInTerminal(KESTROVA_BINARY, request);
    EXPECT_NE(run.exitCode, -1) << "the program did not end; it wrote:\n" << run.terminalOutput;
    return run;
  }

  ProgramRun RunNewFont(const std::string& argument, const std::string& keys,
                        rlim_t fileSizeLimit = RLIM_INFINITY) {
    return Run({{argument}, std::string(kPromptStart), keys, fileSizeLimit});
  }
};

// The terminal output without its control sequences, so that a message that wrapped to the next
// row reads as one text again.
std::string VisibleText(const std::string& output) {
  std::string text;
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (output[i] != '\x1b') {
      text += output[i];
    } else if (i + 1 < output.size() && output[i + 1] == '[') {
      i += 2;
      while (i < output.size() && (output[i] < 0x40 || output[i] > 0x7E)) ++i;
    } else {
      ++i;
    }
  }
  return text;
}

// The report's layout with the code addresses left out; they are checked on their own.
void ExpectInOutReport(const std::string& report, const std::string& message) {
  std::vector<std::string> lines = SplitLines(report);
  ASSERT_GE(lines.size(), 5u) << report;
  const std::string atPrefix = "An unhandled exception occurred at $";
  EXPECT_EQ(lines[0].substr(0, atPrefix.size()), atPrefix) << report;
  EXPECT_EQ(lines[0].size(), atPrefix.size() + 9) << report;
  EXPECT_EQ(lines[1], "EInOutError: " + message);
  EXPECT_EQ(lines[2], "  $" + lines[0].substr(atPrefix.size(), 8));
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    EXPECT_EQ(lines[i].size(), 11u) << report;
    EXPECT_EQ(lines[i].substr(3).find_first_not_of("0123456789ABCDEF"), std::string::npos)
        << report;
  }
  EXPECT_EQ(lines.back(), "");
  EXPECT_EQ(report.substr(report.size() - 2), "\n\n");
}

TEST_F(ProgramExitTest, LoadingFailuresEndWithCodeOne) {
  WriteWholeFile("nine.fon", std::string(9 * 256, '\0'));
  ASSERT_TRUE(std::filesystem::create_directory("folder.fon"));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "Usage: KESTROVA <fontfile> [<character>]"},
      {{""}, "Usage: KESTROVA <fontfile> [<character>]"},
      {{"nodir/x"}, "ERROR opening file nodir/x.fon"},
      {{"folder.fon"}, "ERROR opening file folder.fon"},
      {{"nine.fon"}, "ERROR: Cannot operate on fonts other than 8x8, 8x14, or 8x16"}};
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(arguments.empty() ? "no argument" : arguments[0]);
    ProgramRun run = Run({arguments, "", "", RLIM_INFINITY});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(VisibleText(run.terminalOutput).find(message), std::string::npos)
        << run.terminalOutput;
    EXPECT_EQ(run.errorOutput, "");
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.fon", "nine.fon"}));
}

TEST_F(ProgramExitTest, EscAtTheSizePromptEndsWithCodeZeroAndNoFiles) {
  ProgramRun run = RunNewFont("x", "\x1b");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(ProgramExitTest, AnIncludeFileThatCannotBeCreatedEndsWithCodeOneAfterTheFontFile) {
  ASSERT_TRUE(std::filesystem::create_directory("x.inc"));
  ProgramRun run = RunNewFont("x", "4");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(VisibleText(run.terminalOutput).find("ERROR: Cannot create ASCII font file"),
            std::string::npos)
      << run.terminalOutput;
  EXPECT_EQ(ReadWholeFile("x.fon"), std::string(3584, '\0'));
}

TEST_F(ProgramExitTest, AFullDiskIsReportedOnStandardErrorWithCode217) {
  ASSERT_EQ(::symlink("/dev/full", "x.inc"), 0);
  ProgramRun first = RunNewFont("x", "8");
  EXPECT_EQ(first.exitCode, 217);
  ExpectInOutReport(first.errorOutput, "Disk Full");
  EXPECT_EQ(ReadWholeFile("x.fon"), std::string(2048, '\0'));

  // The addresses are offsets into the program, the same whatever address it was loaded at.
  std::filesystem::remove("x.fon");
  ProgramRun second = RunNewFont("x", "8");
  EXPECT_EQ(second.exitCode, 217);
  EXPECT_EQ(second.errorOutput, first.errorOutput);
}

TEST_F(ProgramExitTest, AWriteOverTheFileSizeLimitIsDiskFullNotASignal) {
  ProgramRun run = RunNewFont("x", "8", 16384);
  EXPECT_EQ(run.exitCode, 217);
  ExpectInOutReport(run.errorOutput, "Disk Full");
  EXPECT_EQ(ReadWholeFile("x.fon"), std::string(2048, '\0'));
  EXPECT_EQ(std::filesystem::file_size("x.inc"), 16384u);
}

TEST_F(ProgramExitTest, AFileShorterThanAGlyphRowReadsPastItsEnd) {
  WriteWholeFile("short.fon", "abc");
  ProgramRun run = RunNewFont("short.fon", "6");
  EXPECT_EQ(run.exitCode, 217);
  ExpectInOutReport(run.errorOutput, "Read past end of file");
  EXPECT_EQ(ReadWholeFile("short.fon"), "abc");
}

}  // namespace
}  // namespace kestrova

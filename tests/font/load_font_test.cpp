#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/program_exit.h"
#include "font/file_error.h"
#include "font/load_font.h"
#include "scratch_directory.h"

namespace kestrova {
namespace {

constexpr std::string_view kPrompt =
    "Creating new font. What size font do you want? (Esc, [8],1[4],1[6]) ";
constexpr std::string_view kSizeMessage =
    "ERROR: Cannot operate on fonts other than 8x8, 8x14, or 8x16";

std::string Extended(char code) { return std::string("\0", 1) + code; }

class LoadFontTest : public ScratchDirectoryTest {
 protected:
  // Runs LoadFont on a fresh font and console; the exit code when it ended the program.
  std::optional<int> Load(std::string_view argument1, std::string_view keys = {}) {
    font_ = std::make_unique<FontStore>();
    screen_ = std::make_unique<ScriptedConsole>(keys);
    try {
      LoadFont(*font_, *screen_->console, argument1);
    } catch (const ProgramExit& exit) {
      return exit.exitCode;
    }
    return std::nullopt;
  }

  // LoadFont must end in the input/output failure report; its code.
  int LoadFailingInOut(std::string_view argument1, std::string_view keys = {}) {
    try {
      Load(argument1, keys);
    } catch (const InOutError& error) {
      return error.code;
    }
    ADD_FAILURE() << "no input/output failure";
    return 0;
  }

  std::string Screen() const { return screen_->Screen(); }

  std::unique_ptr<FontStore> font_;
  std::unique_ptr<ScriptedConsole> screen_;
};

TEST(ResolveFontFileName, AddsTheExtensionOnlyWhenTheNameHasNoDot) {
  EXPECT_EQ(ResolveFontFileName("myfont"), "myfont.fon");
  EXPECT_EQ(ResolveFontFileName("fonts.d/myfont"), "fonts.d/myfont");
  EXPECT_EQ(ResolveFontFileName("myfont."), "myfont.");
  EXPECT_EQ(ResolveFontFileName("MY.FNT"), "MY.FNT");
}

TEST_F(LoadFontTest, NoArgumentWritesTheUsageLine) {
  EXPECT_EQ(Load(""), 1);
  EXPECT_EQ(Screen(), "Usage: KESTROVA <fontfile> [<character>]\n\n\n\n");
  EXPECT_TRUE(Entries().empty());
}

TEST_F(LoadFontTest, AFileThatCannotBeOpenedForWritingEndsAtTheProbe) {
  WriteWholeFile("plain.fon", std::string(2048, '\0'));
  ASSERT_TRUE(std::filesystem::create_directory("folder.fon"));
  // A directory given as the font file is refused even for root.
  const std::pair<std::string, std::string> cases[] = {
      {"nodir/x", "nodir/x.fon"}, {"folder.fon", "folder.fon"}, {"plain.fon/x", "plain.fon/x"}};
  for (const auto& [argument, fileName] : cases) {
    SCOPED_TRACE(argument);
    EXPECT_EQ(Load(argument), 1);
    EXPECT_EQ(Screen(), "ERROR opening file " + fileName + "\n\n\n\n");
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.fon", "plain.fon"}));
}

// Root may write any file, so then a child process gives up root before it tries.
TEST_F(LoadFontTest, AReadOnlyFileEndsAtTheProbe) {
  WriteWholeFile("ro.fon", std::string(2048, '\0'));
  ASSERT_EQ(::chmod("ro.fon", 0444), 0);
  ASSERT_EQ(::chmod(Directory().c_str(), 0755), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(2);
    bool refused = Load("ro.fon") == 1 && Screen() == "ERROR opening file ro.fon\n\n\n\n";
    ::_exit(refused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadWholeFile("ro.fon"), std::string(2048, '\0'));
}

TEST_F(LoadFontTest, UnsupportedSizesAreRefused) {
  for (off_t size : {off_t{7 * 256}, off_t{2047}, off_t{9 * 256}, off_t{9 * 256 + 255},
                     off_t{13 * 256}, off_t{15 * 256}, off_t{17 * 256}, off_t{1} << 32}) {
    SCOPED_TRACE(size);
    WriteWholeFile("big.fon", "");
    ASSERT_EQ(::truncate("big.fon", size), 0);
    EXPECT_EQ(Load("big.fon"), 1);
    EXPECT_EQ(Screen(), std::string(kSizeMessage) + "\n\n\n\n");
    EXPECT_EQ(std::filesystem::file_size("big.fon"), static_cast<std::uintmax_t>(size));
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"big.fon"});
}

TEST_F(LoadFontTest, TheHeightFollowsFromTheSizeAndExtraBytesAreAccepted) {
  const std::pair<std::size_t, int> cases[] = {{2048, 8},        {2048 + 255, 8}, {3584, 14},
                                               {3584 + 255, 14}, {4096, 16},      {4096 + 255, 16}};
  for (const auto& [size, height] : cases) {
    SCOPED_TRACE(size);
    std::string bytes = PatternBytes(size, height);
    WriteWholeFile("f.fon", bytes);
    EXPECT_EQ(Load("f.fon"), std::nullopt);
    EXPECT_EQ(font_->height, height);
    EXPECT_EQ(font_->fileName, "f.fon");
    EXPECT_TRUE(font_->fontFile.IsOpen());
    EXPECT_FALSE(font_->modified);
    auto table = CurrentTable(*font_);
    EXPECT_EQ(std::string(table.begin(), table.end()), bytes.substr(0, TableSize(height)));
    EXPECT_EQ(Screen(), "\n\n\n\n");
  }
  // Loading an existing font writes nothing.
  EXPECT_EQ(Entries(), std::vector<std::string>{"f.fon"});
}

TEST_F(LoadFontTest, AFileShorterThanOneGlyphRowAsksAndThenReadsPastItsEnd) {
  for (std::size_t size = 0; size < 256; ++size) {
    SCOPED_TRACE(size);
    std::string bytes = PatternBytes(size, 1);
    WriteWholeFile("short.fon", bytes);
    EXPECT_EQ(LoadFailingInOut("short.fon", "8"), 100);
    EXPECT_EQ(Screen(), std::string(kPrompt.substr(0, 67)) + "\n\n\n\n");
    EXPECT_EQ(ReadWholeFile("short.fon"), bytes);
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"short.fon"});
}

struct PromptCase {
  std::string keys;
  int height;
};

TEST_F(LoadFontTest, TheSizePromptCreatesTheChosenFontAtOnce) {
  const PromptCase cases[] = {
      {"8", 8},
      {"4", 14},
      {"6", 16},
      {"1x9\r 16", 16},
      {Extended('4') + Extended('6') + Extended('8') + "4", 14},
  };
  for (const auto& [keys, height] : cases) {
    SCOPED_TRACE(keys);
    EXPECT_EQ(Load("new", keys), std::nullopt);
    EXPECT_EQ(screen_->keys.KeysLeft(), 0u);
    EXPECT_EQ(RowText(*screen_->console, 1).substr(0, kPrompt.size() + 1),
              std::string(kPrompt) + " ");
    EXPECT_EQ(WindowColumn(*screen_->console), kPrompt.size() + 1);
    EXPECT_EQ(WindowRow(*screen_->console), 1);

    EXPECT_EQ(font_->height, height);
    EXPECT_EQ(font_->fileName, "new.fon");
    EXPECT_TRUE(font_->fontFile.IsOpen());
    EXPECT_FALSE(font_->modified);
    EXPECT_EQ(ReadWholeFile("new.fon"), std::string(TableSize(height), '\0'));
    EXPECT_EQ(SplitLines(ReadWholeFile("new.inc")).size(),
              4u + 256u * (3u + static_cast<unsigned>(height)) + 2u);
    auto table = CurrentTable(*font_);
    EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](std::uint8_t b) { return b == 0; }));

    font_.reset();
    std::filesystem::remove("new.fon");
    std::filesystem::remove("new.inc");
  }
}

TEST_F(LoadFontTest, EscAtTheSizePromptEndsWithCodeZeroAndCreatesNothing) {
  EXPECT_EQ(Load("new", "1x" + Extended('\x1b') + "\x1b" + "8"), 0);
  EXPECT_EQ(screen_->keys.KeysLeft(), 1u);
  EXPECT_EQ(Screen(), std::string(kPrompt.substr(0, 67)) + "\n\n\n\n");
  EXPECT_TRUE(Entries().empty());
}

TEST_F(LoadFontTest, TheNewFontsNameDecidesWhereBothFilesGo) {
  ASSERT_TRUE(std::filesystem::create_directory("fonts.d"));
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"myfont", "myfont.fon", "myfont.inc"},
      {"fonts.d/myfont", "fonts.d/myfont", "fonts.inc"},
      {"trail.", "trail.", "trail.inc"},
      {"./dot", "./dot", "font.inc"}};
  for (const auto& [argument, fontName, includeName] : cases) {
    SCOPED_TRACE(argument);
    EXPECT_EQ(Load(argument, "8"), std::nullopt);
    EXPECT_EQ(font_->fileName, fontName);
    EXPECT_EQ(std::filesystem::file_size(fontName), 2048u);
    EXPECT_TRUE(std::filesystem::is_regular_file(includeName));
    std::filesystem::remove(includeName);
  }
}

TEST_F(LoadFontTest, ANameLongerThan255CharactersIsUsedWhole) {
  std::string directory = std::string(200, 'd') + "/" + std::string(200, 'e');
  ASSERT_TRUE(std::filesystem::create_directories(directory));
  std::string argument = directory + "/" + std::string(100, 'f');

  EXPECT_EQ(Load(argument, "6"), std::nullopt);
  EXPECT_EQ(font_->fileName, argument + ".fon");
  EXPECT_EQ(std::filesystem::file_size(argument + ".fon"), 4096u);
  EXPECT_EQ(Load(argument), std::nullopt);
  EXPECT_EQ(font_->height, 16);
}

TEST_F(LoadFontTest, AnIncludeFileThatCannotBeCreatedLeavesTheNewFontHoldingZeros) {
  ASSERT_TRUE(std::filesystem::create_directory("x.inc"));
  EXPECT_EQ(Load("x", "8"), 1);
  std::string flowing = RowText(*screen_->console, 1) + RowText(*screen_->console, 2);
  EXPECT_EQ(flowing.substr(0, kPrompt.size() + 36),
            std::string(kPrompt) + "ERROR: Cannot create ASCII font file");
  EXPECT_EQ(ReadWholeFile("x.fon"), std::string(2048, '\0'));
}

TEST_F(LoadFontTest, ANewFileThatCannotBeCreatedIsAnUnhandledFailure) {
  // The link's target lies in a directory that does not exist: the probe and the open find no
  // file, so the prompt is shown, and then creating it fails.
  ASSERT_EQ(::symlink("missing/target.fon", "x.fon"), 0);
  EXPECT_EQ(LoadFailingInOut("x.fon", "8"), 2);
  EXPECT_EQ(Entries(), std::vector<std::string>{"x.fon"});
}

TEST(ReportOpenError, WritesTheCodeTheNameAndTheReason) {
  const std::pair<int, std::string> cases[] = {{3, "Path not found"},
                                               {4, "Too many open files"},
                                               {5, "Access denied"},
                                               {6, "Invalid file handle"},
                                               {12, "Invalid file-access mode"},
                                               {15, "Invalid disk number"},
                                               {40, ""},
                                               {101, ""}};
  for (const auto& [code, reason] : cases) {
    SCOPED_TRACE(code);
    ScriptedConsole screen;
    try {
      ReportOpenError(*screen.console, code, "dir/x.fon");
    } catch (const ProgramExit& exit) {
      EXPECT_EQ(exit.exitCode, code);
    }
    EXPECT_EQ(screen.Screen(3), "ERROR(" + std::to_string(code) +
                                    "): Could not open file dir/x.fon\n" + reason + "\n\n");
  }
}

}  // namespace
}  // namespace kestrova

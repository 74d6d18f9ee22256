#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/program_exit.h"
#include "export/include_text.h"
#include "export/save_font.h"
#include "font/file_error.h"
#include "scratch_directory.h"

namespace kestrova {
namespace {

constexpr std::string_view kBlank20 = "                    ";

std::string RowLine(std::string_view label, int value, std::string_view picture) {
  return PadRight(label, 20, ' ') + "fcb       " + PadRight(std::to_string(value), 20, ' ') + "; " +
         std::string(picture);
}

// The block of `code` in an include file whose blocks all have `rowsPerBlock` row lines.
std::vector<std::string> Block(const std::vector<std::string>& lines, int code, int rowsPerBlock) {
  auto start = lines.begin() + 4 + code * (rowsPerBlock + 3);
  return std::vector<std::string>(start, start + rowsPerBlock + 3);
}

const std::vector<std::uint8_t> kLetterA = {24, 60, 102, 102, 126, 102, 102, 0};

class SaveFontTest : public ScratchDirectoryTest {
 protected:
  // An open font of `height` rows named `fileName`, its file holding `fileBytes`.
  FontStore& OpenFont(int height, const std::string& fileName = "x.fon",
                      std::string fileBytes = {}) {
    if (fileBytes.empty()) fileBytes.assign(TableSize(height), '\0');
    WriteWholeFile(fileName, fileBytes);
    font_->height = static_cast<std::uint8_t>(height);
    font_->fileName = fileName;
    font_->fontFile.fd = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(font_->fontFile.fd, 0);
    return *font_;
  }

  void SetGlyph(std::uint8_t code, const std::vector<std::uint8_t>& rows) {
    for (std::size_t row = 0; row < rows.size(); ++row)
      GlyphByte(*font_, code, static_cast<int>(row) + 1) = rows[row];
  }

  std::string TableBytes() const {
    auto table = CurrentTable(*font_);
    return std::string(table.begin(), table.end());
  }

  std::unique_ptr<FontStore> font_ = std::make_unique<FontStore>();
  ScriptedConsole screen_;
};

TEST(IncludeTextPieces, IncludeFileNameTakesThePartBeforeTheFirstDot) {
  const std::pair<std::string, std::string> cases[] = {
      {"FONT.FON", "FONT.inc"},        {"fonts/x.fon", "fonts/x.inc"},
      {"fonts.d/x.fon", "fonts.inc"},  {"./x.fon", "font.inc"},
      {"x.tar.fon", "x.inc"},          {".fon", "font.inc"},
      {"/tmp/a.b/c.fon", "/tmp/a.inc"}};
  for (const auto& [fileName, includeName] : cases)
    EXPECT_EQ(IncludeFileName(fileName), includeName) << fileName;
}

TEST(IncludeTextPieces, PadRightFillsOrCuts) {
  EXPECT_EQ(PadRight("ab", 5, ' '), "ab   ");
  EXPECT_EQ(PadRight("abcdef", 3, ' '), "abc");
  EXPECT_EQ(PadRight("", 2, '-'), "--");
  EXPECT_EQ(PadRight("ASCII_255", 20, ' '), "ASCII_255           ");
}

TEST(IncludeTextPieces, PixelPictureDrawsBitSevenFirst) {
  EXPECT_EQ(PixelPicture(0), "........");
  EXPECT_EQ(PixelPicture(0x80), "@.......");
  EXPECT_EQ(PixelPicture(0x01), ".......@");
  EXPECT_EQ(PixelPicture(102), ".@@..@@.");
  EXPECT_EQ(PixelPicture(255), "@@@@@@@@");
}

TEST_F(SaveFontTest, WritesTheLetterABlockLineForLine) {
  OpenFont(8);
  SetGlyph(65, kLetterA);
  SaveFont(*font_, *screen_.console, false);

  std::vector<std::string> expected = {
      "          ; ASCII code 65 [A]",
      "",
      "ASCII_65            fcb       24                  ; ...@@...",
      "                    fcb       60                  ; ..@@@@..",
      "                    fcb       102                 ; .@@..@@.",
      "                    fcb       102                 ; .@@..@@.",
      "                    fcb       126                 ; .@@@@@@.",
      "                    fcb       102                 ; .@@..@@.",
      "                    fcb       102                 ; .@@..@@.",
      "                    fcb       0                   ; ........",
      ""};
  EXPECT_EQ(Block(SplitLines(ReadWholeFile("x.inc")), 65, 8), expected);
}

TEST_F(SaveFontTest, GlcdModeWritesTheTurnedLetterAWithoutUnusedColumns) {
  OpenFont(8);
  SetGlyph(65, kLetterA);
  SaveFont(*font_, *screen_.console, true);

  std::vector<std::string> lines = SplitLines(ReadWholeFile("x.inc"));
  ASSERT_EQ(lines.size(), 4u + 256 * (6 + 3) + 2);
  std::vector<std::string> expected = {
      "          ; ASCII code 65 [A]",
      "",
      "ASCII_65            fcb       124                 ; .@@@@@..",
      "                    fcb       126                 ; .@@@@@@.",
      "                    fcb       19                  ; ...@..@@",
      "                    fcb       19                  ; ...@..@@",
      "                    fcb       126                 ; .@@@@@@.",
      "                    fcb       124                 ; .@@@@@..",
      ""};
  EXPECT_EQ(Block(lines, 65, 6), expected);
  std::vector<std::string> block66 = Block(lines, 66, 6);
  EXPECT_EQ(block66[2], RowLine("ASCII_66", 0, "........"));
  for (int row = 3; row < 8; ++row) EXPECT_EQ(block66[row], RowLine("", 0, "........"));
}

TEST_F(SaveFontTest, EveryHeightHasItsHeaderBlocksAndTrailer) {
  for (int height : {8, 14, 16}) {
    SCOPED_TRACE(height);
    font_ = std::make_unique<FontStore>();
    OpenFont(height);
    SaveFont(*font_, *screen_.console, false);

    std::string text = ReadWholeFile("x.inc");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    ASSERT_EQ(text.back(), '\n');
    std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 4u + 256u * (3u + static_cast<unsigned>(height)) + 2u);

    std::string rule = ";" + std::string(79, '-');
    EXPECT_EQ(lines[0], rule);
    EXPECT_EQ(lines[1], "; Font created with Kestrova v1.71 by Kestrova contributors");
    EXPECT_EQ(lines[2], rule);
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[lines.size() - 2], "FONT_WIDTH          equ       *-ASCII_0/256");
    EXPECT_EQ(lines.back(), "                    #Message  FONT_WIDTH = {FONT_WIDTH}");

    // An empty font still exports every row of every glyph.
    for (int code : {0, 200, 255}) {
      std::vector<std::string> block = Block(lines, code, height);
      EXPECT_EQ(block[1], "");
      EXPECT_EQ(block[2], RowLine("ASCII_" + std::to_string(code), 0, "........"));
      for (int row = 2; row <= height; ++row) EXPECT_EQ(block[row + 1], RowLine("", 0, "........"));
      EXPECT_EQ(block.back(), "");
    }
    ::close(font_->fontFile.fd);
  }
}

TEST_F(SaveFontTest, CommentLinesAndLabelsOfEveryCode) {
  OpenFont(8);
  SaveFont(*font_, *screen_.console, false);
  std::vector<std::string> lines = SplitLines(ReadWholeFile("x.inc"));

  for (int code = 0; code < 256; ++code) {
    std::string comment = "          ; ASCII code " + std::to_string(code);
    if (code >= 32) comment += " [" + std::string(1, static_cast<char>(code)) + "]";
    EXPECT_EQ(Block(lines, code, 8)[0], comment) << code;
  }
  EXPECT_EQ(Block(lines, 32, 8)[0], "          ; ASCII code 32 [ ]");
  EXPECT_EQ(Block(lines, 0, 8)[2].substr(0, 20), "ASCII_0" + std::string(13, ' '));
  EXPECT_EQ(Block(lines, 255, 8)[2].substr(0, 20), "ASCII_255" + std::string(11, ' '));
}

TEST_F(SaveFontTest, GlcdModeOnAnEmptyFontWritesNoRowLines) {
  OpenFont(8);
  SaveFont(*font_, *screen_.console, true);
  std::string text = ReadWholeFile("x.inc");
  std::vector<std::string> lines = SplitLines(text);

  ASSERT_EQ(lines.size(), 4u + 256 * 3 + 2);
  for (int code = 0; code < 256; ++code) {
    std::vector<std::string> block = Block(lines, code, 0);
    EXPECT_EQ(block[0].substr(0, 23), "          ; ASCII code ");
    EXPECT_EQ(block[1], "");
    EXPECT_EQ(block[2], "");
  }
  // Only the trailer still names ASCII_0.
  EXPECT_EQ(text.find("ASCII_"), text.find("*-ASCII_0/256") + 2);
  EXPECT_EQ(lines[lines.size() - 2], "FONT_WIDTH          equ       *-ASCII_0/256");
}

TEST_F(SaveFontTest, GlcdModeKeepsOnlyColumnOneWhenNoOtherIsUsed) {
  OpenFont(8);
  SetGlyph(88, {0x80, 0, 0, 0, 0, 0, 0, 0x80});
  SaveFont(*font_, *screen_.console, true);
  std::vector<std::string> lines = SplitLines(ReadWholeFile("x.inc"));

  ASSERT_EQ(lines.size(), 4u + 256 * 4 + 2);
  EXPECT_EQ(Block(lines, 88, 1)[2], RowLine("ASCII_88", 129, "@......@"));
  EXPECT_EQ(Block(lines, 87, 1)[2], RowLine("ASCII_87", 0, "........"));
}

TEST_F(SaveFontTest, GlcdModeKeepsAllColumnsWhenColumnsOneAndEightAreUsed) {
  OpenFont(8);
  SetGlyph(1, {0x80, 0, 0, 0, 0, 0, 0, 0});
  SetGlyph(2, {0, 0, 0, 0, 0, 0, 0, 0x01});
  SaveFont(*font_, *screen_.console, true);
  std::vector<std::string> lines = SplitLines(ReadWholeFile("x.inc"));

  ASSERT_EQ(lines.size(), 4u + 256 * 11 + 2);
  std::vector<std::string> first = Block(lines, 1, 8);
  EXPECT_EQ(first[2], RowLine("ASCII_1", 1, ".......@"));
  for (int row = 2; row <= 8; ++row) EXPECT_EQ(first[row + 1], RowLine("", 0, "........"));
  std::vector<std::string> second = Block(lines, 2, 8);
  for (int row = 1; row <= 7; ++row)
    EXPECT_EQ(second[row + 1], RowLine(row == 1 ? "ASCII_2" : "", 0, "........"));
  EXPECT_EQ(second[9], RowLine("", 128, "@......."));
}

TEST_F(SaveFontTest, GlcdSaveLeavesTheGlyphsAsEditedAndClearsModified) {
  OpenFont(8);
  std::string pattern = PatternBytes(2048, 5);
  std::copy(pattern.begin(), pattern.end(), font_->glyphs8.begin());
  font_->modified = true;
  SaveFont(*font_, *screen_.console, true);

  EXPECT_EQ(TableBytes(), pattern);
  EXPECT_EQ(ReadWholeFile("x.fon"), pattern);
  EXPECT_FALSE(font_->modified);
}

TEST_F(SaveFontTest, SavingTwiceGivesIdenticalFiles) {
  for (bool glcdMode : {false, true}) {
    SCOPED_TRACE(glcdMode);
    font_ = std::make_unique<FontStore>();
    OpenFont(8);
    std::string pattern = PatternBytes(2048, 11);
    std::copy(pattern.begin(), pattern.end(), font_->glyphs8.begin());
    SaveFont(*font_, *screen_.console, glcdMode);
    std::string binary = ReadWholeFile("x.fon");
    std::string include = ReadWholeFile("x.inc");
    SaveFont(*font_, *screen_.console, glcdMode);

    EXPECT_EQ(binary, pattern);
    EXPECT_EQ(ReadWholeFile("x.fon"), binary);
    EXPECT_EQ(ReadWholeFile("x.inc"), include);
    ::close(font_->fontFile.fd);
  }
}

TEST_F(SaveFontTest, BytesAfterTheTableStayAsTheyWere) {
  std::string original = PatternBytes(4096 + 255, 3);
  OpenFont(16, "x.fon", original);
  std::string edited = PatternBytes(4096, 200);
  std::copy(edited.begin(), edited.end(), font_->glyphs16.begin());
  SaveFont(*font_, *screen_.console, false);

  std::string saved = ReadWholeFile("x.fon");
  ASSERT_EQ(saved.size(), original.size());
  EXPECT_EQ(saved.substr(0, 4096), edited);
  EXPECT_EQ(saved.substr(4096), original.substr(4096));
}

TEST_F(SaveFontTest, AnOlderIncludeFileIsReplacedWhole) {
  OpenFont(8);
  SetGlyph(65, kLetterA);
  SaveFont(*font_, *screen_.console, false);
  std::string fresh = ReadWholeFile("x.inc");

  for (std::size_t oldSize :
       {std::size_t{0}, std::size_t{10}, fresh.size(), std::size_t{1} << 20}) {
    SCOPED_TRACE(oldSize);
    WriteWholeFile("x.inc", PatternBytes(oldSize, 9));
    SaveFont(*font_, *screen_.console, false);
    EXPECT_EQ(ReadWholeFile("x.inc"), fresh);
  }
}

TEST_F(SaveFontTest, AnIncludeFileThatIsADeviceIsWrittenWithoutCuttingIt) {
  ASSERT_EQ(::symlink("/dev/null", "x.inc"), 0);
  OpenFont(8);
  SaveFont(*font_, *screen_.console, false);
  EXPECT_FALSE(font_->modified);
}

// x.inc as the font file would be its own include file: the text must not overwrite the glyphs.
TEST_F(SaveFontTest, AFontFileThatWouldBeItsOwnIncludeFileKeepsItsGlyphs) {
  OpenFont(8, "x.inc");
  SetGlyph(65, kLetterA);

  try {
    SaveFont(*font_, *screen_.console, false);
    FAIL() << "SaveFont returned";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.exitCode, 1);
  }
  EXPECT_EQ(screen_.Screen(1), "ERROR: Cannot create ASCII font file\n");
  EXPECT_EQ(ReadWholeFile("x.inc"), TableBytes());
}

TEST_F(SaveFontTest, AnIncludeFileThatCannotBeCreatedEndsWithCodeOneAfterTheBinaryWrite) {
  ASSERT_TRUE(std::filesystem::create_directory("x.inc"));
  OpenFont(8);
  SetGlyph(65, kLetterA);
  MoveCursor(*screen_.console, 20, 11);

  try {
    SaveFont(*font_, *screen_.console, true);
    FAIL() << "SaveFont returned";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.exitCode, 1);
  }
  EXPECT_EQ(RowText(*screen_.console, 11).substr(19, 36), "ERROR: Cannot create ASCII font file");
  EXPECT_EQ(ReadWholeFile("x.fon"), TableBytes());
  EXPECT_EQ(GlyphByte(*font_, 65, 1), 24);
}

TEST_F(SaveFontTest, AFullDiskWhileWritingTheIncludeFileIsAnUnhandledFailure) {
  ASSERT_EQ(::symlink("/dev/full", "x.inc"), 0);
  OpenFont(8);
  SetGlyph(65, kLetterA);
  std::string table = TableBytes();

  try {
    SaveFont(*font_, *screen_.console, true);
    FAIL() << "SaveFont returned";
  } catch (const InOutError& error) {
    EXPECT_EQ(error.code, 101);
    std::vector<std::string> report = SplitLines(RunTimeErrorReport(error));
    ASSERT_GE(report.size(), 3u);
    EXPECT_EQ(report[1], "EInOutError: Disk Full");
  }
  EXPECT_EQ(ReadWholeFile("x.fon"), table);
  EXPECT_EQ(TableBytes(), table);
  EXPECT_EQ(screen_.Screen(25), std::string(25, '\n'));
}

// A write beyond the file size limit must come back as disk full, not kill the program. The
// limit belongs to a child process so that the test run itself keeps its own.
TEST_F(SaveFontTest, AWriteOverTheFileSizeLimitIsDiskFull) {
  OpenFont(8);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limit{8192, 8192};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    IgnoreFileSizeSignal();
    try {
      SaveFont(*font_, *screen_.console, false);
    } catch (const InOutError& error) {
      ::_exit(error.code);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 101);
}

}  // namespace
}  // namespace kestrova

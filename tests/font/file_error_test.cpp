#include <dlfcn.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "font/file_error.h"
#include "scratch_directory.h"

namespace kestrova {
namespace {

TEST(FileErrorFromErrno, MapsOntoTheProgramsNumbering) {
  const std::pair<int, int> cases[] = {
      {ENOENT, 2},
      {ENOTDIR, 3},
      {ENAMETOOLONG, 3},
      {EMFILE, 4},
      {ENFILE, 4},
      {EACCES, 5},
      {EPERM, 5},
      {EROFS, 5},
      {EISDIR, 5},
      {ETXTBSY, 5},
      {EBADF, 6},
      {EINVAL, 12},
      {ENODEV, 15},
      {ENOSPC, 101},
      {EFBIG, 101},
      {EDQUOT, 101},
      {ESPIPE, ESPIPE},
      // Own numbers that the numbering already uses for other failures are not passed on.
      {EIO, 162},
      {ENOMEM, 8}};
  for (const auto& [errnoValue, code] : cases)
    EXPECT_EQ(FileErrorFromErrno(errnoValue), code) << "errno " << errnoValue;
}

class FileErrorOfPathTest : public ScratchDirectoryTest {};

TEST_F(FileErrorOfPathTest, AMissingDirectoryIsPathNotFound) {
  WriteWholeFile("plain.fon", "x");
  ASSERT_TRUE(std::filesystem::create_directory("sub"));
  EXPECT_EQ(FileErrorOfPath(ENOENT, "x.fon"), 2);
  EXPECT_EQ(FileErrorOfPath(ENOENT, "sub/x.fon"), 2);
  EXPECT_EQ(FileErrorOfPath(ENOENT, (Directory() / "x.fon").string()), 2);
  EXPECT_EQ(FileErrorOfPath(ENOENT, "missing/x.fon"), 3);
  EXPECT_EQ(FileErrorOfPath(ENOENT, "sub/missing/x.fon"), 3);
  EXPECT_EQ(FileErrorOfPath(ENOENT, "plain.fon/x"), 3);
  EXPECT_EQ(FileErrorOfPath(EACCES, "missing/x.fon"), 5);
}

TEST(InOutErrorMessage, NamesEveryCodeOfTheReport) {
  const std::pair<int, std::string> cases[] = {{2, "File not found"},
                                               {3, "Invalid filename"},
                                               {4, "Too many open files"},
                                               {5, "Access denied"},
                                               {6, "Invalid file handle"},
                                               {15, "Invalid drive specified"},
                                               {100, "Read past end of file"},
                                               {101, "Disk Full"},
                                               {102, "File not assigned"},
                                               {103, "File not open"},
                                               {104, "File not open for input"},
                                               {105, "File not open for output"},
                                               {106, "Invalid input"},
                                               {12, "Unknown Run-Time error : 012"},
                                               {7, "Unknown Run-Time error : 007"},
                                               {162, "Unknown Run-Time error : 162"}};
  for (const auto& [code, message] : cases) EXPECT_EQ(InOutErrorMessage(code), message) << code;
}

std::uintptr_t ExecutableOffset(const void* address) {
  Dl_info info{};
  EXPECT_NE(::dladdr(address, &info), 0);
  return reinterpret_cast<std::uintptr_t>(address) -
         reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

[[gnu::noinline]] void FailWithAccessDenied() {
  FailInOut(5);
  // Keeps the call above from being a tail call, so that this routine has a frame of its own.
  asm volatile("");
}

InOutError CaughtFailure() {
  try {
    FailWithAccessDenied();
  } catch (const InOutError& error) {
    return error;
  }
  ADD_FAILURE() << "FailInOut returned";
  return {};
}

bool IsAddress(std::string_view text) {
  return text.size() == 8 && text.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

TEST(RunTimeErrorReport, HasItsFourPartsAndNamesTheFailingPlaceFirst) {
  InOutError error = CaughtFailure();
  std::string report = RunTimeErrorReport(error);
  std::vector<std::string> lines = SplitLines(report);

  ASSERT_GE(lines.size(), 5u) << report;
  const std::string atPrefix = "An unhandled exception occurred at $";
  ASSERT_EQ(lines[0].size(), atPrefix.size() + 9) << report;
  EXPECT_EQ(lines[0].substr(0, atPrefix.size()), atPrefix);
  std::string failingPlace = lines[0].substr(atPrefix.size(), 8);
  EXPECT_TRUE(IsAddress(failingPlace)) << report;
  EXPECT_EQ(lines[0].back(), ':');
  EXPECT_EQ(lines[1], "EInOutError: Access denied");
  EXPECT_EQ(lines[2], "  $" + failingPlace);
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    EXPECT_EQ(lines[i].substr(0, 3), "  $") << report;
    EXPECT_TRUE(IsAddress(lines[i].substr(3))) << report;
  }
  EXPECT_EQ(lines.back(), "");
  EXPECT_EQ(report.substr(report.size() - 2), "\n\n");

  // The failing place lies inside the routine that called FailInOut, not in FailInOut itself.
  std::uintptr_t offset = std::stoul(failingPlace, nullptr, 16);
  std::uintptr_t routine = ExecutableOffset(reinterpret_cast<const void*>(&FailWithAccessDenied));
  EXPECT_GT(offset, routine);
  EXPECT_LT(offset, routine + 256);
}

TEST(RunTimeErrorReport, WithoutAnyAddressStillHasItsLayout) {
  InOutError error;
  error.code = 101;
  EXPECT_EQ(RunTimeErrorReport(error),
            "An unhandled exception occurred at $00000000:\nEInOutError: Disk Full\n\n");
}

}  // namespace
}  // namespace kestrova

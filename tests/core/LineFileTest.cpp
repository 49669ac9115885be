#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>

#include "core/Errors.h"
#include "core/LineFile.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;

struct ReadCase {
  const char* bytes;
  Lines lines;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << testing::PrintToString(c.bytes); }

class ReadLinesTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadLinesTest, AcceptsEveryLineEnd) {
  TempDir dir;
  WriteFileBytes(dir / "f", GetParam().bytes);
  EXPECT_EQ(ReadLines(dir / "f"), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, ReadLinesTest,
    testing::Values(ReadCase{"", {}}, ReadCase{"a\r\nb\r\n", {"a", "b"}},
                    ReadCase{"a\nb\n", {"a", "b"}}, ReadCase{"a\rb\r", {"a", "b"}},
                    ReadCase{"a\r\nb", {"a", "b"}},      // unterminated last line
                    ReadCase{"\r\n\r\n", {"", ""}},      // empty lines stay lines
                    ReadCase{"a\n\rb", {"a", "", "b"}},  // LF CR is two line ends
                    ReadCase{"x\r\n\n\ry", {"x", "", "", "y"}}));

TEST(ReadLines, MissingFileIsAnError) {
  TempDir dir;
  EXPECT_THROW(ReadLines(dir / "nothing"), FileError);
}

// A hand-made folder or FIFO in a list file's place is an error, not an empty list or a hang.
TEST(ReadLines, OnlyARegularFileIsRead) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const char* name : {"folder", "fifo"}) {
    SCOPED_TRACE(name);
    try {
      ReadLines(dir / name);
      ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find((dir / name).string()), std::string::npos);
    }
  }
}

TEST(ReadBoundedLines, ListsLongLinesWithoutKeepingThemAndSplitsAcrossReads) {
  TempDir dir;
  // The CR ends the reader's first 64 KiB piece and the LF begins the next: one line end.
  const std::string first(64 * 1024 - 1, 'a');
  WriteFileBytes(dir / "f", first + "\r\n" + std::string(70'000, 'x') + "\nend");
  BoundedLines read = ReadBoundedLines(dir / "f", 66'000);
  EXPECT_EQ(read.Lines, (Lines{first, "", "end"}));
  EXPECT_EQ(read.TooLong, std::vector<size_t>{1});

  WriteFileBytes(dir / "f", "a\n" + std::string(kLongestLine + 1, 'x'));
  EXPECT_THROW(ReadLines(dir / "f"), FileError);
}

TEST(WriteLines, EndsEveryLineWithCrLfAndKeepsBytes) {
  TempDir dir;
  WriteLines(dir / "f", {"caf\xc3\xa9", "", "z"});
  EXPECT_EQ(ReadFileBytes(dir / "f"), "caf\xc3\xa9\r\n\r\nz\r\n");
  WriteLines(dir / "f", {});
  EXPECT_EQ(ReadFileBytes(dir / "f"), "");
}

TEST(WriteLines, LineBreakInsideALineBecomesABlank) {
  TempDir dir;
  WriteLines(dir / "f", {"a\r\nb", "c\nd", "e"});
  EXPECT_EQ(ReadLines(dir / "f"), (Lines{"a  b", "c d", "e"}));
}

TEST(WriteLines, ReadOnlyFileFailsAndKeepsItsContent) {
  TempDir dir;
  WriteFileBytes(dir / "f", "old\r\n");
  ::chmod((dir / "f").c_str(), 0444);
  EXPECT_THROW(WriteLines(dir / "f", {"new"}), FileError);
  EXPECT_EQ(ReadFileBytes(dir / "f"), "old\r\n");
}

TEST(WriteLines, ReplacesAtomicallyAndKeepsPermissions) {
  TempDir dir;
  WriteFileBytes(dir / "f", "old\r\n");
  ::chmod((dir / "f").c_str(), 0600);
  WriteLines(dir / "f", {"new"});
  struct stat st {};
  ASSERT_EQ(::stat((dir / "f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1) << "no temporary file is left behind";
}

TEST(RemoveStaleTemporaries, RemovesOnlyWhatAKilledSaveOfANamedFileLeaves) {
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string names[] = {"GTask.lis", "counti.dat"};
  const char* stale[] = {".GTask.lis.aZ09xY", ".counti.dat.QWERTY"};
  const char* kept[] = {
      "GTask.lis",          ".GTask.lis.abc12",   // five characters
      ".GTask.lis.abc1234", ".GTask.lis.ab-12x",  // seven; not a letter or digit
      "GTask.lis.abc123",   ".gtask.lis.abc123",  // no leading dot; another name
      ".other.dat.abc123",  ".GTask.lisXabc123",  // not one of the names
      ".GTask.lis.",        "..GTask.lis.abc123",
  };
  for (const char* name : stale) WriteFileBytes(dir / name, "x");
  for (const char* name : kept) WriteFileBytes(dir / name, "x");
  fs::create_directory(dir / ".counti.dat.Folder");
  WriteFileBytes(dir / "target", "t");
  fs::create_symlink(dir / "target", dir / ".GTask.lis.Link01");
  fs::create_directory(dir / "sub");
  WriteFileBytes(dir / "sub" / ".GTask.lis.abc123", "below");

  RemoveStaleTemporaries(dir.Path(), names);
  for (const char* name : stale) EXPECT_FALSE(fs::exists(dir / name)) << name;
  for (const char* name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_TRUE(fs::is_directory(dir / ".counti.dat.Folder"));
  EXPECT_TRUE(fs::is_symlink(dir / ".GTask.lis.Link01"));
  EXPECT_TRUE(fs::exists(dir / "sub" / ".GTask.lis.abc123"));
  RemoveStaleTemporaries(dir / "missing", names);  // no folder: nothing to do, no error
}

TEST(WriteLines, MissingFolderIsAnError) {
  TempDir dir;
  EXPECT_THROW(WriteLines(dir / "no" / "f", {"x"}), FileError);
}

}  // namespace
}  // namespace vexilo

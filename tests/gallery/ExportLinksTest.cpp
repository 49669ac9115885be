#include <gtest/gtest.h>

#include "gallery/ExportLinks.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

const std::vector<PictureEntry> kRows = {{"a.jpg", "http://s/a.jpg", "1", "2"},
                                         {"a.jpg", "http://s/a.jpg", "", ""},
                                         {"", "", "", ""},
                                         {"b.gif", "http://s/b\r\nc.gif", "", ""}};

TEST(CopyLinkToClipboard, CopiesTheSelectedRowsLinkOnly) {
  test::RecordingShell shell;
  shell.Clipboard = "before";
  CopyLinkToClipboard(kRows, -1, shell);
  CopyLinkToClipboard(kRows, 4, shell);
  EXPECT_EQ(shell.Clipboard, "before");
  CopyLinkToClipboard(kRows, 1, shell);
  EXPECT_EQ(shell.Clipboard, "http://s/a.jpg");
}

TEST(ExportLinks, WritesEveryLinkAsALineThenOpensTheFile) {
  test::TempDir program;
  test::RecordingShell shell;
  test::RecordingPrompts prompts;
  ExportLinks(kRows, program.Path(), shell, prompts);
  // A line end inside an address cannot split it into two lines.
  EXPECT_EQ(test::ReadFileBytes(program / "exportlists.txt"),
            "http://s/a.jpg\r\nhttp://s/a.jpg\r\n\r\nhttp://s/b  c.gif\r\n");
  EXPECT_EQ(shell.Opened, std::vector<std::string>{(program / "exportlists.txt").string()});
  EXPECT_TRUE(prompts.Errors.empty());
}

TEST(ExportLinks, NoRowsKeepsAnEarlierExportAndOpensNothing) {
  test::TempDir program;
  test::WriteFileBytes(program / "exportlists.txt", "earlier\r\n");
  test::RecordingShell shell;
  test::RecordingPrompts prompts;
  ExportLinks({}, program.Path(), shell, prompts);
  EXPECT_EQ(test::ReadFileBytes(program / "exportlists.txt"), "earlier\r\n");
  EXPECT_TRUE(shell.Opened.empty());
}

TEST(ExportLinks, AFailedWriteIsToldAndNothingIsOpened) {
  test::TempDir program;
  std::filesystem::create_directory(program / "exportlists.txt");  // a folder in its place
  test::RecordingShell shell;
  test::RecordingPrompts prompts;
  ExportLinks(kRows, program.Path(), shell, prompts);
  ASSERT_EQ(prompts.Errors.size(), 1u);
  EXPECT_NE(prompts.Errors[0].find("exportlists.txt"), std::string::npos);
  EXPECT_TRUE(shell.Opened.empty());
}

TEST(ExportCsv, QuotesAsRfc4180AndKeepsEveryRowsFacts) {
  test::TempDir program;
  test::RecordingShell shell;
  test::RecordingPrompts prompts;
  std::vector<PictureEntry> rows = kRows;
  rows[0].Page = "http://s/?a=1,b=\"2\"";
  rows[1].FinalLink = "http://t/a.jpg";
  ExportCsv(rows, {"OK", "404 Not Found"}, {"/d/a.jpg", "/d/a(1).jpg", "/d/x, y.jpg"},
            program.Path(), shell, prompts);
  // Short lists leave their fields empty; the redirection's end is the address shown.
  EXPECT_EQ(test::ReadFileBytes(program / "exportlists.csv"),
            "name,address,page,width,height,status,save path\r\n"
            "a.jpg,http://s/a.jpg,\"http://s/?a=1,b=\"\"2\"\"\",1,2,OK,/d/a.jpg\r\n"
            "a.jpg,http://t/a.jpg,,,,404 Not Found,/d/a(1).jpg\r\n"
            ",,,,,,\"/d/x, y.jpg\"\r\n"
            "b.gif,\"http://s/b\r\nc.gif\",,,,,\r\n");
  EXPECT_EQ(shell.Opened, std::vector<std::string>{(program / "exportlists.csv").string()});
  ExportCsv({}, {}, {}, program.Path(), shell, prompts);
  EXPECT_EQ(shell.Opened.size(), 1u) << "no rows, nothing opened";
  EXPECT_TRUE(prompts.Errors.empty());
}

}  // namespace
}  // namespace vexilo

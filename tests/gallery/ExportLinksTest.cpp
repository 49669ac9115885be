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

}  // namespace
}  // namespace vexilo

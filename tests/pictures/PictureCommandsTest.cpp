// The picture commands without a display: listings keep grid item i, file list entry i and
// thumbnail i the same picture, downloads during a build wait for its end, selection and
// View Mode.

#include <gtest/gtest.h>

#include <filesystem>

#include "pictures/BmpWriter.h"
#include "pictures/FileTimeText.h"
#include "pictures/PictureCommands.h"
#include "support/FakeSeams.h"
#include "support/RecordingGrid.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TempDir;
using test::WriteFileBytes;

class PictureCommandsTest : public testing::Test {
 protected:
  PictureCommandsTest() {
    WritePicture("a.bmp", 40, 30, 0x3366CC);
    WriteFileBytes(dir / "b.jpg", "not a picture at all");
    WritePicture("c.bmp", 30, 40, 0x3366CC);
    WritePicture("d.bmp", 300, 100, 0x3366CC);
  }
  void WritePicture(const std::string& name, int width, int height, std::uint32_t rgb) {
    Bitmap24 bitmap(width, height);
    bitmap.Fill(rgb);
    WriteBmp(bitmap, dir / name);
  }
  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const std::string& path : model.Paths()) {
      names.push_back(std::filesystem::path(path).filename().string());
    }
    return names;
  }
  void ExpectInStep() const {
    ASSERT_EQ(grid.Captions, ListedNames());
    for (const PictureItem& item : model.Items()) EXPECT_FALSE(item.Thumbnail.Empty());
  }

  TempDir dir;
  TImageFileList model;
  test::RecordingGrid grid;
  test::RecordingStatus status;
  test::RecordingPrompts prompts;
  PictureCommands commands{{model, grid, status, prompts}};
};

TEST_F(PictureCommandsTest, AListingDropsWhatCannotBeReadAndKeepsTheRestInStep) {
  // Also while it runs: the grid paints item k from entry k.
  grid.OnBuildStep = [&](int) {
    for (std::size_t k = 0; k < grid.Captions.size(); ++k) {
      EXPECT_EQ(std::filesystem::path(model.Items()[k].Path).filename(), grid.Captions[k]);
      EXPECT_FALSE(model.Items()[k].Thumbnail.Empty());
    }
  };
  commands.ListFolderPictures(dir.Path().string() + "/");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp"}));
  ExpectInStep();
  EXPECT_EQ(status.Text(kCountPanel), "Total 4 pictures.") << "counted before the build";
  EXPECT_EQ(grid.Built, std::vector<int>{4});
  EXPECT_FALSE(grid.Building);
  EXPECT_TRUE(commands.LoadingIdle());
  EXPECT_EQ(model.Items()[0].Thumbnail.Width(), 80);

  // Another order takes the thumbnails along with their entries; nothing is decoded again.
  const Bitmap24 wide = model.Items()[2].Thumbnail.Unpack();
  grid.OnBuildStep = nullptr;
  commands.SetOrder({PictureOrder::Dimensions, true});
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"d.bmp", "c.bmp", "a.bmp"}));
  ExpectInStep();
  EXPECT_EQ(model.Items()[0].Thumbnail.Unpack(), wide);
  // And the next listing comes in that order.
  commands.ListAgain();
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"d.bmp", "c.bmp", "a.bmp"}));

  commands.ListTaskFolder("");
  EXPECT_TRUE(grid.Captions.empty());
  EXPECT_EQ(model.Count(), 0);
}

TEST_F(PictureCommandsTest, AFolderRemovedOutsideIsToldAndNotLeftShowingTheLastListing) {
  commands.ListFolderPictures(dir.Path().string());
  ASSERT_EQ(model.Count(), 3);
  EXPECT_EQ(commands.ListedFolder(), dir.Path().string());
  const std::string gone = (dir / "gone").string();
  commands.ListFolderPictures(gone);
  EXPECT_EQ(model.Count(), 0);
  EXPECT_TRUE(grid.Captions.empty());
  EXPECT_EQ(commands.ListedFolder(), "");
  EXPECT_EQ(prompts.Messages, std::vector<std::string>{GoneFolderText(gone)});
}

TEST_F(PictureCommandsTest, ADownloadDuringTheBuildIsShownAfterIt) {
  Bitmap24 thumbnail(80, 80);
  thumbnail.Fill(0x00FF00);
  grid.OnBuildStep = [&](int index) {
    if (index == 0) {
      EXPECT_FALSE(commands.LoadingIdle());
      commands.AppendPicture((dir / "c.bmp").string(), thumbnail);
      commands.ListTaskFolder(dir.Path().string());  // a task selection meanwhile: ignored
    }
  };
  commands.ListTaskFolder(dir.Path().string());
  // The scan has listed c.bmp already: its item shows the download, and no second one is made.
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp"}));
  ExpectInStep();
  EXPECT_EQ(model.Items()[1].Thumbnail.Unpack().Pixel(40, 40), 0x00FF00u);
  commands.AppendPicture((dir / "e.bmp").string(), thumbnail);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp", "e.bmp"}));
  EXPECT_EQ(status.Text(kCountPanel), "4 pictures are listed.");
  EXPECT_EQ(grid.Built.size(), 1u);
}

TEST_F(PictureCommandsTest, AFailedBuildEndsWithGridAndListInStep) {
  grid.OnBuildStep = [](int index) {
    if (index == 1) throw std::runtime_error("out of memory");
  };
  EXPECT_THROW(commands.ListFolderPictures(dir.Path().string()), std::runtime_error);
  EXPECT_FALSE(grid.Building);
  EXPECT_TRUE(commands.LoadingIdle());
  ExpectInStep();
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"a.bmp"});
}

TEST_F(PictureCommandsTest, SelectionShowsCountTimeAndPreview) {
  commands.ListFolderPictures(dir.Path().string());
  commands.SelectPicture(-1);
  EXPECT_TRUE(grid.Previews.empty());
  commands.SelectPicture(2);
  EXPECT_EQ(status.Text(kCountPanel), "Total 3 Pictures.");
  EXPECT_EQ(status.Text(kTimePanel), FileTimeText(dir / "d.bmp"));
  EXPECT_EQ(grid.Previews, (std::vector<std::vector<int>>{{300, 100, 300, 100}}));

  std::filesystem::remove(dir / "a.bmp");
  commands.SelectPicture(0);
  EXPECT_EQ(status.Text(kTimePanel), FileTimeText(dir / "d.bmp")) << "a picture gone since";
  EXPECT_EQ(grid.Previews.size(), 1u);
}

TEST_F(PictureCommandsTest, ViewModeSaysSoOnlyWhenTheGridIsEmptyAndAsksTheViewerEachTime) {
  int opened = 0;
  int appended = 0;
  commands.AttachViewer({[&] { ++opened; }, [&] { ++appended; }});
  commands.ViewMode();
  EXPECT_EQ(prompts.Messages, std::vector<std::string>{"No picture is selected!"});
  EXPECT_EQ(opened, 1);
  commands.ListFolderPictures(dir.Path().string());
  commands.ViewMode();
  EXPECT_EQ(prompts.Messages.size(), 1u);
  EXPECT_EQ(opened, 2);
  commands.AppendPicture("/new.jpg", Bitmap24(80, 80));
  EXPECT_EQ(appended, 1);
}

}  // namespace
}  // namespace vexilo

#include <gtest/gtest.h>

#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <optional>

#include "core/LineFile.h"
#include "pictures/Bitmap24.h"
#include "pictures/BmpWriter.h"
#include "pictures/FileTimeText.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureBrowser.h"
#include "pictures/PictureGrid.h"
#include "pictures/PreviewPane.h"
#include "shell/FolderTree.h"
#include "shell/MainActions.h"
#include "shell/Run.h"
#include "shell/StatusPanels.h"
#include "shell/TaskTree.h"
#include "shell/main.h"
#include "support/FakeSeams.h"
#include "support/MainFormParts.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using test::TempDir;
using test::WriteFileBytes;

void WritePicture(const std::filesystem::path& file, int width, int height) {
  Bitmap24 bitmap(width, height);
  bitmap.Fill(0x3366CC);
  WriteBmp(bitmap, file);
}

class PictureBrowserTest : public testing::Test {
 protected:
  PictureBrowserTest() {
    std::filesystem::create_directory(pictures);
    WritePicture(pictures / "a.bmp", 40, 30);
    WriteFileBytes(pictures / "b.jpg", "not a picture at all");
    WritePicture(pictures / "c.bmp", 30, 40);
    WritePicture(pictures / "d.bmp", 300, 100);
    WritePicture(pictures / "e.bmp", 100, 80);
    form.InitialiseRun();
    form.CreateOtherWindows();
    form.resize(1000, 700);
    form.show();
  }

  std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (const std::string& path : form.Run().PictureSet().Paths()) {
      names.push_back(std::filesystem::path(path).filename().string());
    }
    return names;
  }

  QString ItemText(int item) const {
    return test::Part<TPictureGrid>(form)->model()->index(item, 0).data().toString();
  }
  QImage ItemThumbnail(int item) const {
    return test::Part<TPictureGrid>(form)
        ->model()
        ->index(item, 0)
        .data(Qt::DecorationRole)
        .value<QPixmap>()
        .toImage();
  }

  TempDir dir;
  std::filesystem::path pictures = dir / "pics";
  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  TMainForm form{AppFolders::Beside(dir.Path()), {store, prompts, shell}};
};

TEST_F(PictureBrowserTest, FolderWithACorruptPictureListsTheOthers) {
  form.Run().Pictures().ListFolderPictures(pictures.string() + "/");
  EXPECT_EQ(test::Part<TPictureGrid>(form)->count(), 4);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp", "e.bmp"}));
  EXPECT_EQ(ItemText(1), "c.bmp");
  EXPECT_EQ(test::PanelText(form, 0), "Total 5 pictures.");
  EXPECT_TRUE(test::Part<QProgressBar>(form)->isHidden());
  EXPECT_TRUE(form.Run().Pictures().LoadingIdle());
  EXPECT_EQ(test::Part<TPictureGrid>(form)->SelectedRow(), -1);
}

TEST_F(PictureBrowserTest, SelectingAPictureShowsItsCountTimeAndPreview) {
  form.Run().Pictures().ListFolderPictures(pictures.string());
  test::Part<TPreviewPane>(form)->resize(226, 210);
  test::Part<TPictureGrid>(form)->setCurrentRow(3);
  EXPECT_EQ(test::PanelText(form, 0), "Total 4 Pictures.");
  EXPECT_EQ(test::PanelText(form, 1), FileTimeText(pictures / "e.bmp"));
  QLabel* control = test::Part<TPreviewPane>(form)->PictureControl();
  EXPECT_TRUE(control->isVisibleTo(test::Part<TPreviewPane>(form)));
  EXPECT_EQ(control->geometry(), QRect(63, 65, 100, 80));

  test::Part<TPictureGrid>(form)->setCurrentRow(2);
  EXPECT_EQ(control->geometry(), QRect(8, 70, 210, 70));
}

TEST_F(PictureBrowserTest, PreviewOfAnUnreadableFileShowsTheGreyOnly) {
  form.Run().Pictures().ShowPreview((pictures / "e.bmp").string());
  form.Run().Pictures().ShowPreview((pictures / "b.jpg").string());
  EXPECT_FALSE(test::Part<TPreviewPane>(form)->PictureControl()->isVisibleTo(
      test::Part<TPreviewPane>(form)));
}

// The worker made the thumbnail: the append neither decodes nor reads the file, so even a
// file that is no picture shows the thumbnail it came with.
TEST_F(PictureBrowserTest, AppendPictureAddsTheReadyThumbnailWithoutDecoding) {
  form.Run().Pictures().ListFolderPictures(pictures.string());
  Bitmap24 thumbnail(80, 80);
  thumbnail.Fill(0x00FF00);
  form.Run().Pictures().AppendPicture((pictures / "b.jpg").string(), thumbnail);
  ASSERT_EQ(test::Part<TPictureGrid>(form)->count(), 5);
  EXPECT_EQ(ItemText(4), "b.jpg");
  QImage shown = ItemThumbnail(4);
  EXPECT_EQ(shown.pixelColor(40, 40), QColor(0x00FF00));
  EXPECT_EQ(form.Run().PictureSet().Count(), 5);
  EXPECT_EQ(form.Run().PictureSet().Paths()[4], (pictures / "b.jpg").string());
  EXPECT_EQ(test::PanelText(form, 0), "Total 5 pictures.");
}

TEST_F(PictureBrowserTest, ADownloadDuringTheBuildIsShownAfterIt) {
  std::string downloaded = (pictures / "c.bmp").string();
  Bitmap24 thumbnail(80, 80);
  thumbnail.Fill(0x0000FF);
  bool reportedDuringBuild = false;
  QTimer::singleShot(0, &form, [&] {
    reportedDuringBuild = !form.Run().Pictures().LoadingIdle();
    form.Run().Pictures().AppendPicture(downloaded, thumbnail);
  });
  form.Run().Pictures().ListFolderPictures(pictures.string());
  EXPECT_TRUE(reportedDuringBuild);
  // The scan listed c.bmp already: its item shows the download instead of a second item.
  ASSERT_EQ(test::Part<TPictureGrid>(form)->count(), 4);
  EXPECT_EQ(ItemText(1), "c.bmp");
  QImage shown = ItemThumbnail(1);
  EXPECT_EQ(shown.pixelColor(40, 40), QColor(0x0000FF));
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp", "e.bmp"}));
}

TEST_F(PictureBrowserTest, TaskSelectionListsTheTaskFolder) {
  TaskRecord task;
  task.Name = "t";
  task.TaskFolder = pictures.string() + "/";
  task.FolderName = "t";
  form.Run().TaskLines().AppendTaskRecord(task);
  TaskRecord empty = task;
  empty.Name = "no folder";
  empty.TaskFolder = "";
  form.Run().TaskLines().AppendTaskRecord(empty);
  test::Part<TTaskTree>(form)->AddTaskNode("t");
  test::Part<TTaskTree>(form)->AddTaskNode("no folder");

  test::Part<TTaskTree>(form)->setCurrentItem(test::Part<TTaskTree>(form)->TaskNode(0));
  EXPECT_EQ(test::Part<TPictureGrid>(form)->count(), 4);
  EXPECT_EQ(test::PanelText(form, 0), "5 pictures are listed.");

  test::Part<TTaskTree>(form)->setCurrentItem(test::Part<TTaskTree>(form)->Root());
  EXPECT_EQ(test::Part<TPictureGrid>(form)->count(), 4);

  test::Part<TTaskTree>(form)->setCurrentItem(test::Part<TTaskTree>(form)->TaskNode(1));
  EXPECT_EQ(test::Part<TPictureGrid>(form)->count(), 0);
  EXPECT_EQ(test::PanelText(form, 0), "5 pictures are listed.");
  EXPECT_EQ(form.Run().CurrentTask().Name, "no folder");
}

TEST_F(PictureBrowserTest, SelectingAFolderInTheFolderTreeListsIt) {
  test::Part<TMainActions>(form)->BrowserPaneFolder->trigger();
  TFolderTree* tree = test::Part<TFolderTree>(form);
  tree->setCurrentIndex(tree->Model()->index(QString::fromStdString(pictures.string())));
  EXPECT_EQ(test::Part<TPictureGrid>(form)->count(), 4);
  EXPECT_EQ(test::PanelText(form, 0), "Total 5 pictures.");
}

TEST_F(PictureBrowserTest, FolderTreeKeysAreDroppedWhileAListingRuns) {
  TFolderTree* tree = test::Part<TFolderTree>(form);
  test::Part<TMainActions>(form)->BrowserPaneFolder->trigger();
  QModelIndex start = tree->Model()->index(QString::fromStdString(dir.Path().string()));
  tree->setCurrentIndex(start);
  tree->SetKeysAllowed([] { return false; });
  QTest::keyClick(tree, Qt::Key_Up);
  EXPECT_EQ(tree->currentIndex(), start);
  tree->SetKeysAllowed([] { return true; });
  QTest::keyClick(tree, Qt::Key_Up);
  EXPECT_NE(tree->currentIndex(), start);
}

// Where within `area` of `shot` the block `part` shows, if anywhere.
std::optional<QPoint> FindBlock(const QImage& shot, const QRect& area, const QImage& part) {
  const QImage image = shot.convertToFormat(QImage::Format_RGB32);
  const QImage block = part.convertToFormat(QImage::Format_RGB32);
  for (int y = area.top(); y + block.height() <= area.bottom() + 1; ++y) {
    for (int x = area.left(); x + block.width() <= area.right() + 1; ++x) {
      if (image.copy(x, y, block.width(), block.height()) == block) return QPoint(x, y);
    }
  }
  return std::nullopt;
}

TEST(PictureGridTest, PaintsEachThumbnailOnceAsAnIconWouldShowIt) {
  TPictureGrid grid;
  grid.resize(400, 300);
  int made = 0;
  grid.SetThumbnailSource([&made](int item) {
    ++made;
    Bitmap24 thumbnail(80, 80);
    thumbnail.Fill(item == 0 ? 0x2060C0u : 0xC06020u);
    thumbnail.SetPixel(0, 0, 0xFFFFFF);  // a corner that shows which way up it is
    return thumbnail;
  });
  for (const char* name : {"a.jpg", "b.jpg"}) grid.AddPicture(name);
  grid.ShowAdded();
  grid.show();
  const QImage first = grid.viewport()->grab().toImage();
  grid.viewport()->grab();
  EXPECT_EQ(made, 2) << "repaints reuse the thumbnails made";

  const QPixmap thumbnail = grid.model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>();
  EXPECT_TRUE(FindBlock(first, grid.visualRect(grid.model()->index(0, 0)), thumbnail.toImage()));

  grid.setCurrentRow(1);
  const QPixmap second = grid.model()->index(1, 0).data(Qt::DecorationRole).value<QPixmap>();
  QStyleOption look;
  look.palette = QGuiApplication::palette();
  const QImage selected =
      grid.style()->generatedIconPixmap(QIcon::Selected, second, &look).toImage();
  EXPECT_TRUE(FindBlock(grid.viewport()->grab().toImage(),
                        grid.visualRect(grid.model()->index(1, 0)), selected));
  EXPECT_EQ(made, 2);
}

}  // namespace
}  // namespace vexilo

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "pictures/BmpWriter.h"
#include "pictures/PictureBrowser.h"
#include "pictures/PictureGrid.h"
#include "shell/MainActions.h"
#include "shell/Run.h"
#include "shell/StatusPanels.h"
#include "shell/main.h"
#include "support/FakeSeams.h"
#include "support/MainFormParts.h"
#include "support/TempDir.h"
#include "viewer/UnitFormView.h"

namespace vexilo {
namespace {

// The real main window, its grid and its viewer, driven offscreen.
class ViewerInMainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 3; ++i) {
      WriteBmp(Bitmap24(60 + i, 40), pictureFolder / ("p" + std::to_string(i) + ".bmp"));
    }
    form.InitialiseRun();
    form.CreateOtherWindows();
    form.show();
    form.Run().Pictures().ListFolderPictures(pictureFolder.Path().string());
  }

  TPictureGrid* Grid() { return test::Part<TPictureGrid>(form); }
  TMainActions* Actions() { return test::Part<TMainActions>(form); }
  // The viewer is a top-level window of its own, not a child of the main window.
  static TFormView* Viewer() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* viewer = qobject_cast<TFormView*>(window)) return viewer;
    }
    throw std::logic_error("no viewer window");
  }

  test::TempDir programFolder;
  test::TempDir pictureFolder;
  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
  TMainForm form{AppFolders::Beside(programFolder.Path()), {store, prompts, shell}};
};

TEST_F(ViewerInMainWindowTest, EnterInTheGridOpensSpaceStepsEnterReturnsSelectingThePicture) {
  TPictureGrid* grid = Grid();
  TFormView* viewer = Viewer();
  ASSERT_EQ(grid->count(), 3);
  grid->setCurrentRow(0);
  QTest::keyClick(grid, Qt::Key_Return);
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(viewer->StatusText(0), "1/3");
  EXPECT_EQ(viewer->StatusText(2), "p1.bmp");

  QTest::keyClick(viewer, Qt::Key_Space);
  EXPECT_EQ(viewer->StatusText(0), "2/3");
  EXPECT_EQ(viewer->StatusText(3), "62x40");
  QTest::keyClick(viewer, Qt::Key_Return);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(viewer->isVisible());
  EXPECT_EQ(grid->SelectedRow(), 1);
  EXPECT_EQ(form.Run().PictureSet().CurrentIndex(), 1);
  EXPECT_EQ(test::PanelText(form, 0), "Total 3 Pictures.");
}

TEST_F(ViewerInMainWindowTest, DoubleClickAndViewModeOpenOnTheSelectedPicture) {
  TPictureGrid* grid = Grid();
  TFormView* viewer = Viewer();
  grid->setCurrentRow(2);
  emit grid->doubleClicked(grid->model()->index(2, 0));
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->StatusText(0), "3/3");
  viewer->Commands().VexiloModeButton->trigger();
  EXPECT_TRUE(form.isVisible());

  grid->clearSelection();
  Actions()->ViewMode->trigger();
  ASSERT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->StatusText(0), "1/3");
  EXPECT_EQ(grid->SelectedRow(), 0);
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(ViewerInMainWindowTest, ClosingTheViewerRunsTheMainWindowsShutDown) {
  QSignalSpy ended(&form, &TMainForm::shutDownDone);
  Grid()->setCurrentRow(0);
  Actions()->ViewMode->trigger();
  ASSERT_TRUE(Viewer()->isVisible());
  Viewer()->close();
  EXPECT_EQ(ended.count(), 1);
  // The task list was saved on the way out.
  EXPECT_TRUE(std::filesystem::exists(programFolder / "GTask.lis"));
}

}  // namespace
}  // namespace vexilo

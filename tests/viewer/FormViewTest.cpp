#include <gtest/gtest.h>

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>

#include "RecordingWallpaperSetter.h"
#include "pictures/BmpWriter.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureCommands.h"
#include "pictures/SortingOut.h"
#include "support/EventWait.h"
#include "support/FakeSeams.h"
#include "support/RecordingGrid.h"
#include "support/TempDir.h"
#include "viewer/PictureArea.h"
#include "viewer/UnitFormView.h"
#include "viewer/ViewerHost.h"

namespace vexilo {
namespace {

class RecordingHost : public ViewerHost {
 public:
  int GridCount() const override { return Count; }
  int SelectedGridItem() const override { return Selected; }
  void SelectGridItem(int index) override { Selected = index; }
  void ShowMainWindow() override { MainShown = true; }
  void HideMainWindow() override { MainShown = false; }
  void ShutDownApplication() override { ++ShutDowns; }

  int Count = 0;
  int Selected = -1;
  bool MainShown = true;
  int ShutDowns = 0;
};

std::vector<std::string> Captions(const QList<QAction*>& actions) {
  std::vector<std::string> captions;
  for (const QAction* action : actions) {
    captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  }
  return captions;
}

class FormViewTest : public testing::Test {
 protected:
  // Pictures named 01.bmp.. of width 100 + i and height 50 + i, so the size tells which one
  // is on show; the ones in `unreadable` are not bitmaps at all.
  void MakePictures(int count, std::vector<int> unreadable = {}) {
    for (int i = 1; i <= count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%02d.bmp", i);
      if (std::find(unreadable.begin(), unreadable.end(), i) != unreadable.end()) {
        test::WriteFileBytes(dir / name, "not a bitmap");
      } else {
        WriteBmp(Bitmap24(100 + i, 50 + i), dir / name);
      }
      pictures.Add((dir / name).string());
    }
    host.Count = count;
  }
  void MakePicture(int width, int height) {
    Bitmap24 picture(width, height);
    picture.Fill(0x336699);
    WriteBmp(picture, dir / "one.bmp");
    pictures.Add((dir / "one.bmp").string());
    host.Count = 1;
  }
  // Which picture is on show, by its width.
  int Shown() const { return view.PictureArea()->Picture()->Width() - 100; }

  test::TempDir dir;
  TImageFileList pictures;
  RecordingHost host;
  test::RecordingPrompts prompts;
  test::RecordingWallpaperSetter wallpaper;
  TFormView view{pictures, host, prompts, wallpaper, dir / "blank.bmp"};
};

TEST_F(FormViewTest, WindowHasItsMenusToolBarAndStatusPanels) {
  EXPECT_EQ(view.windowTitle(), "Vexilo - View Picture");
  std::vector<std::string> menus;
  for (QAction* menu : view.menuBar()->actions()) menus.push_back(menu->text().toStdString());
  EXPECT_EQ(menus, (std::vector<std::string>{"&File", "&Zoom", "&View", "&Tools"}));
  const auto menuOf = [&](int i) { return view.menuBar()->actions()[i]->menu()->actions(); };
  EXPECT_EQ(Captions(menuOf(0)), (std::vector<std::string>{"&Vexilo Mode", "-", "&Exit"}));
  EXPECT_EQ(Captions(menuOf(1)),
            (std::vector<std::string>{"Zoom &In", "Zoom &Out", "-", "&Full Screen"}));
  EXPECT_EQ(Captions(menuOf(2)), (std::vector<std::string>{"&Previous", "&Next", "&First", "&Last",
                                                           "-", "Slide &Show"}));
  EXPECT_EQ(view.Commands().SlideShow->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(
      Captions(menuOf(3)),
      (std::vector<std::string>{"Set &Wallpaper", "-", "Move to &Trash\tDel", "&Move to Folder\tM",
                                "Co&py to Folder\tC", "Move to Second F&older\tShift+M",
                                "Copy to Second Fol&der\tShift+C", "&Rename...\tF2", "-",
                                "C&hoose Sorting Folders..."}));

  std::vector<std::string> tips;
  for (QAction* action : view.ToolBar()->actions()) {
    tips.push_back(action->isSeparator() ? "-" : action->toolTip().toStdString());
  }
  EXPECT_EQ(tips, (std::vector<std::string>{"Vexilo Mode", "-", "Previous", "Next", "-", "Zoom In",
                                            "Zoom Out", "Fit Image", "-", "Full Screen"}));
  EXPECT_EQ(Captions(view.Popup()->actions()),
            (std::vector<std::string>{"&Previous", "&Next", "&First", "&Last", "-", "Full Screen",
                                      "-", "Move to &Trash\tDel", "&Rename...\tF2"}));
  const TFormView::Actions& a = view.Commands();
  EXPECT_TRUE(a.PopupFullScreen->isCheckable());
  for (QAction* command :
       {a.PopupFullScreen, a.FullScreenButton, a.FullScreenEntry, a.SetWallpaper}) {
    EXPECT_TRUE(command->isEnabled());
  }
  for (QAction* zoom : {a.ZoomInEntry, a.ZoomOutEntry, a.ZoomInButton, a.ZoomOutButton}) {
    EXPECT_TRUE(zoom->isEnabled());
  }
  const int widths[] = {50, 120, 50, 50, 50, 500};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(view.StatusWidth(i), widths[i]) << i;
  EXPECT_EQ(view.StatusText(5), "Press SPACE to view next picture in sequence.");
}

TEST_F(FormViewTest, OpensOnTheSelectionAndHidesTheMainWindow) {
  MakePictures(3);
  host.Selected = 1;
  view.OpenViewer();
  EXPECT_TRUE(view.isVisible());
  EXPECT_FALSE(host.MainShown);
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(view.StatusText(0), "2/3");
  EXPECT_EQ(view.StatusText(2), "02.bmp");
  EXPECT_EQ(view.StatusText(3), "102x52");
  EXPECT_EQ(view.StatusText(4), "100%");
  EXPECT_EQ(view.StatusText(1).size(), 19u);
  const QFontMetrics metrics = view.statusBar()->fontMetrics();
  EXPECT_EQ(view.StatusWidth(2), metrics.horizontalAdvance("02.bmp") + 20);
  EXPECT_EQ(view.StatusWidth(3), metrics.horizontalAdvance("102x52") + 20);
  // The time never is cut short.
  EXPECT_GE(view.StatusWidth(1),
            metrics.horizontalAdvance(QString::fromStdString(view.StatusText(1))));
}

TEST_F(FormViewTest, NothingOpensOnAnEmptyGridAndAFailureSaysSo) {
  view.OpenViewer();
  EXPECT_FALSE(view.isVisible());
  EXPECT_TRUE(prompts.Messages.empty());
  MakePictures(2, {1});
  view.OpenViewer();
  EXPECT_FALSE(view.isVisible());
  EXPECT_TRUE(host.MainShown);
  EXPECT_EQ(prompts.Messages,
            std::vector<std::string>{"Error to shift to view mode, please re-start Vexilo."});
  EXPECT_EQ(host.Selected, 0);
}

TEST_F(FormViewTest, ThreePicturesWrapBothWays) {
  MakePictures(3);
  host.Selected = 2;
  view.OpenViewer();
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(view.StatusText(0), "1/3");
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(Shown(), 3);
  EXPECT_EQ(view.StatusText(0), "3/3");
  view.Commands().First->trigger();
  EXPECT_EQ(Shown(), 1);
  view.Commands().Last->trigger();
  EXPECT_EQ(Shown(), 3);
  // Keys typed into the picture area follow the same map.
  QTest::keyClick(view.PictureArea(), Qt::Key_Space);
  EXPECT_EQ(Shown(), 1);
}

TEST_F(FormViewTest, TheSlideShowStepsOnUntilAKeyOrAClick) {
  MakePictures(3);
  AdvancedSettings settings;
  settings.SlideSeconds = 1;
  view.UseSettings(settings);
  host.Selected = 2;
  view.OpenViewer();
  view.Commands().SlideShow->trigger();
  ASSERT_TRUE(view.SlideShowRunning());
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return Shown() == 1; }, std::chrono::seconds(5)));
  QTest::keyClick(view.PictureArea(), Qt::Key_Space);
  EXPECT_FALSE(view.SlideShowRunning());
  EXPECT_EQ(Shown(), 1) << "the key only ends the show";
  view.Commands().SlideShow->trigger();
  QTest::mouseClick(view.PictureArea()->viewport(), Qt::LeftButton);
  EXPECT_FALSE(view.SlideShowRunning());
}

TEST_F(FormViewTest, AnAnimatedPicturePlaysUntilTheViewerIsLeft) {
  const std::string made =
      "convert -size 30x20 -delay 2 xc:red xc:blue -loop 0 " + (dir / "moving.gif").string();
  if (std::system(made.c_str()) != 0) GTEST_SKIP() << "ImageMagick missing";
  pictures.Add((dir / "moving.gif").string());
  host.Count = 1;
  view.OpenViewer();
  const auto colour = [&] { return view.PictureArea()->Picture()->Pixel(5, 5); };
  EXPECT_EQ(colour(), 0xFF0000u);
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return colour() == 0x0000FFu; }));
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return colour() == 0xFF0000u; }));
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(view.PictureArea()->Picture(), nullptr);
  test::ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(view.PictureArea()->Picture(), nullptr) << "no frame after the viewer is left";
}

// The picture after the one sorted out comes into view, as Next would show it; with the last
// one gone the viewer returns to the (empty) grid.
TEST_F(FormViewTest, DeleteAndMoveShowTheNextPictureAndTheLastOneGoneReturns) {
  MakePictures(3);
  test::RecordingGrid grid;
  grid.Captions = {"01.bmp", "02.bmp", "03.bmp"};
  test::RecordingStatus status;
  test::RecordingShell shell;
  AppSettings settings;
  settings.SortingFolder = (dir / "sorted").string();
  std::filesystem::create_directory(dir / "sorted");
  PictureCommands commands({pictures, grid, status, prompts});
  SortingOut sorting({pictures, commands, shell, prompts, settings, nullptr, nullptr});
  view.UseSortingOut(sorting);
  host.Selected = 2;
  view.OpenViewer();

  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(prompts.Questions, std::vector<std::string>{"Move \"03.bmp\" to the Trash?"});
  EXPECT_EQ(Shown(), 1) << "after the last comes the first";
  EXPECT_EQ(view.StatusText(0), "1/2");
  QTest::keyClick(&view, Qt::Key_M);
  EXPECT_TRUE(std::filesystem::exists(dir / "sorted/01.bmp"));
  EXPECT_EQ(Shown(), 2);
  EXPECT_EQ(view.StatusText(0), "1/1");
  EXPECT_EQ(grid.Captions, std::vector<std::string>{"02.bmp"});
  // Both chosen again, each from the one in use; a cancelled choice keeps its folder.
  shell.PickedFolder = (dir / "keep").string();
  sorting.ChooseFolders();
  EXPECT_EQ(shell.PickStarts, (std::vector<std::string>{(dir / "sorted").string(), ""}));
  EXPECT_EQ(settings.SecondSortingFolder, (dir / "keep").string());
  shell.PickedFolder.reset();
  sorting.ChooseFolders();
  EXPECT_EQ(settings.SortingFolder, (dir / "keep").string());

  settings.Advanced.TrashWithoutAsking = true;
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(prompts.Questions.size(), 1u);
  EXPECT_EQ(shell.Trashed.size(), 2u);
  EXPECT_TRUE(grid.Captions.empty());
  EXPECT_TRUE(host.MainShown);
  EXPECT_FALSE(view.isVisible());
}

TEST_F(FormViewTest, FirstAndLastStayOnTheOnlyPicture) {
  MakePictures(1);
  view.OpenViewer();
  view.ShowFirst();
  EXPECT_EQ(view.StatusText(0), "1/1");
  view.ShowLast();
  view.ShowNext();
  EXPECT_EQ(view.StatusText(0), "1/1");
  EXPECT_EQ(Shown(), 1);
}

TEST_F(FormViewTest, UnreadableFifthOfTenKeepsTheFourthAndSkipsOn) {
  MakePictures(10, {5});
  host.Selected = 3;
  view.OpenViewer();
  EXPECT_EQ(view.StatusText(0), "4/10");
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(prompts.ErrorsWithYes,
            std::vector<std::string>{"Error in reading " + (dir / "05.bmp").string() + "!\n"});
  EXPECT_EQ(Shown(), 4);
  EXPECT_EQ(view.StatusText(0), "6/10");
  EXPECT_EQ(view.StatusText(3), "104x54");
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(Shown(), 7);
  EXPECT_EQ(view.StatusText(0), "7/10");
}

// A bitmap that cannot be read on the way back moves one further back too.
TEST_F(FormViewTest, UnreadableBitmapOnTheWayBackMovesOneFurtherBack) {
  MakePictures(10, {5});
  host.Selected = 5;
  view.OpenViewer();
  QTest::keyClick(&view, Qt::Key_Backspace);
  ASSERT_EQ(prompts.ErrorsWithYes.size(), 1u);
  EXPECT_EQ(Shown(), 6);
  EXPECT_EQ(view.StatusText(0), "4/10");
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(Shown(), 3);
}

TEST_F(FormViewTest, ZoomInStepsToTheTopAndDisablesZoomIn) {
  MakePicture(800, 600);
  view.OpenViewer();
  view.Commands().ZoomInButton->trigger();
  EXPECT_EQ(view.PictureArea()->Panel().size(), QSize(1200, 900));
  EXPECT_EQ(view.StatusText(4), "150%");
  for (int step = 0; step < 5; ++step) QTest::keyClick(&view, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(view.StatusText(4), "1000%");
  EXPECT_EQ(view.PictureArea()->Panel().size(), QSize(8000, 6000));
  const TFormView::Actions& a = view.Commands();
  EXPECT_FALSE(a.ZoomInEntry->isEnabled());
  EXPECT_FALSE(a.ZoomInButton->isEnabled());
  EXPECT_TRUE(a.ZoomOutEntry->isEnabled());
  QTest::keyClick(&view, Qt::Key_Minus);
  EXPECT_EQ(view.StatusText(4), "700%");
  EXPECT_TRUE(a.ZoomInEntry->isEnabled());
  EXPECT_TRUE(a.ZoomInButton->isEnabled());
}

TEST_F(FormViewTest, ZoomOutOfASmallPictureWithThePanelTexts) {
  MakePicture(100, 100);
  view.OpenViewer();
  const std::pair<int, const char*> steps[] = {
      {70, "70%"}, {50, "50%"}, {30, "30%"}, {20, "20%"}, {15, "15%"}};
  for (const auto& [side, text] : steps) {
    QTest::keyClick(&view, Qt::Key_Underscore);
    EXPECT_EQ(view.PictureArea()->Panel().size(), QSize(side, side));
    EXPECT_EQ(view.StatusText(4), text);
  }
  QTest::keyClick(&view, Qt::Key_Slash);
  EXPECT_EQ(view.StatusText(4), "100%");
  EXPECT_EQ(view.StatusText(0), "1/1");
}

TEST_F(FormViewTest, SpaceAtTheTopReturnsToLevelNineWithZoomInStillDisabled) {
  MakePictures(2);
  view.OpenViewer();
  for (int step = 0; step < 6; ++step) view.ZoomIn();
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(view.ZoomLevel(), 9);
  const TFormView::Actions& a = view.Commands();
  EXPECT_FALSE(a.ZoomInEntry->isEnabled());
  EXPECT_FALSE(a.ZoomInButton->isEnabled());
  // The key follows the disabled menu entry.
  QTest::keyClick(&view, Qt::Key_Equal);
  EXPECT_EQ(view.ZoomLevel(), 9);
  // Opening the Zoom menu re-enables its entry, not the button.
  emit view.ZoomMenu()->aboutToShow();
  EXPECT_TRUE(a.ZoomInEntry->isEnabled());
  EXPECT_FALSE(a.ZoomInButton->isEnabled());
  QTest::keyClick(&view, Qt::Key_Plus);
  EXPECT_EQ(view.ZoomLevel(), 10);
}

TEST_F(FormViewTest, EnterAndDoubleClickReturnOnThePictureReached) {
  MakePictures(4);
  host.Selected = 0;
  view.OpenViewer();
  QTest::keyClick(&view, Qt::Key_Space);
  QTest::keyClick(&view, Qt::Key_Space);
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(host.Selected, 2);
  EXPECT_TRUE(host.MainShown);
  EXPECT_FALSE(view.isVisible());

  view.OpenViewer();
  EXPECT_EQ(Shown(), 3);
  QTest::keyClick(&view, Qt::Key_Backspace);
  TPictureArea* area = view.PictureArea();
  QTest::mouseDClick(area->viewport(), Qt::LeftButton, {}, area->Panel().center());
  EXPECT_EQ(host.Selected, 1);
  EXPECT_FALSE(view.isVisible());
  EXPECT_EQ(host.ShutDowns, 0);
}

TEST_F(FormViewTest, ClosingTheShownViewerAsksForShutDown) {
  MakePictures(1);
  view.close();
  EXPECT_EQ(host.ShutDowns, 0);
  view.OpenViewer();
  view.Commands().Exit->trigger();
  EXPECT_EQ(host.ShutDowns, 1);
}

TEST_F(FormViewTest, AppendedPicturesCountInPanelZero) {
  MakePictures(2);
  host.Selected = 1;
  view.OpenViewer();
  pictures.Add(pictures.Paths().front());
  view.PicturesAppended();
  EXPECT_EQ(view.StatusText(0), "2/3");
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(view.StatusText(0), "3/3");
}

// The window as the user sees it: no border, menu bar, tool bar or status bar, the picture
// area covering exactly the screen.
void ExpectFullScreenLayout(TFormView& view) {
  EXPECT_TRUE(view.IsFullScreen());
  EXPECT_TRUE(view.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_FALSE(view.menuBar()->isVisible());
  EXPECT_FALSE(view.ToolBar()->isVisible());
  EXPECT_FALSE(view.statusBar()->isVisible());
  TPictureArea* area = view.PictureArea();
  const QRect screen = view.screen()->geometry();
  const int frame = area->frameWidth();
  EXPECT_EQ(area->geometry(),
            QRect(-frame, -frame, screen.width() + 2 * frame, screen.height() + 2 * frame));
  EXPECT_EQ(area->AreaSize(), screen.size());
}

void ExpectWindowedLayout(TFormView& view) {
  EXPECT_FALSE(view.IsFullScreen());
  EXPECT_FALSE(view.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(view.menuBar()->isVisible());
  EXPECT_TRUE(view.ToolBar()->isVisible());
  EXPECT_TRUE(view.statusBar()->isVisible());
  TPictureArea* area = view.PictureArea();
  EXPECT_EQ(area->geometry(), view.centralWidget()->rect());
  EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
  EXPECT_EQ(area->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

TEST_F(FormViewTest, FullScreenSurvivesEnterAndIsLeftWithEscape) {
  MakePictures(3);
  view.OpenViewer();
  view.ZoomIn();
  view.Commands().FullScreenEntry->trigger();
  ExpectFullScreenLayout(view);
  EXPECT_EQ(view.ZoomLevel(), 9);  // laid out fit
  const QSize screen = view.screen()->geometry().size();
  EXPECT_EQ(view.PictureArea()->Panel().topLeft(),
            QPoint((screen.width() - 101) / 2, (screen.height() - 51) / 2));

  // Keys still work in full screen; Enter goes back to the grid without leaving it.
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(Shown(), 2);
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_FALSE(view.isVisible());
  EXPECT_TRUE(host.MainShown);
  EXPECT_EQ(host.Selected, 1);

  view.OpenViewer();
  EXPECT_TRUE(view.isVisible());
  ExpectFullScreenLayout(view);
  QTest::keyClick(&view, Qt::Key_Escape);
  ExpectWindowedLayout(view);
  EXPECT_TRUE(view.isVisible());
  EXPECT_EQ(Shown(), 2);
  // Esc outside full screen does nothing.
  QTest::keyClick(&view, Qt::Key_Escape);
  ExpectWindowedLayout(view);
  EXPECT_TRUE(view.isVisible());
}

TEST_F(FormViewTest, ThePopupEntryTogglesFullScreenAndTheButtonEntersIt) {
  MakePictures(1);
  view.OpenViewer();
  const TFormView::Actions& a = view.Commands();
  a.PopupFullScreen->trigger();
  ExpectFullScreenLayout(view);
  a.PopupFullScreen->trigger();
  ExpectWindowedLayout(view);
  a.FullScreenButton->trigger();
  ExpectFullScreenLayout(view);
  // The pop-up shows the state it would leave.
  emit view.PictureArea()->popupRequested(QPoint(10, 10));
  EXPECT_TRUE(a.PopupFullScreen->isChecked());
  view.Popup()->hide();
  a.PopupFullScreen->trigger();
  ExpectWindowedLayout(view);
}

TEST_F(FormViewTest, ZoomKeysInFullScreenFollowTheHiddenMenuEntries) {
  MakePictures(2);
  view.OpenViewer();
  view.EnterFullScreen();
  for (int step = 0; step < 6; ++step) QTest::keyClick(&view, Qt::Key_Plus);
  EXPECT_EQ(view.ZoomLevel(), 15);
  QTest::keyClick(&view, Qt::Key_Space);  // back to level 9, zoom-in entry still disabled
  EXPECT_FALSE(view.Commands().ZoomInEntry->isEnabled());
  QTest::keyClick(&view, Qt::Key_Plus);
  EXPECT_EQ(view.ZoomLevel(), 9);
  QTest::keyClick(&view, Qt::Key_Minus);
  EXPECT_LT(view.ZoomLevel(), 9);
}

TEST_F(FormViewTest, SetWallpaperHandsTheBlankThenTheSavedPicture) {
  // Nothing may reach the real data folder.
  const QByteArray home = qgetenv("HOME"), dataHome = qgetenv("XDG_DATA_HOME");
  qputenv("HOME", QByteArray::fromStdString((dir / "home").string()));
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
  MakePictures(2);
  host.Selected = 1;
  view.OpenViewer();
  view.Commands().SetWallpaper->trigger();
  qputenv("HOME", home);
  qputenv("XDG_DATA_HOME", dataHome);
  ASSERT_EQ(wallpaper.Files.size(), 2u);
  EXPECT_EQ(wallpaper.Files[0], (dir / "blank.bmp").string());
  const std::filesystem::path saved = wallpaper.Files[1];
  EXPECT_EQ(saved.filename(), "Vexilo.bmp");
  EXPECT_EQ(saved.string().rfind((dir / "data").string(), 0), 0u) << saved;
  // The second picture is smaller than any screen and of another shape: saved as it is.
  EXPECT_EQ(test::ReadFileBytes(saved), test::ReadFileBytes(dir / "02.bmp"));
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(FormViewTest, SetWallpaperFailsSilently) {
  MakePictures(1, {1});
  view.Commands().SetWallpaper->trigger();  // no current picture
  pictures.SetCurrentIndex(0);
  view.Commands().SetWallpaper->trigger();  // not a bitmap
  EXPECT_TRUE(wallpaper.Files.empty());
  EXPECT_TRUE(prompts.Messages.empty());
}

}  // namespace
}  // namespace vexilo

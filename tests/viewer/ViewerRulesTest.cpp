#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "pictures/ImageFileList.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"
#include "viewer/LoadStep.h"
#include "viewer/PictureLayout.h"
#include "viewer/ViewerHost.h"
#include "viewer/ViewerKeys.h"
#include "viewer/ViewerOpening.h"
#include "viewer/ViewerStatus.h"
#include "viewer/ZoomRules.h"

namespace vexilo {
namespace {

TEST(ZoomTableTest, LevelsAndTruncatedExtents) {
  const int percents[] = {5, 7, 10, 15, 20, 30, 50, 70, 100, 150, 200, 300, 500, 700, 1000};
  for (int level = 1; level <= 15; ++level) EXPECT_EQ(ZoomPercent(level), percents[level - 1]);
  EXPECT_EQ(ZoomedExtent(800, 10), 1200);
  EXPECT_EQ(ZoomedExtent(99, 2), 6);  // 6.93 truncates
  EXPECT_EQ(ZoomedExtent(6000, 15), 60000);
  EXPECT_EQ(ZoomedExtent(65535, 15), 655350);
}

TEST(PictureLayoutTest, CentresOnEachAxisThatFits) {
  EXPECT_EQ(LayoutPicture(200, 100, true, 3, 1000, 700), (PictureLayout{9, 400, 300, 200, 100}));
  EXPECT_EQ(LayoutPicture(3000, 100, true, 9, 1000, 700), (PictureLayout{9, 0, 300, 3000, 100}));
  EXPECT_EQ(LayoutPicture(100, 3000, true, 9, 1000, 700), (PictureLayout{9, 450, 0, 100, 3000}));
  // Odd differences truncate; an exact fit sits at 0.
  EXPECT_EQ(LayoutPicture(201, 101, true, 9, 1000, 700), (PictureLayout{9, 399, 299, 201, 101}));
  EXPECT_EQ(LayoutPicture(1000, 700, true, 9, 1000, 700), (PictureLayout{9, 0, 0, 1000, 700}));
  EXPECT_EQ(LayoutPicture(800, 600, false, 10, 1000, 700), (PictureLayout{10, 0, 0, 1200, 900}));
  EXPECT_EQ(LayoutPicture(800, 600, false, 8, 1000, 700), (PictureLayout{8, 220, 140, 560, 420}));
  EXPECT_EQ(LayoutPicture(0, 0, false, 12, 1000, 700), (PictureLayout{12, 500, 350, 0, 0}));
}

TEST(ZoomRulesTest, SixStepsReachTheTopAndDisableZoomIn) {
  ViewerZoom zoom;
  EXPECT_EQ(zoom.Level(), 9);
  for (int step = 0; step < 6; ++step) EXPECT_TRUE(zoom.ZoomIn());
  EXPECT_EQ(ZoomPercent(zoom.Level()), 1000);
  EXPECT_EQ(zoom.Controls(), (ZoomControls{false, true, false, true}));
  EXPECT_FALSE(zoom.ZoomIn());
  EXPECT_EQ(zoom.Level(), 15);
  EXPECT_TRUE(zoom.ZoomOut());
  EXPECT_EQ(zoom.Level(), 14);
  EXPECT_EQ(zoom.Controls(), ZoomControls{});
}

TEST(ZoomRulesTest, StepsDownToTheBottomAndBack) {
  ViewerZoom zoom;
  const int expected[] = {70, 50, 30, 20, 15};
  for (int percent : expected) {
    ASSERT_TRUE(zoom.ZoomOut());
    EXPECT_EQ(ZoomedExtent(100, zoom.Level()), percent);
  }
  while (zoom.ZoomOut()) {
  }
  EXPECT_EQ(zoom.Level(), 1);
  EXPECT_EQ(zoom.Controls(), (ZoomControls{true, false, true, false}));
  EXPECT_TRUE(zoom.ZoomIn());
  EXPECT_EQ(zoom.Controls(), ZoomControls{});
}

TEST(ZoomRulesTest, FitAfterTheTopKeepsZoomInDisabledUntilTheMenuOpens) {
  ViewerZoom zoom;
  while (zoom.ZoomIn()) {
  }
  zoom.Fit();
  EXPECT_EQ(zoom.Level(), 9);
  EXPECT_FALSE(zoom.Controls().MenuZoomIn);
  EXPECT_FALSE(zoom.Controls().ButtonZoomIn);
  EXPECT_FALSE(zoom.ZoomInKeyAllowed());
  // The menu recomputes its entries only: the button stays disabled, the key works again.
  zoom.ZoomMenuOpened(600, 600);
  EXPECT_EQ(zoom.Controls(), (ZoomControls{true, true, false, true}));
  EXPECT_TRUE(zoom.ZoomInKeyAllowed());
}

TEST(ZoomRulesTest, ZoomMenuRuleAtItsBounds) {
  struct Row {
    int shown, natural;
    bool zoomIn, zoomOut;
  };
  const Row rows[] = {
      {75938, 10000, true, true},   // exactly trunc(H x 7.5938): a double would miss it
      {75939, 10000, false, true},  // past it
      {1176, 10000, true, true},    // exactly trunc(H x 0.1176)
      {1175, 10000, true, false},   // below it
      {7, 1, true, true},           // trunc(7.5938) = 7
      {8, 1, false, true},         {0, 0, true, true},  // an empty picture enables both
      {6000, 600, false, true},  // 1000 %: the menu agrees with the level bound
  };
  for (const Row& row : rows) {
    ViewerZoom zoom;
    while (zoom.ZoomIn()) {
    }
    zoom.ZoomMenuOpened(row.shown, row.natural);
    EXPECT_EQ(zoom.Controls().MenuZoomIn, row.zoomIn) << row.shown << " of " << row.natural;
    EXPECT_EQ(zoom.Controls().MenuZoomOut, row.zoomOut) << row.shown << " of " << row.natural;
    EXPECT_FALSE(zoom.Controls().ButtonZoomIn);
    EXPECT_TRUE(zoom.Controls().ButtonZoomOut);
  }
}

TEST(ViewerKeysTest, KeyMap) {
  using namespace viewerkey;
  struct Row {
    int key;
    bool keypad;
    ViewerAction action;
    bool shift = false;
  };
  const Row rows[] = {
      {kBackspace, false, ViewerAction::ShowPrevious},
      {kReturn, false, ViewerAction::ReturnToBrowser},
      {kEnter, true, ViewerAction::ReturnToBrowser},
      {kEscape, false, ViewerAction::LeaveFullScreen},
      {kSpace, false, ViewerAction::ShowNext},
      {kPageUp, false, ViewerAction::PageUp},
      {kPageDown, false, ViewerAction::PageDown},
      {kLeft, false, ViewerAction::LineLeft},
      {kUp, false, ViewerAction::LineUp},
      {kRight, false, ViewerAction::LineRight},
      {kDown, false, ViewerAction::LineDown},
      {kPlus, true, ViewerAction::ZoomIn},
      {kPlus, false, ViewerAction::ZoomIn},
      {kEqual, false, ViewerAction::ZoomIn},
      {kMinus, true, ViewerAction::ZoomOut},
      {kMinus, false, ViewerAction::ZoomOut},
      {kUnderscore, false, ViewerAction::ZoomOut},
      {kSlash, false, ViewerAction::FitImage},
      {kSlash, true, ViewerAction::None},
      {'A', false, ViewerAction::None},
      {0x01000001, false, ViewerAction::None},  // Tab
      {kDelete, false, ViewerAction::MoveToTrash},
      {kDelete, false, ViewerAction::None, true},
      {kLetterM, false, ViewerAction::MoveToFolder},
      {kLetterM, false, ViewerAction::MoveToSecondFolder, true},
      {kLetterC, false, ViewerAction::CopyToFolder},
      {kLetterC, false, ViewerAction::CopyToSecondFolder, true},
      {kF2, false, ViewerAction::Rename},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ActionForKey(row.key, row.keypad, row.shift), row.action) << std::hex << row.key;
  }
}

// A list of n pictures named 1..n; Load fails for the paths in `unreadable`.
struct StepFixture {
  explicit StepFixture(int n) {
    for (int i = 1; i <= n; ++i) pictures.Add(std::to_string(i));
    handlers.Load = [this](const std::string& path) {
      for (const std::string& bad : unreadable) {
        if (bad == path) throw std::runtime_error("unreadable");
      }
      shown = path;
    };
    handlers.ReportUnreadable = [this](const std::string& path) { reported.push_back(path); };
  }
  TImageFileList pictures;
  StepHandlers handlers;
  std::vector<std::string> unreadable;
  std::vector<std::string> reported;
  std::string shown;
};

TEST(LoadStepTest, WrapsBothWays) {
  StepFixture f(3);
  f.pictures.SetCurrentIndex(2);
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Next, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 0);
  EXPECT_EQ(f.shown, "1");
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Previous, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 2);
  EXPECT_EQ(f.shown, "3");
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::First, f.handlers));
  EXPECT_EQ(f.shown, "1");
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Last, f.handlers));
  EXPECT_EQ(f.shown, "3");
}

TEST(LoadStepTest, OnePictureStaysAndAnEmptyListChangesNothing) {
  StepFixture one(1);
  one.pictures.SetCurrentIndex(0);
  for (ViewerStep step :
       {ViewerStep::Next, ViewerStep::Previous, ViewerStep::First, ViewerStep::Last}) {
    EXPECT_TRUE(LoadStep(one.pictures, step, one.handlers));
    EXPECT_EQ(one.pictures.CurrentIndex(), 0);
  }
  StepFixture none(0);
  EXPECT_FALSE(LoadStep(none.pictures, ViewerStep::Next, none.handlers));
  EXPECT_EQ(none.pictures.CurrentIndex(), -1);
  EXPECT_TRUE(none.reported.empty());
}

TEST(LoadStepTest, UnreadablePictureMovesOneFurtherInTheDirectionOfTravel) {
  StepFixture f(10);
  f.unreadable = {"5"};
  f.pictures.SetCurrentIndex(3);
  f.shown = "4";
  EXPECT_FALSE(LoadStep(f.pictures, ViewerStep::Next, f.handlers));
  EXPECT_EQ(f.reported, std::vector<std::string>{"5"});
  EXPECT_EQ(f.shown, "4");
  EXPECT_EQ(f.pictures.CurrentIndex(), 5);  // 6/10
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Next, f.handlers));
  EXPECT_EQ(f.shown, "7");

  // Backward, whatever the kind: from 6 the unreadable 5 leaves the position on 4, and the
  // next step goes on to 3.
  f.pictures.SetCurrentIndex(5);
  EXPECT_FALSE(LoadStep(f.pictures, ViewerStep::Previous, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 3);
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Previous, f.handlers));
  EXPECT_EQ(f.shown, "3");
}

TEST(LoadStepTest, ExtraStepWrapsAndFirstAndLastMoveForward) {
  StepFixture f(4);
  f.unreadable = {"1", "4"};
  EXPECT_FALSE(LoadStep(f.pictures, ViewerStep::Last, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 0);  // forward past the last: the first
  EXPECT_FALSE(LoadStep(f.pictures, ViewerStep::First, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 1);
  f.pictures.SetCurrentIndex(1);
  EXPECT_FALSE(LoadStep(f.pictures, ViewerStep::Previous, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 3);  // backward before the first: the last
}

TEST(LoadStepTest, PicturesAddedDuringTheReportCountForTheExtraStep) {
  StepFixture f(3);
  f.unreadable = {"3"};
  f.pictures.SetCurrentIndex(1);
  f.handlers.ReportUnreadable = [&f](const std::string&) { f.pictures.Add("4"); };
  EXPECT_FALSE(LoadStep(f.pictures, ViewerStep::Next, f.handlers));
  EXPECT_EQ(f.pictures.CurrentIndex(), 3);
}

TEST(LoadStepTest, PositionOutsideTheListStartsFromTheEnds) {
  StepFixture f(3);
  f.pictures.SetCurrentIndex(7);
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Next, f.handlers));
  EXPECT_EQ(f.shown, "1");
  f.pictures.SetCurrentIndex(-1);
  EXPECT_TRUE(LoadStep(f.pictures, ViewerStep::Previous, f.handlers));
  EXPECT_EQ(f.shown, "3");
}

TEST(ViewerStatusTest, PanelTexts) {
  ViewerStatusInput input;
  input.CurrentIndex = 2;
  input.Count = 17;
  input.FileTime = "03/04/2025 05:06:08";
  input.FileName = "a.b.jpg";
  input.PictureWidth = 800;
  input.PictureHeight = 600;
  input.ZoomLevel = 10;
  EXPECT_EQ(ViewerStatusTexts(input), (std::array<std::string, 5>{"3/17", "03/04/2025 05:06:08",
                                                                  "a.b.jpg", "800x600", "150%"}));
}

TEST(ViewerStatusTest, TimeFormatAndAMissingFile) {
  std::tm local{};
  local.tm_year = 2025 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 4;
  local.tm_hour = 17;
  local.tm_min = 6;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  EXPECT_EQ(FormatViewerTime(std::mktime(&local)), "03/04/2025 17:06:08");
  test::TempDir dir;
  EXPECT_EQ(FileTimeForViewer(dir / "gone.jpg"), "");
}

class FakeHost : public ViewerHost {
 public:
  int GridCount() const override { return count; }
  int SelectedGridItem() const override { return selected; }
  void SelectGridItem(int index) override {
    selected = index;
    selections.push_back(index);
  }
  void ShowMainWindow() override {}
  void HideMainWindow() override {}
  void ShutDownApplication() override {}

  int count = 0;
  int selected = -1;
  std::vector<int> selections;
};

TEST(ViewerOpeningTest, OpensOnTheSelectionOrTheFirstItem) {
  TImageFileList pictures;
  for (const char* path : {"a", "b", "c"}) pictures.Add(path);
  FakeHost host;
  EXPECT_FALSE(PrepareViewerOpen(host, pictures));
  host.count = 3;
  EXPECT_TRUE(PrepareViewerOpen(host, pictures));
  EXPECT_EQ(host.selections, std::vector<int>{0});
  EXPECT_EQ(pictures.CurrentIndex(), 0);
  host.selected = 2;
  EXPECT_TRUE(PrepareViewerOpen(host, pictures));
  EXPECT_EQ(host.selections, std::vector<int>{0});
  EXPECT_EQ(pictures.CurrentIndex(), 2);
}

}  // namespace
}  // namespace vexilo

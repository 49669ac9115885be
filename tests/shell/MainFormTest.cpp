#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <map>

#include "core/LineFile.h"
#include "pictures/PictureGrid.h"
#include "pictures/PictureListView.h"
#include "pictures/PictureReading.h"
#include "pictures/PreviewPane.h"
#include "shell/AdvancedSettingsUnit.h"
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

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::vector<std::string> TaskLines(const std::vector<std::string>& names) {
  std::vector<std::string> lines;
  for (const std::string& name : names) {
    TaskRecord task;
    task.Name = name;
    task.TaskFolder = "/data/" + name;
    task.TaskType = "0";
    task.FolderName = name;
    auto block = ToLines(task);
    lines.insert(lines.end(), block.begin(), block.end());
  }
  return lines;
}

// The captions of a menu, "-" for a separator and "name >" for a sub-menu.
std::vector<std::string> Captions(const QMenu* menu) {
  std::vector<std::string> captions;
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      captions.push_back("-");
    } else if (action->menu() != nullptr) {
      captions.push_back(action->text().toStdString() + " >");
    } else {
      captions.push_back(action->text().toStdString());
    }
  }
  return captions;
}

// The entries of a menu whose access keys (the letter after "&") another entry has too: the key
// would only move between them, never choose one.
std::vector<std::string> SharedAccessKeys(const QMenu* menu) {
  std::map<QChar, int> uses;
  std::vector<std::string> shared;
  for (const QAction* action : menu->actions()) {
    const QString text = action->text();
    const int at = text.indexOf('&');
    if (at < 0 || at + 1 >= text.size()) continue;
    if (++uses[text[at + 1].toLower()] == 2) shared.push_back(text.toStdString());
  }
  return shared;
}

class MainFormTest : public testing::Test {
 protected:
  std::unique_ptr<TMainForm> Start() {
    auto form = std::make_unique<TMainForm>(AppFolders::Beside(dir.Path()),
                                            MainFormServices{store, prompts, shell});
    form->InitialiseRun();
    form->CreateOtherWindows();
    return form;
  }

  TempDir dir;
  test::MemorySettingsStore store;
  test::RecordingPrompts prompts;
  test::RecordingShell shell;
};

TEST_F(MainFormTest, FirstStartInAnEmptyFolder) {
  auto form = Start();
  EXPECT_TRUE(std::filesystem::is_directory(dir / "task"));
  EXPECT_TRUE(std::filesystem::exists(dir / "GTask.lis"));
  EXPECT_EQ(ReadFileBytes(dir / "GTask.lis"), "");
  TTaskTree* tree = test::Part<TTaskTree>(*form);
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(tree->Root()->text(0), "Vexilo Task");
  EXPECT_EQ(tree->TaskNodeCount(), 0);
  EXPECT_EQ(form->Run().Settings().DownFolder, (dir / "pictures").string());
  EXPECT_EQ(form->Run().Settings().DownloadThread, "3");
  EXPECT_TRUE(form->Run().State().CrawlIdle());
  EXPECT_TRUE(prompts.Errors.empty());
  EXPECT_EQ(form->windowTitle(), "Vexilo");
  EXPECT_EQ(form->minimumSize(), QSize(450, 325));
  EXPECT_EQ(test::Part<QWebEngineView>(*form)->url(), QUrl("about:blank"));
  EXPECT_EQ(test::Part<TPictureGrid>(*form)->count(), 0);
  QProgressBar* progress = test::Part<QProgressBar>(*form);
  EXPECT_TRUE(progress->isHidden());
  EXPECT_EQ(progress->geometry().left(), 792 - 200);
  EXPECT_EQ(progress->width(), 200);
}

TEST_F(MainFormTest, TaskTreeShowsWholeBlocksOnly) {
  std::vector<std::string> lines = TaskLines({"first", "second"});
  for (int i = 0; i < 5; ++i) lines.push_back("partial");
  WriteLines(dir / "GTask.lis", lines);
  auto form = Start();
  TTaskTree* tree = test::Part<TTaskTree>(*form);
  ASSERT_EQ(tree->TaskNodeCount(), 2);
  EXPECT_EQ(tree->TaskNode(0)->text(0), "first");
  EXPECT_EQ(tree->TaskNode(1)->text(0), "second");
  EXPECT_TRUE(tree->Root()->isExpanded());
  EXPECT_EQ(form->Run().TaskLines().TaskCount(), 2);
}

TEST_F(MainFormTest, MenusCarryTheirCaptionsInOrder) {
  auto form = Start();
  const TMainActions& a = *test::Part<TMainActions>(*form);
  auto* menuBar = form->findChild<QToolBar*>("menuToolBar");
  ASSERT_NE(menuBar, nullptr);
  std::vector<std::string> buttons;
  for (const QToolButton* button : menuBar->findChildren<QToolButton*>()) {
    if (button->menu() != nullptr) buttons.push_back(button->text().toStdString());
  }
  EXPECT_EQ(buttons,
            (std::vector<std::string>{"&File", "T&ask", "&View", "&Thumbnails", "&Help  "}));
  EXPECT_EQ(Captions(a.FileMenu),
            (std::vector<std::string>{"&View Mode", "-", "&Download Settings", "&Advanced Settings",
                                      "-", "&Minimize to System Tray", "-", "E&xit"}));
  const std::vector<std::string> taskEntries{"&New",
                                             "&Stop",
                                             "&Delete",
                                             "-",
                                             "&Resume",
                                             "R&estart ",
                                             "&Check for New Pictures",
                                             "Se&ttings",
                                             "-",
                                             "&Open destination folder"};
  EXPECT_EQ(Captions(a.TaskMenu), taskEntries);
  EXPECT_EQ(Captions(a.TaskTreePopup), taskEntries);
  EXPECT_EQ(Captions(a.ViewMenu), (std::vector<std::string>{"&Browser Pane >", "-", "&Preview Pane",
                                                            "&Grid Pane", "-", "S&ort By >"}));
  EXPECT_EQ(Captions(a.ViewMenu->actions()[0]->menu()),
            (std::vector<std::string>{"Task", "Folder"}));
  EXPECT_EQ(Captions(a.ViewMenu->actions()[5]->menu()),
            (std::vector<std::string>{"&Name", "&Modification Time", "&Size", "&Dimensions",
                                      "&Kind", "-", "&Reversed"}));
  const std::vector<std::string> sortingOut = {"Move to &Trash\tDel", "&Move to Folder\tM",
                                               "Co&py to Folder\tC", "&Rename...\tF2"};
  std::vector<std::string> thumbnails = {"&Create Thumbnails", "&Find Copies of Pictures", "-"};
  thumbnails.insert(thumbnails.end(), sortingOut.begin(), sortingOut.end());
  thumbnails.push_back("C&hoose Sorting Folders...");
  EXPECT_EQ(Captions(a.ThumbnailsMenu), thumbnails);
  EXPECT_EQ(Captions(a.GridPopup), sortingOut);
  EXPECT_EQ(Captions(a.HelpMenu), (std::vector<std::string>{"&Help", "-", "&About..."}));
  EXPECT_EQ(
      Captions(a.PictureListPopup),
      (std::vector<std::string>{"&Copy URL to clipboard", "&Export lists", "Export as C&SV"}));
  EXPECT_EQ(Captions(a.TrayPopup), (std::vector<std::string>{"&Restore", "-", "&Exit"}));
  for (const QMenu* menu : {a.FileMenu, a.TaskMenu, a.ViewMenu, a.ThumbnailsMenu, a.HelpMenu,
                            a.PictureListPopup, a.GridPopup, a.TrayPopup}) {
    EXPECT_EQ(SharedAccessKeys(menu), std::vector<std::string>{}) << menu->title().toStdString();
  }
  EXPECT_EQ(a.TrayPopup->defaultAction(), a.TrayRestore);
  EXPECT_TRUE(a.BrowserPaneTask->isChecked());
  EXPECT_TRUE(a.PreviewPane->isChecked());
  EXPECT_TRUE(a.GridPane->isChecked());
}

TEST_F(MainFormTest, ToolBarButtonsShowTheirToolTips) {
  auto form = Start();
  auto* commands = form->findChild<QToolBar*>("commandToolBar");
  ASSERT_NE(commands, nullptr);
  std::vector<std::string> tips;
  for (QAction* action : commands->actions()) {
    if (QWidget* widget = commands->widgetForAction(action);
        widget != nullptr && qobject_cast<QToolButton*>(widget) != nullptr) {
      tips.push_back(action->toolTip().toStdString());
    } else if (widget != nullptr && widget->findChild<QComboBox*>() != nullptr) {
      tips.push_back("[address box]");
    }
  }
  EXPECT_EQ(tips, (std::vector<std::string>{"Previous Task", "Next Task", "New Task", "Stop Task",
                                            "View Mode", "[address box]", "Quick Start"}));
  QComboBox* address = test::Part<QComboBox>(*form, "addressBox");
  EXPECT_TRUE(address->isEditable());
  EXPECT_EQ(address->width(), 370);
  EXPECT_GE(address->count(), 2);
  EXPECT_EQ(address->currentText(), address->itemText(0));
}

TEST_F(MainFormTest, EnterInTheAddressBoxRunsQuickStart) {
  auto form = Start();
  auto* commands = form->findChild<QToolBar*>("commandToolBar");
  ASSERT_NE(commands, nullptr);
  const QList<QAction*> actions = commands->actions();
  const auto quickStart = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
    return action->toolTip() == "Quick Start";
  });
  ASSERT_NE(quickStart, actions.end());
  QSignalSpy started(*quickStart, &QAction::triggered);
  QComboBox* address = test::Part<QComboBox>(*form, "addressBox");
  address->setCurrentText(" ");  // blank: Quick Start has nothing to crawl
  QTest::keyClick(address->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(started.count(), 1);
  QTest::keyClick(address, Qt::Key_Enter);  // where the window's focus sends it
  EXPECT_EQ(started.count(), 2);
}

TEST_F(MainFormTest, PreviousAndNextTaskStopAtTheEnds) {
  WriteLines(dir / "GTask.lis", TaskLines({"a", "b", "c"}));
  auto form = Start();
  TTaskTree* tree = test::Part<TTaskTree>(*form);
  const TMainActions& a = *test::Part<TMainActions>(*form);

  tree->setCurrentItem(tree->Root());
  a.PreviousTask->trigger();
  EXPECT_EQ(tree->currentItem(), tree->Root());
  a.NextTask->trigger();
  EXPECT_EQ(tree->SelectedNode(), 0);
  a.PreviousTask->trigger();
  EXPECT_EQ(tree->SelectedNode(), 0);
  a.NextTask->trigger();
  a.NextTask->trigger();
  EXPECT_EQ(tree->SelectedNode(), 2);
  a.NextTask->trigger();
  EXPECT_EQ(tree->SelectedNode(), 2);
  a.PreviousTask->trigger();
  EXPECT_EQ(tree->SelectedNode(), 1);
}

TEST_F(MainFormTest, SelectionIsRefusedWhileACrawlRuns) {
  WriteLines(dir / "GTask.lis", TaskLines({"a", "b"}));
  auto form = Start();
  TTaskTree* tree = test::Part<TTaskTree>(*form);
  tree->setCurrentItem(tree->TaskNode(0));
  form->Run().State().CrawlStarted();
  tree->setCurrentItem(tree->TaskNode(1));
  EXPECT_EQ(tree->SelectedNode(), 0);
  EXPECT_EQ(form->Run().CurrentTask().Name, "a");
  EXPECT_EQ(prompts.Messages, std::vector<std::string>{"Please wait for completing current task."});
}

TEST_F(MainFormTest, NextTaskOnTheRootWithoutTasksDoesNothing) {
  auto form = Start();
  TTaskTree* tree = test::Part<TTaskTree>(*form);
  tree->setCurrentItem(tree->Root());
  test::Part<TMainActions>(*form)->NextTask->trigger();
  EXPECT_EQ(tree->currentItem(), tree->Root());
}

TEST_F(MainFormTest, PaneTogglesAreNotKeptOverARestart) {
  {
    auto form = Start();
    test::Part<TMainActions>(*form)->PreviewPane->trigger();
    test::Part<TMainActions>(*form)->GridPane->trigger();
    EXPECT_TRUE(test::Part<TPreviewPane>(*form)->isHidden());
    EXPECT_TRUE(test::Part<TPictureListView>(*form)->isHidden());
    EXPECT_FALSE(test::Part<TMainActions>(*form)->PreviewPane->isChecked());
    form->close();
  }
  auto form = Start();
  EXPECT_FALSE(test::Part<TPreviewPane>(*form)->isHidden());
  EXPECT_FALSE(test::Part<TPictureListView>(*form)->isHidden());
  EXPECT_TRUE(test::Part<TMainActions>(*form)->PreviewPane->isChecked());
  EXPECT_TRUE(test::Part<TMainActions>(*form)->GridPane->isChecked());
}

TEST_F(MainFormTest, BrowserPaneModesSwapTheTrees) {
  auto form = Start();
  EXPECT_FALSE(test::Part<TTaskTree>(*form)->isHidden());
  EXPECT_TRUE(test::Part<TFolderTree>(*form)->isHidden());
  test::Part<TMainActions>(*form)->BrowserPaneFolder->trigger();
  EXPECT_TRUE(test::Part<TTaskTree>(*form)->isHidden());
  EXPECT_FALSE(test::Part<TFolderTree>(*form)->isHidden());
  EXPECT_TRUE(test::Part<TMainActions>(*form)->BrowserPaneFolder->isChecked());
  EXPECT_FALSE(test::Part<TMainActions>(*form)->BrowserPaneTask->isChecked());
  test::Part<TMainActions>(*form)->BrowserPaneTask->trigger();
  EXPECT_FALSE(test::Part<TTaskTree>(*form)->isHidden());
  EXPECT_TRUE(test::Part<TFolderTree>(*form)->isHidden());
}

TEST_F(MainFormTest, ViewModeWithAnEmptyGridSaysSoOnce) {
  auto form = Start();
  test::Part<TMainActions>(*form)->ViewMode->trigger();
  EXPECT_EQ(prompts.Messages, std::vector<std::string>{"No picture is selected!"});
  // Enter or a double click in the grid opens as View Mode does.
  emit test::Part<TPictureGrid>(*form)->openRequested();
  EXPECT_EQ(prompts.Messages.size(), 2u);
}

TEST_F(MainFormTest, TheGalleryAndExportEntriesReachTheirCommands) {
  auto form = Start();
  const TMainActions& a = *test::Part<TMainActions>(*form);
  a.ExportLists->trigger();  // no rows: nothing written, nothing opened
  a.ExportCsv->trigger();
  a.CopyUrl->trigger();  // no row selected: the clipboard stays
  EXPECT_FALSE(std::filesystem::exists(dir / "exportlists.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / "exportlists.csv"));
  EXPECT_TRUE(shell.Clipboard.empty());
  a.CreateThumbnails->trigger();
  EXPECT_EQ(prompts.ErrorsWithYes,
            std::vector<std::string>{"The templet file is not exists, please re-install!"});
  EXPECT_TRUE(shell.Opened.empty());
}

TEST_F(MainFormTest, HelpOpensTheGuideOrSaysWhyItCannot) {
  auto form = Start();
  QAction* help = test::Part<TMainActions>(*form)->Help;
  help->trigger();
  EXPECT_EQ(prompts.Messages,
            std::vector<std::string>{"Can not find help file, please re-install Vexilo!"});
  EXPECT_TRUE(shell.Opened.empty());
  WriteFileBytes(dir / "help.html", "<html></html>");
  help->trigger();
  EXPECT_EQ(shell.Opened, std::vector<std::string>{(dir / "help.html").string()});
  EXPECT_EQ(prompts.Messages.size(), 1u);

  shell.OpenSucceeds = false;
  help->trigger();
  ASSERT_EQ(prompts.Messages.size(), 2u);
  EXPECT_EQ(prompts.Messages[1], kHelpNotOpenedText + (dir / "help.html").string());
}

TEST_F(MainFormTest, MenuEntriesOpenTheirDialogsModally) {
  auto form = Start();
  std::vector<QString> shown;
  auto closeNextDialog = [&shown] {
    QTimer::singleShot(0, [&shown] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      shown.push_back(dialog->windowTitle());
      qobject_cast<QDialog*>(dialog)->reject();
    });
  };
  closeNextDialog();
  test::Part<TMainActions>(*form)->About->trigger();
  closeNextDialog();
  test::Part<TMainActions>(*form)->DownloadSettings->trigger();
  closeNextDialog();
  test::Part<TMainActions>(*form)->AdvancedSettings->trigger();
  EXPECT_EQ(shown,
            (std::vector<QString>{"About Vexilo", "Download Settings", "Advanced Settings"}));
}

TEST_F(MainFormTest, TheAdvancedOptionsSetHowPicturesAreReadAtStartAndOnOk) {
  ScopedPictureReading restore({});
  store.Values = {{"ListModernPictures", "1"}, {"ExifOrientation", "0"}};
  auto form = Start();
  EXPECT_TRUE(CurrentPictureReading().ModernKinds);
  EXPECT_FALSE(CurrentPictureReading().ExifOrientation);

  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<TAdvancedSettingsForm*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    for (QCheckBox* box : dialog->OptionBoxes()) box->setChecked(!box->isChecked());
    dialog->OkButton()->click();
  });
  test::Part<TMainActions>(*form)->AdvancedSettings->trigger();
  EXPECT_FALSE(CurrentPictureReading().ModernKinds);
  EXPECT_TRUE(CurrentPictureReading().ExifOrientation);
  EXPECT_EQ(store.Values.at("ListModernPictures"), "0");
  form->close();
}

TEST_F(MainFormTest, TheBrowserKeepsItsCookiesInTheDataFolderOnlyWithTheSessionOption) {
  const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
  for (const char* option : {"1", "0"}) {
    store.Values = {{"BrowserSession", option}};
    auto form = Start();
    const QWebEngineProfile* profile = test::Part<QWebEngineView>(*form)->page()->profile();
    if (option == std::string("1")) {
      EXPECT_FALSE(profile->isOffTheRecord());
      EXPECT_EQ(profile->persistentCookiesPolicy(), QWebEngineProfile::ForcePersistentCookies);
      EXPECT_TRUE(profile->persistentStoragePath().startsWith(
          QString::fromStdString((dir / "data").string())))
          << profile->persistentStoragePath().toStdString();
    } else {
      EXPECT_EQ(profile, QWebEngineProfile::defaultProfile());
    }
    form->close();
  }
  if (dataHome.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", dataHome);
  }
}

TEST_F(MainFormTest, ShutDownSavesTheTaskListAndTheSettings) {
  WriteLines(dir / "GTask.lis", TaskLines({"a"}));
  auto form = Start();
  form->Run().Settings().ProxyServer = "proxy";
  form->Run().State().CrawlStarted();
  form->close();
  EXPECT_EQ(ReadLines(dir / "GTask.lis"), TaskLines({"a"}));
  EXPECT_EQ(store.Values.at("ProxyServer"), "proxy");
  EXPECT_EQ(store.Values.at("DownloadThread"), "3");
  EXPECT_TRUE(form->Run().State().CrawlIdle());
  EXPECT_TRUE(form->Run().State().StopRequested());
}

TEST_F(MainFormTest, AFailedStartIsReportedAndOverwritesNothing) {
  store.FailOpen = true;
  auto form = Start();
  ASSERT_EQ(prompts.Errors.size(), 1u);
  form->close();
  EXPECT_TRUE(store.Values.empty());

  WriteFileBytes(dir / "GTask.lis", "");
  std::filesystem::remove(dir / "GTask.lis");
  std::filesystem::create_directory(dir / "GTask.lis");
  store.FailOpen = false;
  auto second = Start();
  EXPECT_EQ(prompts.Errors.size(), 2u);
  second->close();
  EXPECT_TRUE(std::filesystem::is_directory(dir / "GTask.lis"));
  EXPECT_EQ(store.Values.at("DownloadThread"), "3") << "the settings loaded on their own";
}

TEST_F(MainFormTest, ABrokenTaskListLeavesTheSettingsLoadedAndSaved) {
  store.Values = {{"ProxyServer", "proxy.test"},
                  {"ProxyPort", "3128"},
                  {"AuthName", "me"},
                  {"AuthPass", "secret"}};
  ASSERT_EQ(::mkfifo((dir / "GTask.lis").c_str(), 0600), 0);
  auto form = Start();
  EXPECT_EQ(prompts.Errors.size(), 1u);
  EXPECT_EQ(form->Run().Settings().AuthPass, "secret");
  EXPECT_EQ(test::Part<TTaskTree>(*form)->topLevelItemCount(), 1)
      << "the root is there all the same";

  // "OK" in the download settings keeps what was stored.
  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text() == "OK") button->click();
    }
  });
  test::Part<TMainActions>(*form)->DownloadSettings->trigger();
  EXPECT_EQ(store.Values.at("ProxyServer"), "proxy.test");
  EXPECT_EQ(store.Values.at("AuthPass"), "secret");

  form->close();
  EXPECT_EQ(store.Values.at("ProxyPort"), "3128");
  EXPECT_EQ(store.Values.at("AuthName"), "me");
  struct stat st {};
  ASSERT_EQ(::lstat((dir / "GTask.lis").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the task list that failed to load is not saved over";
}

TEST_F(MainFormTest, StartUpRemovesWhatKilledSavesLeft) {
  WriteLines(dir / "GTask.lis", TaskLines({"a"}));
  std::filesystem::create_directories(dir / "task" / "a");
  WriteFileBytes(dir / ".GTask.lis.u8Fq2Z", "half");
  WriteFileBytes(dir / "task" / "a" / ".pictureurl.dat.u8Fq2Z", "half");
  WriteFileBytes(dir / "task" / "a" / "notes.txt", "the user's");
  auto form = Start();
  EXPECT_FALSE(std::filesystem::exists(dir / ".GTask.lis.u8Fq2Z"));
  EXPECT_FALSE(std::filesystem::exists(dir / "task" / "a" / ".pictureurl.dat.u8Fq2Z"));
  EXPECT_TRUE(std::filesystem::exists(dir / "task" / "a" / "notes.txt"));
  EXPECT_EQ(form->Run().TaskLines().TaskCount(), 1);
}

TEST_F(MainFormTest, TrayFallsBackToMinimisingAndRestoresOnDoubleClick) {
  auto form = Start();
  form->show();
  test::Part<TMainActions>(*form)->MinimizeToTray->trigger();
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    EXPECT_TRUE(form->isHidden());
    EXPECT_TRUE(test::Part<QSystemTrayIcon>(*form)->isVisible());
  } else {
    EXPECT_TRUE(form->isMinimized());
  }
  emit test::Part<QSystemTrayIcon>(*form)->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isMinimized());
  EXPECT_FALSE(test::Part<QSystemTrayIcon>(*form)->isVisible());
  EXPECT_EQ(test::Part<QSystemTrayIcon>(*form)->toolTip(), "Vexilo");

  // "Exit" from the tray closes a hidden window: shut-down still runs and ends the program.
  QSignalSpy done(form.get(), &TMainForm::shutDownDone);
  form->hide();
  test::Part<TMainActions>(*form)->TrayExit->trigger();
  EXPECT_EQ(done.count(), 1);
  EXPECT_EQ(store.Values.at("DownloadThread"), "3");
}

TEST_F(MainFormTest, SelectingATaskListsItsPictureRows) {
  WriteLines(dir / "GTask.lis", TaskLines({"a", "b"}));
  std::filesystem::create_directories(dir / "task" / "b");
  WriteLines(
      dir / "task" / "b" / "listview.dat",
      {"p1.jpg", "http://x/p1.jpg", "10", "20", "p2.gif", "http://x/p2.gif", "30", "40", "stray"});
  auto form = Start();
  TTaskTree* tree = test::Part<TTaskTree>(*form);
  tree->setCurrentItem(tree->TaskNode(1));
  EXPECT_EQ(form->Run().CurrentTask().Name, "b");
  TPictureListView* list = test::Part<TPictureListView>(*form);
  ASSERT_EQ(list->rowCount(), 2);
  EXPECT_EQ(list->item(1, 1)->text(), "http://x/p2.gif");
  EXPECT_EQ(list->item(1, 3)->text(), "40");
  EXPECT_EQ(form->Run().PictureRows().size(), 2u);

  tree->setCurrentItem(tree->TaskNode(0));
  EXPECT_EQ(list->rowCount(), 0);
  tree->setCurrentItem(tree->Root());
  EXPECT_EQ(form->Run().CurrentTask().Name, "a");
  EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(MainFormTest, PictureListHasItsColumns) {
  auto form = Start();
  TPictureListView* list = test::Part<TPictureListView>(*form);
  ASSERT_EQ(list->columnCount(), 5);
  const char* names[] = {"Name", "Link", "Width", "Height", "Status"};
  const int widths[] = {100, 290, 80, 80, 200};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(list->horizontalHeaderItem(c)->text(), names[c]);
    if (c < 4) {
      EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
  }
  EXPECT_TRUE(list->horizontalHeader()->stretchLastSection()) << "Status fills the width";
  EXPECT_EQ(test::Part<TPictureGrid>(*form)->iconSize(), QSize(80, 80));
  EXPECT_EQ(test::Part<TPictureGrid>(*form)->viewMode(), QListView::IconMode);
}

TEST_F(MainFormTest, GridCanMakeWayForTheBrowser) {
  auto form = Start();
  form->show();
  form->SetGridVisible(false);
  EXPECT_FALSE(test::Part<TPictureGrid>(*form)->isVisible());
  EXPECT_TRUE(test::Part<QWebEngineView>(*form)->isVisible());
  form->SetGridVisible(true);
  EXPECT_TRUE(test::Part<TPictureGrid>(*form)->isVisible());
}

}  // namespace
}  // namespace vexilo

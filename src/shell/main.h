#pragma once
// TMainForm: the main window, and the owner of everything that lives for the run: the task
// list, the current task record, the crawl state, the picture list rows, the run flags and
// the application settings. It builds the panes, menus, tool bar and status bar, wires the
// commands to them, and runs start-up and shut-down. Main thread only.

#include <filesystem>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QSystemTrayIcon>

#include "core/RunFlags.h"
#include "crawler/CrawlState.h"
#include "pictures/ImageFileList.h"
#include "shell/AppSettings.h"
#include "tasks/PictureEntry.h"
#include "tasks/TaskList.h"
#include "tasks/TaskRecord.h"

class QComboBox;
class QSplitter;
class QStackedWidget;
class QTreeWidgetItem;
class QWebEngineView;

namespace vexilo {

class DesktopShell;
class SettingsStore;
class TAboutForm;
class TFolderTree;
class TMainActions;
class TOptionForm;
class TPictureBrowser;
class TPictureGrid;
class TPictureListView;
class TPreviewPane;
class TStatusPanels;
class TTaskTree;
class UserPrompts;

// The outside services the main window works through; they must outlive it.
struct MainFormServices {
  SettingsStore& Settings;
  UserPrompts& Prompts;
  DesktopShell& Shell;
};

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  TMainForm(std::filesystem::path programFolder, MainFormServices services,
            QWidget* parent = nullptr);
  ~TMainForm() override;

  // The creation steps that touch files and settings: the "task" folder, GTask.lis and the
  // task tree, the settings. A failing step is reported and the later ones are skipped.
  void InitialiseRun();
  // The other windows, created once and hidden until their command shows them.
  void CreateOtherWindows();

  // Shut-down: saves the task list and the settings (each only when it was loaded, so a
  // failed start never overwrites them with nothing) and tells a running crawl to stop.
  void ShutDown();

  // The picture list pane and the grid area, for the crawl's hooks.
  void ShowPictureRows();
  void AddPictureRow(const PictureEntry& row);
  // Hides the grid so that the embedded browser beneath it shows (manual logon), or back.
  void SetGridShown(bool shown);

  // Browser pane modes, pane toggles and tray.
  void ShowTaskTree();
  void ShowFolderTree();
  void MinimizeToTray();
  void RestoreFromTray();

  void ViewMode();
  void ShowDownloadSettings();
  void ShowAbout();
  void ShowHelp();
  void ShowHomePage();

  // Runs on every change of the task tree's selection.
  void ListTaskPictures(QTreeWidgetItem* node);

  const std::filesystem::path& ProgramFolder() const { return mProgramFolder; }
  TaskList& Tasks() { return mTaskList; }
  TaskRecord& CurrentTask() { return mCurrentTask; }
  CrawlState& Crawl() { return mCrawlState; }
  std::vector<PictureEntry>& PictureRows() { return mPictureRows; }
  RunFlags& Flags() { return mRunFlags; }
  AppSettings& Settings() { return mSettings; }
  TImageFileList& Pictures() { return mPictures; }
  TPictureBrowser& Browser() { return *mBrowser; }

  TMainActions* Actions() const { return mActions; }
  QComboBox* AddressBox() const { return mAddressBox; }
  TTaskTree* TaskTree() const { return mTaskTree; }
  TFolderTree* FolderTree() const { return mFolderTree; }
  TPreviewPane* Preview() const { return mPreview; }
  TPictureGrid* Grid() const { return mGrid; }
  QWebEngineView* BrowserView() const { return mBrowserView; }
  TPictureListView* PictureList() const { return mPictureList; }
  TStatusPanels* Status() const { return mStatus.get(); }
  QSystemTrayIcon* Tray() const { return mTray; }
  TAboutForm* AboutForm() const { return mAboutForm; }
  TOptionForm* OptionForm() const { return mOptionForm; }

 signals:
  // Shut-down has run and the window is closing: the program ends.
  void shutDownDone();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildToolBars();
  QWidget* BuildPanes();
  void ConnectCommands();
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);

  std::filesystem::path mProgramFolder;
  MainFormServices mServices;

  TaskList mTaskList;
  TaskRecord mCurrentTask;
  CrawlState mCrawlState;
  std::vector<PictureEntry> mPictureRows;
  RunFlags mRunFlags;
  AppSettings mSettings;
  TImageFileList mPictures;
  bool mTaskListLoaded = false;
  bool mSettingsLoaded = false;
  bool mMaximizedBeforeTray = true;

  TMainActions* mActions;
  QComboBox* mAddressBox = nullptr;
  TTaskTree* mTaskTree = nullptr;
  TFolderTree* mFolderTree = nullptr;
  TPreviewPane* mPreview = nullptr;
  TPictureGrid* mGrid = nullptr;
  QWebEngineView* mBrowserView = nullptr;
  QStackedWidget* mGridArea = nullptr;
  TPictureListView* mPictureList = nullptr;
  std::unique_ptr<TStatusPanels> mStatus;
  std::unique_ptr<TPictureBrowser> mBrowser;
  QSystemTrayIcon* mTray = nullptr;
  TAboutForm* mAboutForm = nullptr;
  TOptionForm* mOptionForm = nullptr;
};

}  // namespace vexilo

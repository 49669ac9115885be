#pragma once
// TMainForm: the main window, and the owner of everything that lives for the run: the task
// list, the current task record, the crawl state, the picture list rows, the run flags and
// the application settings. It builds the panes, menus, tool bar and status bar, wires the
// commands to them, and runs start-up and shut-down. Main thread only.

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/RunFlags.h"
#include "crawler/CrawlHooks.h"
#include "crawler/CrawlState.h"
#include "pictures/ImageFileList.h"
#include "platform/QtDownloadTimer.h"
#include "platform/QtEventPump.h"
#include "platform/QtMainThread.h"
#include "shell/AppSettings.h"
#include "tasks/CommandSeams.h"
#include "tasks/PictureEntry.h"
#include "tasks/TaskList.h"
#include "tasks/TaskRecord.h"
#include "tasks/TaskStateFiles.h"

class QComboBox;
class QSplitter;
class QStackedWidget;
class QWebEngineView;

namespace vexilo {

class Crawler;
class DesktopShell;
class DownloadScheduler;
class WebEnginePageBrowser;
class SettingsStore;
class TAboutForm;
class TDeleteTaskForm;
class TTaskSettingForm;
class TTaskWizardForm;
class TFormView;
class TMainWindowViewerHost;
class TaskCommands;
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

// The main window is also what the task commands see as the picture view, the address box
// and the crawl runner, and what a crawl sees as its hooks.
class TMainForm : public QMainWindow,
                  public TaskPictureView,
                  public AddressBox,
                  public CrawlRunner,
                  public CrawlHooks {
  Q_OBJECT

 public:
  TMainForm(std::filesystem::path programFolder, MainFormServices services,
            QWidget* parent = nullptr);
  ~TMainForm() override;

  // The creation steps that touch files and settings: the "task" folder, GTask.lis and the
  // task tree, the settings. The task list and the settings are loaded each on its own; a
  // failure is reported, and what failed to load is never saved over.
  void InitialiseRun();
  // The other windows, created once and hidden until their command shows them, and the
  // task commands that use them.
  void CreateOtherWindows();

  // Shut-down: saves the task list and the settings (each only when it was loaded, so a
  // failed start never overwrites them with nothing), tells a running crawl to stop, and
  // aborts and joins the running downloads, so that none reports to a window that is gone.
  void ShutDown();

  // The picture list pane shows the picture list rows anew.
  void ShowPictureRows();

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

  // TaskPictureView: runs on every change of the task tree's selection.
  void ListTaskPictures(int node) override;
  void ClearPictures() override;
  // AddressBox
  std::string AddressText() const override;
  void SetAddressText(const std::string& text) override;
  // CrawlRunner: crawls the current task record; returns when the crawl has ended.
  void RunCrawl() override;
  // CrawlHooks
  void StartDownloads() override;
  void PictureListReset() override;
  void PictureRowAdded(const PictureEntry& row) override;
  void SetGridVisible(bool visible) override;

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
  QComboBox* AddressCombo() const { return mAddressBox; }
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
  TTaskWizardForm* WizardForm() const { return mWizardForm; }
  TTaskSettingForm* TaskSettingForm() const { return mTaskSettingForm; }
  TDeleteTaskForm* DeleteTaskForm() const { return mDeleteTaskForm; }
  TFormView* Viewer() const { return mViewer.get(); }
  DownloadScheduler& Scheduler() { return *mScheduler; }
  WebEnginePageBrowser& PageBrowser() { return *mPageBrowser; }

 signals:
  // Shut-down has run and the window is closing: the program ends.
  void shutDownDone();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildToolBars();
  QWidget* BuildPanes();
  void ConnectCommands();
  void WireTaskCommands();
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
  // The record the running crawl and its downloads use, copied from the current task record
  // when the crawl starts, so that selecting another task later cannot redirect them.
  TaskRecord mRunningTask;
  TaskStateFiles mStateFiles;
  QtMainThread mMainThread{this};
  // The grid's background for the thumbnails download workers make: read from the palette
  // on the main thread, never by a worker.
  std::atomic<std::uint32_t> mThumbnailFace{0};
  QtEventPump mEventPump;
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
  std::unique_ptr<TMainWindowViewerHost> mViewerHost;
  std::unique_ptr<TFormView> mViewer;
  QtDownloadTimer mDownloadTimer;
  // Declared after everything its workers report to, so it is destroyed (and joined) first.
  std::unique_ptr<DownloadScheduler> mScheduler;
  std::unique_ptr<WebEnginePageBrowser> mPageBrowser;
  std::unique_ptr<Crawler> mCrawler;
  std::unique_ptr<TaskCommands> mTaskCommands;
  QSystemTrayIcon* mTray = nullptr;
  TAboutForm* mAboutForm = nullptr;
  TOptionForm* mOptionForm = nullptr;
  TTaskWizardForm* mWizardForm = nullptr;
  TTaskSettingForm* mTaskSettingForm = nullptr;
  TDeleteTaskForm* mDeleteTaskForm = nullptr;
};

}  // namespace vexilo

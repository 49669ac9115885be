#pragma once
// TMainForm: the main window. It owns the run object (TRun), which holds everything that
// lives for the run, builds the panes, menus, tool bar and status bar, implements the view
// seams the run works through (address box, picture list, grid view) and maps the menu and
// tool bar entries to commands. Main thread only.

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

#include "core/AppFolders.h"
#include "platform/ProcessWallpaperSetter.h"
#include "platform/QtDownloadTimer.h"
#include "platform/QtEventPump.h"
#include "platform/QtMainThread.h"
#include "shell/RunWindow.h"
#include "tasks/CheckOutcome.h"
#include "tasks/CommandSeams.h"

class QComboBox;
class QStackedWidget;
class QWebEngineView;

namespace vexilo {

class DesktopShell;
class SettingsStore;
class TAboutForm;
class TDeleteTaskForm;
class TFormView;
class TMainWindowViewerHost;
class TFolderTree;
class TMainActions;
class TOptionForm;
class TAdvancedSettingsForm;
class TPictureBrowser;
class TPictureGrid;
class TPictureListView;
class TPreviewPane;
class TRun;
class TStatusPanels;
class TTaskSettingForm;
class TTaskTree;
class TTaskWizardForm;
class UserPrompts;
class WebEnginePageBrowser;
class WebEngineSession;

// Help > Help: the user guide, opened in the user's browser.
inline constexpr const char* kHelpFile = "help.html";
inline constexpr const char* kMissingHelpText = "Can not find help file, please re-install Vexilo!";
// Followed by the guide's path, so that the user can open it by hand.
inline constexpr const char* kHelpNotOpenedText =
    "No program to show the help file was found. The help file is ";

// The outside services the main window works through; they must outlive it.
struct MainFormServices {
  SettingsStore& Settings;
  UserPrompts& Prompts;
  DesktopShell& Shell;
};

class TMainForm : public QMainWindow, public AddressBox, public RunWindow {
  Q_OBJECT

 public:
  TMainForm(AppFolders folders, MainFormServices services, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Start-up's steps that touch files and settings (TRun::Start), with the browser blank.
  void InitialiseRun();
  // The other windows, created once and hidden until their command shows them, and the
  // task commands that use them.
  void CreateOtherWindows();
  // Shut-down (TRun::ShutDown) and the tray icon gone.
  void ShutDown();
  // The checks for new pictures on the tasks' schedules: soon after start-up (those missed
  // while Vexilo was closed), then every minute, one at a time, never inside a modal window.
  void StartCheckSchedule();

  // The run the window shows.
  TRun& Run() { return *mRun; }

  // AddressBox
  std::string AddressText() const override;
  void SetAddressText(const std::string& text) override;
  // RunWindow
  void ShowPictureRows(const std::vector<PictureEntry>& rows) override;
  void AddPictureRow(const PictureEntry& row) override;
  void SetPictureRowStatus(int row, const std::string& status) override;
  std::string PictureRowStatus(int row) const override;
  void SetPictureRowLink(int row, const std::string& link) override;
  void SetGridVisible(bool visible) override;

 signals:
  // Shut-down has run and the window is closing: the program ends.
  void shutDownDone();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildPanes();
  void ConnectCommands();
  void WireTaskCommands();
  void ShowBrowserPane(bool tasks);
  void MinimizeToTray();
  // With the window in the tray, the end of a check that brought or failed something.
  void TellCheckOutcome(const CheckOutcome& outcome);
  void RestoreFromTray();
  void ShowAbout();
  void ShowHelp();
  // View > Sort By: the checks show the order in effect; a choice puts the checked one in.
  void ShowGridOrder();
  void ApplyGridOrder();
  // The grid's selected pictures sorted out (Delete, M, C, F2 and their entries).
  void TrashSelected();
  void MoveSelected(bool second, bool copy);
  void RenameSelected();
  // After pictures left the grid: the one now at row selected (the last when row is past it).
  void SelectAfterRemoval(int row);

  AppFolders mFolders;
  MainFormServices mServices;
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
  QSystemTrayIcon* mTray = nullptr;
  TAboutForm* mAboutForm = nullptr;
  TOptionForm* mOptionForm = nullptr;
  TAdvancedSettingsForm* mAdvancedForm = nullptr;
  TTaskWizardForm* mWizardForm = nullptr;
  TTaskSettingForm* mTaskSettingForm = nullptr;
  TDeleteTaskForm* mDeleteTaskForm = nullptr;

  QTimer mCheckTimer;
  QtMainThread mMainThread{this};
  QtEventPump mEventPump;
  QtDownloadTimer mDownloadTimer;
  std::unique_ptr<TStatusPanels> mStatus;
  std::unique_ptr<TPictureBrowser> mPictureView;
  std::unique_ptr<TMainWindowViewerHost> mViewerHost;
  ProcessWallpaperSetter mWallpaperSetter;
  std::unique_ptr<TFormView> mViewer;
  std::unique_ptr<WebEnginePageBrowser> mPageBrowser;
  std::unique_ptr<WebEngineSession> mSession;  // on the page's profile, a child of the window
  // Declared after everything it works through, so it is destroyed (and its downloads
  // joined) first.
  std::unique_ptr<TRun> mRun;
};

}  // namespace vexilo

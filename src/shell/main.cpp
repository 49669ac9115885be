#include "shell/main.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <exception>
#include <optional>
#include <utility>

#include "core/DesktopShell.h"
#include "core/SettingsStore.h"
#include "core/UserPrompts.h"
#include "crawler/Crawler.h"
#include "downloader/DownloadScheduler.h"
#include "pictures/PictureBrowser.h"
#include "pictures/PictureGrid.h"
#include "pictures/PictureListView.h"
#include "pictures/PreviewPane.h"
#include "pictures/ThumbnailMaker.h"
#include "platform/WebEnginePageBrowser.h"
#include "shell/AboutUnit.h"
#include "shell/AppIcon.h"
#include "shell/DownloadSettings.h"
#include "shell/FolderTree.h"
#include "shell/MainActions.h"
#include "shell/OptionUnit.h"
#include "shell/ProductInfo.h"
#include "shell/StatusPanels.h"
#include "shell/TaskTree.h"
#include "tasks/DeleteTaskUnit.h"
#include "tasks/StartUnit.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskSettingUnit.h"
#include "viewer/MainWindowViewerHost.h"
#include "viewer/UnitFormView.h"
#include "viewer/ViewerOpening.h"

namespace vexilo {
namespace {

constexpr int kDesignWidth = 792;
constexpr int kDesignHeight = 532;
constexpr int kLeftColumnWidth = 226;
constexpr int kPreviewHeight = 210;
constexpr int kPictureListHeight = 130;
constexpr int kSplitterWidth = 3;
constexpr int kAddressBoxWidth = 370;

const char* const kSampleAddresses[] = {
    "https://www.example.com/",
    "https://commons.wikimedia.org/wiki/Category:Flags",
    "file:///usr/share/pixmaps/",
};

QWidget* Gap(int width) {
  auto* gap = new QWidget;
  gap->setFixedWidth(width);
  return gap;
}

QSplitter* Splitter(Qt::Orientation orientation, QWidget* first, QWidget* second) {
  auto* splitter = new QSplitter(orientation);
  splitter->setHandleWidth(kSplitterWidth);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(first);
  splitter->addWidget(second);
  return splitter;
}

}  // namespace

TMainForm::TMainForm(std::filesystem::path programFolder, MainFormServices services,
                     QWidget* parent)
    : QMainWindow(parent),
      mProgramFolder(std::move(programFolder)),
      mServices(services),
      mTaskList(mProgramFolder),
      mStateFiles(mProgramFolder),
      mActions(new TMainActions(this)),
      mDownloadTimer([this] { mScheduler->Tick(); }) {
  setWindowTitle("Vexilo");
  setWindowIcon(AppIcon());
  setMinimumSize(450, 325);
  resize(kDesignWidth, kDesignHeight);

  BuildToolBars();
  setCentralWidget(BuildPanes());
  statusBar()->setSizeGripEnabled(true);
  mStatus = std::make_unique<TStatusPanels>(statusBar(), kDesignWidth);
  mBrowser = std::make_unique<TPictureBrowser>(*this, *mGrid, *mPreview, *mStatus->Progress(),
                                               *mStatus, mPictures);
  mThumbnailFace.store(mBrowser->ButtonFace());
  mScheduler = std::make_unique<DownloadScheduler>(
      mCrawlState, mRunFlags, mSettings, mRunningTask, mStateFiles, mServices.Prompts, *mStatus,
      mMainThread, mDownloadTimer,
      PictureHooks{[this](const std::string& savedPath) -> std::optional<Bitmap24> {
                     ThumbnailResult made = MakeThumbnailResult(savedPath, mThumbnailFace.load());
                     if (!made.Ok()) return std::nullopt;
                     return std::move(made.Thumbnail);
                   },
                   [this](const std::string& savedPath, const Bitmap24& thumbnail) {
                     mBrowser->AppendPicture(savedPath, thumbnail);
                     if (mViewer) mViewer->PicturesAppended();
                   }});
  mCrawler =
      std::make_unique<Crawler>(mProgramFolder, mRunningTask, mCrawlState, mPictureRows, mRunFlags,
                                *mPageBrowser, mEventPump, mServices.Prompts, *mStatus, *this);

  mTray = new QSystemTrayIcon(AppIcon(), this);
  mTray->setToolTip("Vexilo");
  mTray->setContextMenu(mActions->TrayPopup);

  ConnectCommands();
}

// The view goes before the page it shows, which the page browser owns.
TMainForm::~TMainForm() {
  delete mBrowserView;
  mBrowserView = nullptr;
}

void TMainForm::BuildToolBars() {
  auto* menuBar = addToolBar("Menu");
  menuBar->setObjectName("menuToolBar");
  menuBar->setMovable(false);
  menuBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (QMenu* menu : {mActions->FileMenu, mActions->TaskMenu, mActions->ViewMenu,
                      mActions->ThumbnailsMenu, mActions->HelpMenu}) {
    auto* button = new QToolButton;
    button->setText(menu->title());
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setAutoRaise(true);
    button->setStyleSheet("QToolButton::menu-indicator { image: none; width: 0px; }");
    menuBar->addWidget(button);
  }
  addToolBarBreak();

  auto* commandBar = addToolBar("Commands");
  commandBar->setObjectName("commandToolBar");
  commandBar->setMovable(false);
  commandBar->setIconSize(QSize(32, 32));
  commandBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  commandBar->addAction(mActions->PreviousTask);
  commandBar->addAction(mActions->NextTask);
  commandBar->addAction(mActions->NewTask);
  commandBar->addAction(mActions->StopTask);
  commandBar->addAction(mActions->ViewMode);
  commandBar->addWidget(Gap(12));

  mAddressBox = new QComboBox;
  mAddressBox->setEditable(true);
  mAddressBox->setFixedWidth(kAddressBoxWidth);
  mAddressBox->setInsertPolicy(QComboBox::InsertAtTop);
  for (const char* address : kSampleAddresses) mAddressBox->addItem(address);
  mAddressBox->setCurrentIndex(0);
  mAddressBox->completer()->setCompletionMode(QCompleter::PopupCompletion);
  auto* addressHolder = new QWidget;
  auto* addressLayout = new QVBoxLayout(addressHolder);
  addressLayout->setContentsMargins(0, 9, 0, 9);
  addressLayout->addWidget(mAddressBox, 0, Qt::AlignVCenter);
  commandBar->addWidget(addressHolder);

  commandBar->addWidget(Gap(8));
  commandBar->addAction(mActions->QuickStart);
}

QWidget* TMainForm::BuildPanes() {
  mTaskTree = new TTaskTree;
  mFolderTree = new TFolderTree;
  mFolderTree->hide();
  auto* browserPane = new QWidget;
  auto* browserLayout = new QVBoxLayout(browserPane);
  browserLayout->setContentsMargins(0, 0, 0, 0);
  browserLayout->addWidget(mTaskTree);
  browserLayout->addWidget(mFolderTree);

  mPreview = new TPreviewPane;
  QSplitter* left = Splitter(Qt::Vertical, browserPane, mPreview);
  left->setStretchFactor(0, 1);
  left->setStretchFactor(1, 0);
  left->setSizes({kDesignHeight - kPreviewHeight, kPreviewHeight});

  mGrid = new TPictureGrid;
  mPageBrowser = std::make_unique<WebEnginePageBrowser>();
  mBrowserView = new QWebEngineView;
  mBrowserView->setPage(mPageBrowser->Page());
  mGridArea = new QStackedWidget;
  mGridArea->addWidget(mGrid);
  mGridArea->addWidget(mBrowserView);
  mPictureList = new TPictureListView;
  QSplitter* right = Splitter(Qt::Vertical, mGridArea, mPictureList);
  right->setStretchFactor(0, 1);
  right->setStretchFactor(1, 0);
  right->setSizes({kDesignHeight - kPictureListHeight, kPictureListHeight});

  QSplitter* columns = Splitter(Qt::Horizontal, left, right);
  columns->setStretchFactor(0, 0);
  columns->setStretchFactor(1, 1);
  columns->setSizes({kLeftColumnWidth, kDesignWidth - kLeftColumnWidth});
  return columns;
}

void TMainForm::ConnectCommands() {
  TMainActions& a = *mActions;
  connect(a.ViewMode, &QAction::triggered, this, &TMainForm::ViewMode);
  connect(a.DownloadSettings, &QAction::triggered, this, &TMainForm::ShowDownloadSettings);
  connect(a.MinimizeToTray, &QAction::triggered, this, &TMainForm::MinimizeToTray);
  connect(a.Exit, &QAction::triggered, this, &QWidget::close);
  connect(a.BrowserPaneTask, &QAction::triggered, this, &TMainForm::ShowTaskTree);
  connect(a.BrowserPaneFolder, &QAction::triggered, this, &TMainForm::ShowFolderTree);
  connect(a.PreviewPane, &QAction::toggled, mPreview, &QWidget::setVisible);
  connect(a.GridPane, &QAction::toggled, mPictureList, &QWidget::setVisible);
  connect(a.Help, &QAction::triggered, this, &TMainForm::ShowHelp);
  connect(a.HomePage, &QAction::triggered, this, &TMainForm::ShowHomePage);
  connect(a.About, &QAction::triggered, this, &TMainForm::ShowAbout);
  connect(a.TrayRestore, &QAction::triggered, this, &TMainForm::RestoreFromTray);
  connect(a.TrayExit, &QAction::triggered, this, &QWidget::close);
  connect(mTray, &QSystemTrayIcon::activated, this, &TMainForm::OnTrayActivated);

  connect(mTaskTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    mActions->TaskTreePopup->popup(mTaskTree->viewport()->mapToGlobal(at));
  });
  connect(mPictureList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    mActions->PictureListPopup->popup(mPictureList->viewport()->mapToGlobal(at));
  });
  connect(mFolderTree, &TFolderTree::folderSelected, this,
          [this](const QString& folder) { mBrowser->ListFolderPictures(folder.toStdString()); });
  mFolderTree->SetKeysAllowed([this] { return mBrowser->LoadingIdle(); });
}

void TMainForm::InitialiseRun() {
  mBrowserView->setUrl(QUrl("about:blank"));
  mPictures.Clear();
  mRunFlags.CrawlIdle = true;
  // Each is loaded on its own: a broken task list must not leave the settings unloaded, or
  // the next save would blank the stored proxy and password. Only what loaded is saved.
  try {
    std::filesystem::create_directories(mProgramFolder / TaskStateFiles::kStateFolder);
    mStateFiles.RemoveStaleTemporaries();
    mTaskList.LoadTaskList();
  } catch (const std::exception& error) {
    mServices.Prompts.ShowError(error.what());
  }
  mTaskTree->Fill(mTaskList);
  try {
    LoadSettings(mServices.Settings, mProgramFolder, mSettings);
    mSettingsLoaded = true;
  } catch (const std::exception& error) {
    mServices.Prompts.ShowError(error.what());
  }
}

void TMainForm::CreateOtherWindows() {
  mWizardForm = new TTaskWizardForm(mSettings, mProgramFolder, mServices.Prompts, this);
  mAboutForm = new TAboutForm(mServices.Shell, this);
  mViewerHost = std::make_unique<TMainWindowViewerHost>(*this, *mGrid);
  mViewer = std::make_unique<TFormView>(mPictures, *mViewerHost, mServices.Prompts);
  connect(mGrid, &TPictureGrid::openRequested, mViewer.get(), &TFormView::OpenViewer);
  mOptionForm = new TOptionForm(mSettings, mServices.Settings, mProgramFolder, mServices.Shell,
                                mServices.Prompts, this);
  mTaskSettingForm = new TTaskSettingForm(mSettings, mProgramFolder, mServices.Prompts, this);
  mDeleteTaskForm = new TDeleteTaskForm(this);
  WireTaskCommands();
}

void TMainForm::WireTaskCommands() {
  mTaskCommands = std::make_unique<TaskCommands>(
      TaskCommandParts{mProgramFolder, mTaskList, mCurrentTask, mRunFlags, mSettings, *mTaskTree,
                       *this, *this, *this, *mWizardForm, *mTaskSettingForm, *mDeleteTaskForm,
                       mServices.Prompts, mServices.Shell});
  TaskCommands& commands = *mTaskCommands;
  const std::pair<QAction*, void (TaskCommands::*)()> entries[] = {
      {mActions->NewTask, &TaskCommands::New},
      {mActions->QuickStart, &TaskCommands::QuickStart},
      {mActions->StopTask, &TaskCommands::Stop},
      {mActions->DeleteTask, &TaskCommands::Delete},
      {mActions->ResumeTask, &TaskCommands::Resume},
      {mActions->RestartTask, &TaskCommands::Restart},
      {mActions->TaskSettings, &TaskCommands::Settings},
      {mActions->OpenDestinationFolder, &TaskCommands::OpenDestinationFolder},
      {mActions->PreviousTask, &TaskCommands::PreviousTask},
      {mActions->NextTask, &TaskCommands::NextTask},
  };
  for (const auto& [action, command] : entries) {
    connect(action, &QAction::triggered, this, [&commands, command] { (commands.*command)(); });
  }
  mTaskTree->SetSelectionHandlers([&commands] { return commands.SelectionChangeAllowed(); },
                                  [&commands](int node) { commands.NodeSelected(node); });
}

void TMainForm::ShutDown() {
  // Each save is tried on its own: a task list that cannot be written must not keep the
  // crawl running or the settings unsaved.
  try {
    if (mTaskList.Loaded()) mTaskList.SaveTaskList();
  } catch (const std::exception&) {
  }
  try {
    if (mSettingsLoaded) SaveSettings(mServices.Settings, mSettings);
  } catch (const std::exception&) {
  }
  mRunFlags.CrawlIdle = true;
  mRunFlags.StopRequested = true;
  mScheduler->Shutdown();
  mTray->hide();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  ShutDown();
  event->accept();
  emit shutDownDone();
}

void TMainForm::ShowPictureRows() { mPictureList->ShowRows(mPictureRows); }

void TMainForm::StartDownloads() {
  mThumbnailFace.store(mBrowser->ButtonFace());
  mScheduler->StartCrawl();
}

void TMainForm::PictureListReset() { ShowPictureRows(); }

void TMainForm::PictureRowAdded(const PictureEntry& row) { mPictureList->AddRow(row); }

void TMainForm::SetGridVisible(bool visible) {
  mGridArea->setCurrentWidget(visible ? static_cast<QWidget*>(mGrid) : mBrowserView);
}

void TMainForm::ShowTaskTree() {
  mFolderTree->hide();
  mTaskTree->show();
  mActions->BrowserPaneTask->setChecked(true);
}

void TMainForm::ShowFolderTree() {
  mTaskTree->hide();
  mFolderTree->show();
  mActions->BrowserPaneFolder->setChecked(true);
}

void TMainForm::MinimizeToTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    showMinimized();
    return;
  }
  mMaximizedBeforeTray = isMaximized();
  mTray->show();
  hide();
}

void TMainForm::RestoreFromTray() {
  if (mMaximizedBeforeTray) {
    showMaximized();
  } else {
    showNormal();
  }
  raise();
  activateWindow();
  mTray->hide();
}

void TMainForm::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::DoubleClick) RestoreFromTray();
}

void TMainForm::ViewMode() {
  if (mViewer) ViewModeCommand(*mViewerHost, mServices.Prompts, [this] { mViewer->OpenViewer(); });
}

void TMainForm::ShowDownloadSettings() {
  if (mOptionForm != nullptr) mOptionForm->ShowModal();
}

void TMainForm::ShowAbout() {
  if (mAboutForm == nullptr) return;
  if (const QScreen* desktop = screen()) {
    mAboutForm->move(desktop->availableGeometry().center() - mAboutForm->rect().center());
  }
  mAboutForm->exec();
}

void TMainForm::ShowHelp() {
  std::filesystem::path help = mProgramFolder / "help.html";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(help, ec)) {
    mServices.Prompts.ShowMessage("Can not find help file, please re-install Vexilo!");
    return;
  }
  mServices.Shell.Open(help.string());
}

void TMainForm::ShowHomePage() { mServices.Shell.Open(kHomePage); }

void TMainForm::ListTaskPictures(int node) {
  if (node < 0 || node >= mTaskList.TaskCount()) return;
  try {
    mBrowser->ListTaskFolder(mTaskList.TaskLine(node, TaskRecord::kTaskFolderLine));
  } catch (const std::exception& error) {
    mServices.Prompts.ShowError(error.what());
  }
  try {
    mCurrentTask = mTaskList.ReadTaskRecord(node);
    mPictureRows = mStateFiles.ReadPictureRows(mCurrentTask.FolderName);
  } catch (const std::exception& error) {
    mPictureRows.clear();
    mServices.Prompts.ShowError(error.what());
  }
  ShowPictureRows();
}

void TMainForm::ClearPictures() { mBrowser->ClearGrid(); }

std::string TMainForm::AddressText() const { return mAddressBox->currentText().toStdString(); }

void TMainForm::SetAddressText(const std::string& text) {
  mAddressBox->setCurrentText(QString::fromStdString(text));
}

void TMainForm::RunCrawl() {
  mRunningTask = mCurrentTask;
  mCrawler->RunCrawl();
}

}  // namespace vexilo

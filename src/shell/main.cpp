#include "shell/main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QInputDialog>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <utility>

#include "core/DesktopShell.h"
#include "core/UserPrompts.h"
#include "pictures/PictureBrowser.h"
#include "pictures/PictureGrid.h"
#include "pictures/PictureListView.h"
#include "pictures/PreviewPane.h"
#include "platform/WebEnginePageBrowser.h"
#include "platform/WebEngineSession.h"
#include "shell/AboutUnit.h"
#include "shell/AdvancedOptions.h"
#include "shell/AdvancedSettingsUnit.h"
#include "shell/AppIcon.h"
#include "shell/FolderTree.h"
#include "shell/MainActions.h"
#include "shell/MainToolBars.h"
#include "shell/OptionUnit.h"
#include "shell/Run.h"
#include "shell/StatusPanels.h"
#include "shell/TaskTree.h"
#include "tasks/DeleteTaskUnit.h"
#include "tasks/StartUnit.h"
#include "tasks/TaskCommands.h"
#include "tasks/TaskSettingUnit.h"
#include "viewer/MainWindowViewerHost.h"
#include "viewer/UnitFormView.h"
#include "viewer/ViewerOpening.h"
#include "viewer/Wallpaper.h"

namespace vexilo {
namespace {

constexpr int kMainDesignWidth = 792;
constexpr int kMainDesignHeight = 532;
constexpr int kLeftColumnWidth = 226;
constexpr int kPreviewHeight = 210;
constexpr int kPictureListHeight = 130;
constexpr int kSplitterWidth = 3;
QSplitter* Splitter(Qt::Orientation orientation, QWidget* first, QWidget* second) {
  auto* splitter = new QSplitter(orientation);
  splitter->setHandleWidth(kSplitterWidth);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(first);
  splitter->addWidget(second);
  return splitter;
}

}  // namespace

TMainForm::TMainForm(AppFolders folders, MainFormServices services, QWidget* parent)
    : QMainWindow(parent),
      mFolders(std::move(folders)),
      mServices(services),
      mActions(new TMainActions(this)),
      mDownloadTimer([this] { mRun->DownloadTick(); }) {
  setWindowTitle("Vexilo");
  setWindowIcon(AppIcon());
  setMinimumSize(450, 325);
  resize(kMainDesignWidth, kMainDesignHeight);

  mAddressBox = BuildMainToolBars(*this, *mActions);
  setCentralWidget(BuildPanes());
  statusBar()->setSizeGripEnabled(true);
  mStatus = std::make_unique<TStatusPanels>(statusBar(), kMainDesignWidth);
  mPictureView = std::make_unique<TPictureBrowser>(*this, *mGrid, *mPreview, *mStatus->Progress());
  RunParts parts{
      mFolders,    mServices.Settings, mServices.Prompts, mServices.Shell, *mStatus, mEventPump,
      mMainThread, mDownloadTimer,     *mPageBrowser,     *mTaskTree,      *this,    *mPictureView,
      *this};
  parts.Session = mSession.get();
  mRun = std::make_unique<TRun>(std::move(parts));
  mGrid->SetThumbnailSource([this](int item) {
    return mRun->PictureSet().Items().at(static_cast<size_t>(item)).Thumbnail.Unpack();
  });
  mGrid->SetPathSource(
      [this](int item) { return mRun->PictureSet().Items().at(static_cast<size_t>(item)).Path; });

  mTray = new QSystemTrayIcon(AppIcon(), this);
  mTray->setToolTip("Vexilo");
  mTray->setContextMenu(mActions->TrayPopup);
  mRun->CheckEnded = [this](const CheckOutcome& outcome) { TellCheckOutcome(outcome); };

  ConnectCommands();
}

// The run goes first (its downloads joined), then the view before the page it shows, which
// the page browser owns.
TMainForm::~TMainForm() {
  // The viewer reads the run's picture list: it goes first, told of no more downloads.
  if (mRun) mRun->Pictures().AttachViewer({});
  mViewer.reset();
  mViewerHost.reset();
  mRun.reset();
  delete mBrowserView;
  mBrowserView = nullptr;
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
  left->setSizes({kMainDesignHeight - kPreviewHeight, kPreviewHeight});

  mGrid = new TPictureGrid;
  // The profile is chosen once, before the settings are loaded, so a change of the option
  // takes effect at the next start.
  QWebEngineProfile* profile = MakeBrowserProfile(
      StoredAdvancedSettings(mServices.Settings).BrowserSession, BrowserProfileFolder(), this);
  mPageBrowser = std::make_unique<WebEnginePageBrowser>(profile);
  mSession = std::make_unique<WebEngineSession>(profile);
  mBrowserView = new QWebEngineView;
  mBrowserView->setPage(mPageBrowser->Page());
  mGridArea = new QStackedWidget;
  mGridArea->addWidget(mGrid);
  mGridArea->addWidget(mBrowserView);
  mPictureList = new TPictureListView;
  QSplitter* right = Splitter(Qt::Vertical, mGridArea, mPictureList);
  right->setStretchFactor(0, 1);
  right->setStretchFactor(1, 0);
  right->setSizes({kMainDesignHeight - kPictureListHeight, kPictureListHeight});

  QSplitter* columns = Splitter(Qt::Horizontal, left, right);
  columns->setStretchFactor(0, 0);
  columns->setStretchFactor(1, 1);
  columns->setSizes({kLeftColumnWidth, kMainDesignWidth - kLeftColumnWidth});
  return columns;
}

void TMainForm::ConnectCommands() {
  TMainActions& a = *mActions;
  PictureCommands& pictures = mRun->Pictures();
  connect(a.ViewMode, &QAction::triggered, this, [&pictures] { pictures.ViewMode(); });
  connect(mGrid, &TPictureGrid::openRequested, this, [&pictures] { pictures.ViewMode(); });
  connect(mGrid, &TPictureGrid::selectedRowChanged, this,
          [&pictures](int row) { pictures.SelectPicture(row); });
  connect(mFolderTree, &TFolderTree::folderSelected, this, [&pictures](const QString& folder) {
    pictures.ListFolderPictures(folder.toStdString());
  });
  mFolderTree->SetKeysAllowed([&pictures] { return pictures.LoadingIdle(); });

  for (QAction* order : {a.SortByName, a.SortByModified, a.SortBySize, a.SortByDimensions,
                         a.SortByKind, a.SortReversed}) {
    connect(order, &QAction::triggered, this, &TMainForm::ApplyGridOrder);
  }
  connect(a.MoveToTrash, &QAction::triggered, this, &TMainForm::TrashSelected);
  connect(a.MoveToFolder, &QAction::triggered, this, [this] { MoveSelected(false, false); });
  connect(a.CopyToFolder, &QAction::triggered, this, [this] { MoveSelected(false, true); });
  connect(a.RenamePicture, &QAction::triggered, this, &TMainForm::RenameSelected);
  connect(a.ChooseSortingFolders, &QAction::triggered, this,
          [this] { mRun->Sorting().ChooseFolders(); });
  connect(mGrid, &TPictureGrid::deleteRequested, this, &TMainForm::TrashSelected);
  connect(mGrid, &TPictureGrid::moveRequested, this,
          [this](bool second) { MoveSelected(second, false); });
  connect(mGrid, &TPictureGrid::copyRequested, this,
          [this](bool second) { MoveSelected(second, true); });
  connect(mGrid, &TPictureGrid::renameRequested, this, &TMainForm::RenameSelected);
  mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(mGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    mActions->GridPopup->popup(mGrid->viewport()->mapToGlobal(at));
  });

  connect(a.CreateThumbnails, &QAction::triggered, this, [this] { mRun->CreateGallery(); });
  connect(a.FindCopies, &QAction::triggered, this, [this] { mRun->FindCopies(); });
  connect(a.CopyUrl, &QAction::triggered, this, [this] {
    const QList<QTableWidgetItem*> selected = mPictureList->selectedItems();
    mRun->CopyLinkToClipboard(selected.isEmpty() ? -1 : selected.front()->row());
  });
  connect(a.ExportLists, &QAction::triggered, this, [this] { mRun->ExportLinks(); });
  connect(a.ExportCsv, &QAction::triggered, this, [this] { mRun->ExportCsv(); });
  connect(a.DownloadSettings, &QAction::triggered, this, [this] {
    if (mOptionForm != nullptr) mOptionForm->ShowModal();
  });
  connect(a.AdvancedSettings, &QAction::triggered, this, [this] {
    if (mAdvancedForm != nullptr) mAdvancedForm->ShowModal();
  });
  connect(a.MinimizeToTray, &QAction::triggered, this, &TMainForm::MinimizeToTray);
  connect(a.Exit, &QAction::triggered, this, &QWidget::close);
  connect(a.BrowserPaneTask, &QAction::triggered, this, [this] { ShowBrowserPane(true); });
  connect(a.BrowserPaneFolder, &QAction::triggered, this, [this] { ShowBrowserPane(false); });
  connect(a.PreviewPane, &QAction::toggled, mPreview, &QWidget::setVisible);
  connect(a.GridPane, &QAction::toggled, mPictureList, &QWidget::setVisible);
  connect(a.Help, &QAction::triggered, this, &TMainForm::ShowHelp);
  connect(a.About, &QAction::triggered, this, &TMainForm::ShowAbout);
  connect(a.TrayRestore, &QAction::triggered, this, &TMainForm::RestoreFromTray);
  connect(a.TrayExit, &QAction::triggered, this, &QWidget::close);
  connect(mTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    // Several desktops' trays send only the click.
    if (why == QSystemTrayIcon::DoubleClick || why == QSystemTrayIcon::Trigger) RestoreFromTray();
  });
  connect(mTaskTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    mActions->TaskTreePopup->popup(mTaskTree->viewport()->mapToGlobal(at));
  });
  connect(mPictureList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    mActions->PictureListPopup->popup(mPictureList->viewport()->mapToGlobal(at));
  });
}

void TMainForm::InitialiseRun() {
  mBrowserView->setUrl(QUrl("about:blank"));
  mRun->Start();
}

void TMainForm::CreateOtherWindows() {
  AppSettings& settings = mRun->Settings();
  mWizardForm = new TTaskWizardForm(settings, mFolders.ProgramFolder, mServices.Prompts, this);
  mAboutForm = new TAboutForm(this);
  mViewerHost = std::make_unique<TMainWindowViewerHost>(*this, *mGrid);
  mViewer =
      std::make_unique<TFormView>(mRun->PictureSet(), *mViewerHost, mServices.Prompts,
                                  mWallpaperSetter, mFolders.ShippedFile(kBlankWallpaperFile));
  mViewer->UseSettings(settings.Advanced);
  mViewer->UseSortingOut(mRun->Sorting());
  ShowGridOrder();
  mRun->Pictures().AttachViewer(
      {[this] { mViewer->OpenViewer(); }, [this] { mViewer->PicturesAppended(); }});
  mOptionForm = new TOptionForm(settings, mServices.Settings, mFolders.DefaultDownFolder,
                                mServices.Shell, mServices.Prompts, this);
  mAdvancedForm = new TAdvancedSettingsForm(
      settings, mServices.Settings, mServices.Prompts, [this] { mRun->ApplyAdvancedSettings(); },
      this);
  mTaskSettingForm =
      new TTaskSettingForm(settings, mFolders.ProgramFolder, mServices.Prompts, this);
  mDeleteTaskForm = new TDeleteTaskForm(this);
  WireTaskCommands();
}

void TMainForm::WireTaskCommands() {
  mRun->AttachDialogs({*mWizardForm, *mTaskSettingForm, *mDeleteTaskForm});
  TaskCommands& commands = mRun->Tasks();
  const std::pair<QAction*, void (TaskCommands::*)()> entries[] = {
      {mActions->NewTask, &TaskCommands::New},
      {mActions->QuickStart, &TaskCommands::QuickStart},
      {mActions->StopTask, &TaskCommands::Stop},
      {mActions->DeleteTask, &TaskCommands::Delete},
      {mActions->ResumeTask, &TaskCommands::Resume},
      {mActions->RestartTask, &TaskCommands::Restart},
      {mActions->CheckForNewPictures, &TaskCommands::CheckForNewPictures},
      {mActions->TaskSettings, &TaskCommands::Settings},
      {mActions->OpenDestinationFolder, &TaskCommands::OpenDestinationFolder},
      {mActions->PreviousTask, &TaskCommands::PreviousTask},
      {mActions->NextTask, &TaskCommands::NextTask},
  };
  // Not a structured binding: clang 14 cannot capture one in a lambda.
  for (const auto& entry : entries) {
    connect(entry.first, &QAction::triggered, this,
            [&commands, command = entry.second] { (commands.*command)(); });
  }
  mTaskTree->SetSelectionHandlers([&commands] { return commands.SelectionChangeAllowed(); },
                                  [&commands](int node) { commands.NodeSelected(node); });
}

void TMainForm::ShutDown() {
  mCheckTimer.stop();
  mRun->ShutDown();
  mTray->hide();
}

void TMainForm::StartCheckSchedule() {
  constexpr int kFirstCheckMs = 10'000;
  constexpr int kScheduleTurnMs = 60'000;
  const auto turn = [this] {
    if (QApplication::activeModalWidget() == nullptr) mRun->StartDueCheck();
  };
  connect(&mCheckTimer, &QTimer::timeout, this, turn);
  mCheckTimer.start(kScheduleTurnMs);
  QTimer::singleShot(kFirstCheckMs, this, turn);
}

void TMainForm::TellCheckOutcome(const CheckOutcome& outcome) {
  if (isVisible() || !mTray->isVisible()) return;
  if (!outcome.Failed() && outcome.NewPictures == 0) return;
  mTray->showMessage("Vexilo", QString::fromStdString(CheckOutcomeLine(outcome)),
                     outcome.Failed() ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  ShutDown();
  event->accept();
  emit shutDownDone();
}

void TMainForm::ShowPictureRows(const std::vector<PictureEntry>& rows) {
  mPictureList->ShowRows(rows);
}

void TMainForm::AddPictureRow(const PictureEntry& row) { mPictureList->AddRow(row); }

void TMainForm::SetPictureRowStatus(int row, const std::string& status) {
  mPictureList->SetStatus(row, status);
}

std::string TMainForm::PictureRowStatus(int row) const { return mPictureList->Status(row); }

void TMainForm::SetPictureRowLink(int row, const std::string& link) {
  mPictureList->SetLink(row, link);
}

void TMainForm::SetGridVisible(bool visible) {
  mGridArea->setCurrentWidget(visible ? static_cast<QWidget*>(mGrid) : mBrowserView);
}

std::string TMainForm::AddressText() const { return mAddressBox->currentText().toStdString(); }

void TMainForm::SetAddressText(const std::string& text) {
  mAddressBox->setCurrentText(QString::fromStdString(text));
}

void TMainForm::ShowBrowserPane(bool tasks) {
  mFolderTree->setVisible(!tasks);
  mTaskTree->setVisible(tasks);
  (tasks ? mActions->BrowserPaneTask : mActions->BrowserPaneFolder)->setChecked(true);
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

void TMainForm::ShowAbout() {
  if (mAboutForm == nullptr) return;
  if (const QScreen* desktop = screen()) {
    mAboutForm->move(desktop->availableGeometry().center() - mAboutForm->rect().center());
  }
  mAboutForm->exec();
}

void TMainForm::ShowGridOrder() {
  const GridOrder& order = mRun->Settings().Order;
  const TMainActions& a = *mActions;
  const std::pair<PictureOrder, QAction*> entries[] = {
      {PictureOrder::Name, a.SortByName},
      {PictureOrder::Modified, a.SortByModified},
      {PictureOrder::Size, a.SortBySize},
      {PictureOrder::Dimensions, a.SortByDimensions},
      {PictureOrder::Kind, a.SortByKind}};
  for (const auto& entry : entries) entry.second->setChecked(entry.first == order.By);
  a.SortReversed->setChecked(order.Reversed);
}

void TMainForm::ApplyGridOrder() {
  const TMainActions& a = *mActions;
  GridOrder order;
  if (a.SortByModified->isChecked()) order.By = PictureOrder::Modified;
  if (a.SortBySize->isChecked()) order.By = PictureOrder::Size;
  if (a.SortByDimensions->isChecked()) order.By = PictureOrder::Dimensions;
  if (a.SortByKind->isChecked()) order.By = PictureOrder::Kind;
  order.Reversed = a.SortReversed->isChecked();
  mRun->SetGridOrder(order);
  // Refused during a listing: the checks go back to the order in effect.
  ShowGridOrder();
}

void TMainForm::TrashSelected() {
  const std::vector<int> rows = mGrid->SelectedRows();
  if (rows.empty()) {
    mServices.Prompts.ShowMessage(kNoPictureSelected);
    return;
  }
  if (mRun->Sorting().Trash(rows) > 0) SelectAfterRemoval(rows.front());
}

void TMainForm::MoveSelected(bool second, bool copy) {
  const std::vector<int> rows = mGrid->SelectedRows();
  if (rows.empty()) {
    mServices.Prompts.ShowMessage(kNoPictureSelected);
    return;
  }
  SortingOut& sorting = mRun->Sorting();
  bool moved = false;
  // From the last on, so that the rows still to come keep their places.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (!(copy ? sorting.CopyToFolder(*row, second) : sorting.MoveToFolder(*row, second))) break;
    moved = true;
  }
  if (moved && !copy) SelectAfterRemoval(rows.front());
}

void TMainForm::RenameSelected() {
  const int row = mGrid->SelectedRow();
  if (row < 0 || row >= mRun->PictureSet().Count()) {
    mServices.Prompts.ShowMessage(kNoPictureSelected);
    return;
  }
  const std::string name =
      std::filesystem::path(mRun->PictureSet().Items()[static_cast<std::size_t>(row)].Path)
          .filename()
          .string();
  bool ok = false;
  const QString typed = QInputDialog::getText(
      this, "Rename Picture", "New name:", QLineEdit::Normal, QString::fromStdString(name), &ok);
  if (ok && mRun->Sorting().Rename(row, typed.toStdString())) SelectAfterRemoval(row);
}

void TMainForm::SelectAfterRemoval(int row) {
  const int count = mGrid->count();
  if (count == 0) return;
  mGrid->clearSelection();
  mGrid->setCurrentRow(std::min(row, count - 1));
}

void TMainForm::ShowHelp() {
  const std::filesystem::path help = mFolders.ShippedFile(kHelpFile);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(help, ec)) {
    mServices.Prompts.ShowMessage(kMissingHelpText);
    return;
  }
  if (!mServices.Shell.Open(help.string())) {
    mServices.Prompts.ShowMessage(kHelpNotOpenedText + help.string());
  }
}

}  // namespace vexilo

#include "shell/MainActions.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QStyle>

namespace vexilo {
namespace {

// The command tool bar shows icons only; its tool tips differ from the menu captions.
void ForToolBar(QAction* action, QStyle::StandardPixmap icon, const QString& toolTip) {
  action->setIcon(QApplication::style()->standardIcon(icon));
  action->setIconVisibleInMenu(false);
  action->setToolTip(toolTip);
}

}  // namespace

TMainActions::TMainActions(QWidget* window) : QObject(window) {
  ViewMode = Make("&View Mode");
  DownloadSettings = Make("&Download Settings");
  AdvancedSettings = Make("&Advanced Settings");
  MinimizeToTray = Make("&Minimize to System Tray");
  Exit = Make("E&xit");

  NewTask = Make("&New");
  StopTask = Make("&Stop");
  DeleteTask = Make("&Delete");
  ResumeTask = Make("&Resume");
  RestartTask = Make("R&estart ");
  CheckForNewPictures = Make("&Check for New Pictures");
  TaskSettings = Make("Se&ttings");
  OpenDestinationFolder = Make("&Open destination folder");

  BrowserPaneTask = Make("Task");
  BrowserPaneFolder = Make("Folder");
  auto* browserPane = new QActionGroup(this);
  for (QAction* mode : {BrowserPaneTask, BrowserPaneFolder}) {
    mode->setCheckable(true);
    browserPane->addAction(mode);
  }
  BrowserPaneTask->setChecked(true);
  PreviewPane = Make("&Preview Pane");
  GridPane = Make("&Grid Pane");
  for (QAction* pane : {PreviewPane, GridPane}) {
    pane->setCheckable(true);
    pane->setChecked(true);
  }

  SortByName = Make("&Name");
  SortByModified = Make("&Modification Time");
  SortBySize = Make("&Size");
  SortByDimensions = Make("&Dimensions");
  SortByKind = Make("&Kind");
  auto* sortBy = new QActionGroup(this);
  for (QAction* order : {SortByName, SortByModified, SortBySize, SortByDimensions, SortByKind}) {
    order->setCheckable(true);
    sortBy->addAction(order);
  }
  SortByName->setChecked(true);
  SortReversed = Make("&Reversed");
  SortReversed->setCheckable(true);

  CreateThumbnails = Make("&Create Thumbnails");
  FindCopies = Make("&Find Copies of Pictures");
  // The keys are the grid's own (and the viewer's): shown here, not taken from other panes.
  MoveToTrash = Make("Move to &Trash\tDel");
  MoveToFolder = Make("&Move to Folder\tM");
  CopyToFolder = Make("Co&py to Folder\tC");
  RenamePicture = Make("&Rename...\tF2");
  ChooseSortingFolders = Make("C&hoose Sorting Folders...");
  Help = Make("&Help");
  About = Make("&About...");

  PreviousTask = Make("Previous Task");
  NextTask = Make("Next Task");
  QuickStart = Make("Quick Start");
  ForToolBar(PreviousTask, QStyle::SP_ArrowUp, "Previous Task");
  ForToolBar(NextTask, QStyle::SP_ArrowDown, "Next Task");
  ForToolBar(NewTask, QStyle::SP_FileIcon, "New Task");
  ForToolBar(StopTask, QStyle::SP_BrowserStop, "Stop Task");
  ForToolBar(ViewMode, QStyle::SP_FileDialogContentsView, "View Mode");
  ForToolBar(QuickStart, QStyle::SP_MediaPlay, "Quick Start");

  CopyUrl = Make("&Copy URL to clipboard");
  ExportLists = Make("&Export lists");
  ExportCsv = Make("Export as C&SV");
  TrayRestore = Make("&Restore");
  TrayExit = Make("&Exit");

  BuildMenus(window);
}

QAction* TMainActions::Make(const QString& text) { return new QAction(text, this); }

void TMainActions::BuildMenus(QWidget* window) {
  FileMenu = new QMenu("&File", window);
  FileMenu->addAction(ViewMode);
  FileMenu->addSeparator();
  FileMenu->addAction(DownloadSettings);
  FileMenu->addAction(AdvancedSettings);
  FileMenu->addSeparator();
  FileMenu->addAction(MinimizeToTray);
  FileMenu->addSeparator();
  FileMenu->addAction(Exit);

  auto fillTaskMenu = [this](QMenu* menu) {
    menu->addAction(NewTask);
    menu->addAction(StopTask);
    menu->addAction(DeleteTask);
    menu->addSeparator();
    menu->addAction(ResumeTask);
    menu->addAction(RestartTask);
    menu->addAction(CheckForNewPictures);
    menu->addAction(TaskSettings);
    menu->addSeparator();
    menu->addAction(OpenDestinationFolder);
  };
  TaskMenu = new QMenu("T&ask", window);
  fillTaskMenu(TaskMenu);
  TaskTreePopup = new QMenu(window);
  fillTaskMenu(TaskTreePopup);

  ViewMenu = new QMenu("&View", window);
  QMenu* browserPane = ViewMenu->addMenu("&Browser Pane");
  browserPane->addAction(BrowserPaneTask);
  browserPane->addAction(BrowserPaneFolder);
  ViewMenu->addSeparator();
  ViewMenu->addAction(PreviewPane);
  ViewMenu->addAction(GridPane);
  ViewMenu->addSeparator();
  QMenu* sortMenu = ViewMenu->addMenu("S&ort By");
  for (QAction* order : {SortByName, SortByModified, SortBySize, SortByDimensions, SortByKind}) {
    sortMenu->addAction(order);
  }
  sortMenu->addSeparator();
  sortMenu->addAction(SortReversed);

  ThumbnailsMenu = new QMenu("&Thumbnails", window);
  ThumbnailsMenu->addAction(CreateThumbnails);
  ThumbnailsMenu->addAction(FindCopies);
  ThumbnailsMenu->addSeparator();
  GridPopup = new QMenu(window);
  for (QAction* entry : {MoveToTrash, MoveToFolder, CopyToFolder, RenamePicture}) {
    ThumbnailsMenu->addAction(entry);
    GridPopup->addAction(entry);
  }
  ThumbnailsMenu->addAction(ChooseSortingFolders);

  HelpMenu = new QMenu("&Help  ", window);
  HelpMenu->addAction(Help);
  HelpMenu->addSeparator();
  HelpMenu->addAction(About);

  PictureListPopup = new QMenu(window);
  PictureListPopup->addAction(CopyUrl);
  PictureListPopup->addAction(ExportLists);
  PictureListPopup->addAction(ExportCsv);

  TrayPopup = new QMenu(window);
  TrayPopup->addAction(TrayRestore);
  TrayPopup->addSeparator();
  TrayPopup->addAction(TrayExit);
  TrayPopup->setDefaultAction(TrayRestore);
}

}  // namespace vexilo

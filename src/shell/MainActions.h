#pragma once
// Every command entry of the main window: the actions with their captions and tool tips,
// the five drop-down menus, and the pop-up menus of the task tree, the picture list and the
// tray. The main window connects every one of them to its command.

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

namespace vexilo {

class TMainActions : public QObject {
  Q_OBJECT

 public:
  explicit TMainActions(QWidget* window);

  // File
  QAction* ViewMode;
  QAction* DownloadSettings;
  QAction* AdvancedSettings;
  QAction* MinimizeToTray;
  QAction* Exit;
  // Task
  QAction* NewTask;
  QAction* StopTask;
  QAction* DeleteTask;
  QAction* ResumeTask;
  QAction* RestartTask;
  QAction* CheckForNewPictures;
  QAction* TaskSettings;
  QAction* OpenDestinationFolder;
  // View
  QAction* BrowserPaneTask;
  QAction* BrowserPaneFolder;
  QAction* PreviewPane;
  QAction* GridPane;
  // View > Sort By: the five orders (one checked) and Reversed.
  QAction* SortByName;
  QAction* SortByModified;
  QAction* SortBySize;
  QAction* SortByDimensions;
  QAction* SortByKind;
  QAction* SortReversed;
  // Thumbnails
  QAction* CreateThumbnails;
  QAction* FindCopies;
  // Thumbnails and the grid's pop-up: the selected pictures sorted out.
  QAction* MoveToTrash;
  QAction* MoveToFolder;
  QAction* CopyToFolder;
  QAction* RenamePicture;
  QAction* ChooseSortingFolders;
  // Help
  QAction* Help;
  QAction* About;
  // Tool bar only
  QAction* PreviousTask;
  QAction* NextTask;
  QAction* QuickStart;
  // Picture list pop-up
  QAction* CopyUrl;
  QAction* ExportLists;
  QAction* ExportCsv;
  // Tray pop-up
  QAction* TrayRestore;
  QAction* TrayExit;

  // The drop-down menus in menu-bar order: File, Task, View, Thumbnails, Help.
  QMenu* FileMenu;
  QMenu* TaskMenu;
  QMenu* ViewMenu;
  QMenu* ThumbnailsMenu;
  QMenu* HelpMenu;
  QMenu* TaskTreePopup;
  QMenu* PictureListPopup;
  QMenu* GridPopup;
  QMenu* TrayPopup;

 private:
  QAction* Make(const QString& text);
  void BuildMenus(QWidget* window);
};

}  // namespace vexilo

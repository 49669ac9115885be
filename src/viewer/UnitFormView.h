#pragma once
// TFormView: the viewer window. It shows the pictures of the picture file list one at a time
// in place of the main window, steps through the list with wrap-around, zooms in fifteen
// fixed levels, and returns to the grid on the picture reached. Created hidden at start-up;
// lives for the run; closing it ends the program through the host's shut-down.
//
// Main thread only. Between two of its commands only the download reports run (nested in
// the main thread's event loop, also while one of its message boxes is open); they only
// append to the picture file list, which never moves the viewer's position, and then call
// PicturesAppended so the position panel counts them. The list is never emptied or reordered while
// the viewer is shown: the main window, which alone lists folders, is hidden then; only the
// viewer's own sorting out takes entries away.

#include <QMainWindow>
#include <QSize>
#include <QTimer>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/AdvancedSettings.h"
#include "viewer/AnimationPlayer.h"
#include "viewer/LoadStep.h"
#include "viewer/PictureLayout.h"
#include "viewer/SlideShow.h"
#include "viewer/ViewerPictureCache.h"
#include "viewer/ViewerStatus.h"
#include "viewer/ZoomRules.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace vexilo {

class SortingOut;
class TImageFileList;
class TPictureArea;
class UserPrompts;
class ViewerHost;
class WallpaperSetter;

class TFormView : public QMainWindow {
  Q_OBJECT

 public:
  // Every reference must outlive the window. blankWallpaper is the shipped blank.bmp.
  TFormView(TImageFileList& pictures, ViewerHost& host, UserPrompts& prompts,
            WallpaperSetter& wallpaper, std::filesystem::path blankWallpaper,
            QWidget* parent = nullptr);
  ~TFormView() override;

  // Opens on the grid's selected picture (the first when none is): nothing with an empty
  // grid; "Error to shift to view mode, please re-start Vexilo." when it cannot be opened.
  void OpenViewer();
  void ShowNext();
  void ShowPrevious();
  void ShowFirst();
  void ShowLast();
  void ZoomIn();
  void ZoomOut();
  void FitImage();
  // The whole screen for the picture: no border, menu bar, tool bar or status bar. Stays on
  // across ReturnToBrowser: the viewer opens in full screen again until it is left.
  void EnterFullScreen();
  void LeaveFullScreen();
  bool IsFullScreen() const { return mFullScreen; }
  // The picture at the list's position becomes the desktop wallpaper; failures are silent.
  void SetWallpaper();
  // Back to the main window with the grid item of the picture reached selected.
  void ReturnToBrowser();
  // Pictures were added to the list while the viewer is open.
  void PicturesAppended();

  // Off: every picture is decoded on the main thread when it is needed (for the benchmark).
  void SetReadAhead(bool on);
  ViewerPictureCache& Cache() { return mCache; }

  TPictureArea* PictureArea() const { return mArea; }
  int ZoomLevel() const { return mZoom.Level(); }
  std::string StatusText(int panel) const;
  int StatusWidth(int panel) const;
  QToolBar* ToolBar() const { return mToolBar; }
  QMenu* ZoomMenu() const { return mZoomMenu; }
  QMenu* Popup() const { return mPopup; }

  // The window's actions, for the menus, the tool bar and tests. Previous, Next, First and
  // Last each serve the View menu, the pop-up and (Previous, Next) the tool bar. Zoom entries
  // and buttons are separate actions: their enabled states differ.
  struct Actions {
    QAction* VexiloMode;
    QAction* Exit;
    QAction* ZoomInEntry;
    QAction* ZoomOutEntry;
    QAction* FullScreenEntry;
    QAction* Previous;
    QAction* Next;
    QAction* First;
    QAction* Last;
    QAction* SetWallpaper;
    QAction* SlideShow;
    QAction* MoveToTrash;
    QAction* MoveToFolder;
    QAction* CopyToFolder;
    QAction* MoveToSecondFolder;
    QAction* CopyToSecondFolder;
    QAction* Rename;
    QAction* ChooseSortingFolders;
    QAction* VexiloModeButton;
    QAction* ZoomInButton;
    QAction* ZoomOutButton;
    QAction* FitImageButton;
    QAction* FullScreenButton;
    QAction* PopupFullScreen;
  };
  const Actions& Commands() const { return mActions; }

  // The settings the slide show reads at its start; they must outlive the viewer.
  void UseSettings(const AdvancedSettings& settings) { mSettings = &settings; }
  // View > Slide Show and F5: starts the slide show from the picture shown, or ends it.
  void ToggleSlideShow();
  bool SlideShowRunning() const { return mSlideShow.Running(); }

  // Delete, M, C (with Shift: the second folder) and F2 on the picture shown; nothing until
  // this is set. After a delete or a move the next picture is shown, as Next would; the
  // last one gone returns to the grid. It must outlive the viewer.
  void UseSortingOut(SortingOut& sorting) { mSorting = &sorting; }
  void TrashShown();
  void MoveShown(bool second);
  void CopyShown(bool second);
  void RenameShown();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void Step(ViewerStep step);
  // Shows the picture at path, decoded ahead when it was; raises when it cannot be read.
  void LoadPicture(const std::string& path);
  // The neighbours of the current position, nearest first (none with one picture).
  std::vector<std::string> Neighbours() const;
  void LayoutPicture(bool fit, bool keepScroll);
  void UpdateViewerStatus();
  void SyncZoomControls();
  void ShowReadError(const std::string& path);
  // The picture at index has left the list: the one after it in view.
  void ShowAfterRemoval(int index);
  void StopSlideShow();
  void SlideShowTick();
  // Shows the window in its layout: full screen or maximised.
  void ShowWindow();
  // The picture area fills its holder; in full screen its frame lies just off the screen.
  void PlaceArea();

  TImageFileList& mPictures;
  ViewerHost& mHost;
  UserPrompts& mPrompts;
  WallpaperSetter& mWallpaper;
  std::filesystem::path mBlankWallpaper;
  ViewerPictureCache mCache;
  ViewerZoom mZoom;
  PictureLayout mLayout;
  QSize mLaidOutArea;  // the area size mLayout was made for
  bool mFullScreen = false;
  Actions mActions{};
  const AdvancedSettings* mSettings = nullptr;
  SlideShow mSlideShow;
  SortingOut* mSorting = nullptr;
  QTimer* mSlideTimer = nullptr;
  std::unique_ptr<AnimationPlayer> mAnimation;
  QWidget* mAreaHolder = nullptr;
  TPictureArea* mArea = nullptr;
  QToolBar* mToolBar = nullptr;
  QMenu* mZoomMenu = nullptr;
  QMenu* mPopup = nullptr;
  std::array<QLabel*, kViewerPanelCount> mPanels{};
};

}  // namespace vexilo

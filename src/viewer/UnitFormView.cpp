#include "viewer/UnitFormView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <utility>

#include "core/UserPrompts.h"
#include "pictures/ImageFileList.h"
#include "pictures/SortingOut.h"
#include "viewer/PictureArea.h"
#include "viewer/ViewerHost.h"
#include "viewer/ViewerKeys.h"
#include "viewer/ViewerOpening.h"
#include "viewer/ViewerStatus.h"
#include "viewer/Wallpaper.h"

namespace vexilo {

// The key map is written without Qt; it must agree with Qt's numbering.
static_assert(viewerkey::kSpace == Qt::Key_Space && viewerkey::kPlus == Qt::Key_Plus &&
              viewerkey::kMinus == Qt::Key_Minus && viewerkey::kSlash == Qt::Key_Slash &&
              viewerkey::kEqual == Qt::Key_Equal && viewerkey::kQuestion == Qt::Key_Question &&
              viewerkey::kUnderscore == Qt::Key_Underscore &&
              viewerkey::kEscape == Qt::Key_Escape && viewerkey::kBackspace == Qt::Key_Backspace &&
              viewerkey::kReturn == Qt::Key_Return && viewerkey::kEnter == Qt::Key_Enter &&
              viewerkey::kLeft == Qt::Key_Left && viewerkey::kUp == Qt::Key_Up &&
              viewerkey::kRight == Qt::Key_Right && viewerkey::kDown == Qt::Key_Down &&
              viewerkey::kPageUp == Qt::Key_PageUp && viewerkey::kPageDown == Qt::Key_PageDown &&
              viewerkey::kDelete == Qt::Key_Delete && viewerkey::kF2 == Qt::Key_F2 &&
              viewerkey::kLetterC == Qt::Key_C && viewerkey::kLetterM == Qt::Key_M);

namespace {

constexpr int kViewerDesignWidth = 808;
constexpr int kViewerDesignHeight = 580;
constexpr int kToolBarHeight = 27;
constexpr int kButtonSide = 25;
constexpr int kStatusBarHeight = 19;
// How often a running slide show looks whether its next picture is due.
constexpr std::chrono::milliseconds kSlideShowPoll{100};
const char* const kOpenFailed = "Error to shift to view mode, please re-start Vexilo.";

// Desktops without an icon theme still get a recognisable button.
QIcon ThemeIcon(const char* name, const QString& glyph) {
  QIcon themed = QIcon::fromTheme(name);
  if (!themed.isNull()) return themed;
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(glyph.size() > 1 ? 9 : 15);
  painter.setFont(font);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
  return QIcon(pixmap);
}

QIcon StandardIcon(QStyle::StandardPixmap which) {
  return QApplication::style()->standardIcon(which);
}

}  // namespace

TFormView::TFormView(TImageFileList& pictures, ViewerHost& host, UserPrompts& prompts,
                     WallpaperSetter& wallpaper, std::filesystem::path blankWallpaper,
                     QWidget* parent)
    : QMainWindow(parent),
      mPictures(pictures),
      mHost(host),
      mPrompts(prompts),
      mWallpaper(wallpaper),
      mBlankWallpaper(std::move(blankWallpaper)) {
  setWindowTitle("Vexilo - View Picture");
  resize(kViewerDesignWidth, kViewerDesignHeight);
  // The area is placed by hand: in full screen it reaches past the holder's edges.
  mAreaHolder = new QWidget;
  mArea = new TPictureArea(mAreaHolder);
  mAreaHolder->installEventFilter(this);
  setCentralWidget(mAreaHolder);
  BuildActions();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  connect(mArea, &TPictureArea::panelDoubleClicked, this, &TFormView::ReturnToBrowser);
  connect(mArea, &TPictureArea::resized, this, [this] {
    // The window system also reports sizes that did not change (while a message box is
    // up, say): only a real change re-centres the picture.
    if (isVisible() && mArea->AreaSize() != mLaidOutArea) LayoutPicture(false, true);
  });
  connect(mArea, &TPictureArea::popupRequested, this, [this](const QPoint& at) {
    mActions.PopupFullScreen->setChecked(mFullScreen);
    mPopup->popup(at);
  });
  // A click or a key anywhere on the picture ends a slide show.
  mArea->installEventFilter(this);
  mArea->viewport()->installEventFilter(this);
  mSlideTimer = new QTimer(this);
  mSlideTimer->setInterval(kSlideShowPoll);
  connect(mSlideTimer, &QTimer::timeout, this, &TFormView::SlideShowTick);
  mAnimation = std::make_unique<AnimationPlayer>(
      [this](SharedPicture frame) { mArea->SetPicture(std::move(frame)); }, this);
}

TFormView::~TFormView() = default;

void TFormView::BuildActions() {
  auto make = [this](const QString& text, void (TFormView::*command)()) {
    auto* action = new QAction(text, this);
    if (command != nullptr) connect(action, &QAction::triggered, this, command);
    return action;
  };
  Actions& a = mActions;
  a.VexiloMode = make("&Vexilo Mode", &TFormView::ReturnToBrowser);
  a.Exit = make("&Exit", nullptr);
  connect(a.Exit, &QAction::triggered, this, &QWidget::close);
  a.ZoomInEntry = make("Zoom &In", &TFormView::ZoomIn);
  a.ZoomOutEntry = make("Zoom &Out", &TFormView::ZoomOut);
  a.FullScreenEntry = make("&Full Screen", &TFormView::EnterFullScreen);
  a.Previous = make("&Previous", &TFormView::ShowPrevious);
  a.Previous->setIcon(StandardIcon(QStyle::SP_ArrowLeft));
  a.Next = make("&Next", &TFormView::ShowNext);
  a.Next->setIcon(StandardIcon(QStyle::SP_ArrowRight));
  // The icons are for the tool bar; the View menu and the pop-up show none.
  a.Previous->setIconVisibleInMenu(false);
  a.Next->setIconVisibleInMenu(false);
  a.First = make("&First", &TFormView::ShowFirst);
  a.Last = make("&Last", &TFormView::ShowLast);
  a.SlideShow = make("Slide &Show", &TFormView::ToggleSlideShow);
  // F5 as in the viewers people know; the viewer's own keys leave it free.
  a.SlideShow->setShortcut(QKeySequence(Qt::Key_F5));
  a.SlideShow->setShortcutContext(Qt::WindowShortcut);
  a.SetWallpaper = make("Set &Wallpaper", &TFormView::SetWallpaper);
  // Sorting out. The keys are the viewer's own (keyPressEvent), shown beside the entries.
  a.MoveToTrash = make("Move to &Trash\tDel", &TFormView::TrashShown);
  a.MoveToFolder = make("&Move to Folder\tM", nullptr);
  a.CopyToFolder = make("Co&py to Folder\tC", nullptr);
  a.MoveToSecondFolder = make("Move to Second F&older\tShift+M", nullptr);
  a.CopyToSecondFolder = make("Copy to Second Fol&der\tShift+C", nullptr);
  a.Rename = make("&Rename...\tF2", &TFormView::RenameShown);
  a.ChooseSortingFolders = make("C&hoose Sorting Folders...", nullptr);
  connect(a.ChooseSortingFolders, &QAction::triggered, this, [this] {
    if (mSorting) mSorting->ChooseFolders();
  });
  connect(a.MoveToFolder, &QAction::triggered, this, [this] { MoveShown(false); });
  connect(a.CopyToFolder, &QAction::triggered, this, [this] { CopyShown(false); });
  connect(a.MoveToSecondFolder, &QAction::triggered, this, [this] { MoveShown(true); });
  connect(a.CopyToSecondFolder, &QAction::triggered, this, [this] { CopyShown(true); });

  a.VexiloModeButton = make("Vexilo Mode", &TFormView::ReturnToBrowser);
  a.VexiloModeButton->setIcon(StandardIcon(QStyle::SP_FileDialogListView));
  a.ZoomInButton = make("Zoom In", &TFormView::ZoomIn);
  a.ZoomInButton->setIcon(ThemeIcon("zoom-in", "+"));
  a.ZoomOutButton = make("Zoom Out", &TFormView::ZoomOut);
  a.ZoomOutButton->setIcon(ThemeIcon("zoom-out", QString(QChar(0x2212))));
  a.FitImageButton = make("Fit Image", &TFormView::FitImage);
  a.FitImageButton->setIcon(ThemeIcon("zoom-original", "1:1"));
  a.FullScreenButton = make("Full Screen", &TFormView::EnterFullScreen);
  a.FullScreenButton->setIcon(ThemeIcon("view-fullscreen", QString(QChar(0x25A1))));

  a.PopupFullScreen = make("Full Screen", nullptr);
  a.PopupFullScreen->setCheckable(true);
  connect(a.PopupFullScreen, &QAction::triggered, this, [this] {
    if (mFullScreen) {
      LeaveFullScreen();
    } else {
      EnterFullScreen();
    }
  });
  for (QAction* button : {a.VexiloModeButton, a.Previous, a.Next, a.ZoomInButton, a.ZoomOutButton,
                          a.FitImageButton, a.FullScreenButton}) {
    button->setToolTip(button->iconText());  // the text without its "&"
  }
}

void TFormView::BuildMenus() {
  const Actions& a = mActions;
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction(a.VexiloMode);
  file->addSeparator();
  file->addAction(a.Exit);
  mZoomMenu = menuBar()->addMenu("&Zoom");
  mZoomMenu->addAction(a.ZoomInEntry);
  mZoomMenu->addAction(a.ZoomOutEntry);
  mZoomMenu->addSeparator();
  mZoomMenu->addAction(a.FullScreenEntry);
  connect(mZoomMenu, &QMenu::aboutToShow, this, [this] {
    const SharedPicture& picture = mArea->Picture();
    mZoom.ZoomMenuOpened(mLayout.Height, picture ? picture->Height() : 0);
    SyncZoomControls();
  });
  QMenu* view = menuBar()->addMenu("&View");
  for (QAction* entry : {a.Previous, a.Next, a.First, a.Last}) view->addAction(entry);
  view->addSeparator();
  view->addAction(a.SlideShow);
  QMenu* tools = menuBar()->addMenu("&Tools");
  tools->addAction(a.SetWallpaper);
  tools->addSeparator();
  for (QAction* entry : {a.MoveToTrash, a.MoveToFolder, a.CopyToFolder, a.MoveToSecondFolder,
                         a.CopyToSecondFolder, a.Rename}) {
    tools->addAction(entry);
  }
  tools->addSeparator();
  tools->addAction(a.ChooseSortingFolders);

  mPopup = new QMenu(this);
  for (QAction* entry : {a.Previous, a.Next, a.First, a.Last}) mPopup->addAction(entry);
  mPopup->addSeparator();
  mPopup->addAction(a.PopupFullScreen);
  mPopup->addSeparator();
  mPopup->addAction(a.MoveToTrash);
  mPopup->addAction(a.Rename);
}

void TFormView::BuildToolBar() {
  const Actions& a = mActions;
  mToolBar = addToolBar("View");
  mToolBar->setObjectName("viewerToolBar");
  mToolBar->setMovable(false);
  mToolBar->setFloatable(false);
  mToolBar->setIconSize(QSize(16, 16));
  mToolBar->setFixedHeight(kToolBarHeight);
  mToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
  const std::initializer_list<QAction*> groups[] = {
      {a.VexiloModeButton},
      {a.Previous, a.Next},
      {a.ZoomInButton, a.ZoomOutButton, a.FitImageButton},
      {a.FullScreenButton}};
  bool first = true;
  for (const auto& group : groups) {
    if (!first) mToolBar->addSeparator();
    first = false;
    for (QAction* button : group) {
      mToolBar->addAction(button);
      if (QWidget* widget = mToolBar->widgetForAction(button)) {
        widget->setFixedSize(kButtonSide, kButtonSide);
        widget->setFocusPolicy(Qt::NoFocus);
      }
    }
  }
}

void TFormView::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setFixedHeight(kStatusBarHeight);
  bar->setSizeGripEnabled(false);
  for (int i = 0; i < kViewerPanelCount; ++i) {
    auto* panel = new QLabel;
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedWidth(kViewerPanelWidths[static_cast<std::size_t>(i)]);
    panel->setAlignment(i + 1 < kViewerPanelCount ? Qt::AlignCenter
                                                  : Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(panel);
    mPanels[static_cast<std::size_t>(i)] = panel;
  }
  mPanels[kViewerHintPanel]->setText(kViewerHint);
}

std::string TFormView::StatusText(int panel) const {
  return mPanels.at(static_cast<std::size_t>(panel))->text().toStdString();
}

int TFormView::StatusWidth(int panel) const {
  return mPanels.at(static_cast<std::size_t>(panel))->width();
}

void TFormView::OpenViewer() {
  try {
    if (!PrepareViewerOpen(mHost, mPictures)) return;
    LoadPicture(mPictures.CurrentPath());
    ShowWindow();
    mZoom.Fit();
    LayoutPicture(true, false);
    mHost.HideMainWindow();
    raise();
    activateWindow();
    mArea->setFocus();
  } catch (const std::exception&) {
    mPrompts.ShowMessage(kOpenFailed);
  }
}

void TFormView::ShowWindow() {
  if (mFullScreen) {
    showFullScreen();
  } else {
    if (const QScreen* desktop = screen()) setGeometry(desktop->availableGeometry());
    showMaximized();
  }
  PlaceArea();
}

void TFormView::PlaceArea() {
  QRect place = mAreaHolder->rect();
  if (mFullScreen) {
    // The window manager may not have resized the window yet: the screen is what counts.
    const QScreen* desktop = screen();
    const QSize size = desktop != nullptr ? desktop->geometry().size() : place.size();
    const int frame = mArea->frameWidth();
    place = QRect(-frame, -frame, size.width() + 2 * frame, size.height() + 2 * frame);
  }
  mArea->setGeometry(place);
}

bool TFormView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mAreaHolder && event->type() == QEvent::Resize) PlaceArea();
  if (mSlideShow.Running() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)) {
    StopSlideShow();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormView::EnterFullScreen() {
  if (mFullScreen) return;
  mFullScreen = true;
  menuBar()->hide();
  mToolBar->hide();
  statusBar()->hide();
  // A new window flag hides the window; ShowWindow brings it back.
  setWindowFlag(Qt::FramelessWindowHint, true);
  ShowWindow();
  FitImage();
  mArea->setFocus();
}

void TFormView::LeaveFullScreen() {
  if (!mFullScreen) return;
  mFullScreen = false;
  setWindowFlag(Qt::FramelessWindowHint, false);
  menuBar()->show();
  mToolBar->show();
  statusBar()->show();
  ShowWindow();
  FitImage();
  mArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mArea->setFocus();
}

void TFormView::SetWallpaper() {
  std::string path;
  try {
    path = mPictures.CurrentPath();
  } catch (const std::exception&) {
    return;  // no current picture: nothing to do, and nothing said
  }
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (primary == nullptr || dataFolder.isEmpty()) return;
  const QSize size = primary->size();
  const double ratio = primary->devicePixelRatio();
  SetAsWallpaper(path, DevicePixels(size.width(), ratio), DevicePixels(size.height(), ratio),
                 dataFolder.toStdString(), mBlankWallpaper, mWallpaper);
}

void TFormView::ShowNext() { Step(ViewerStep::Next); }
void TFormView::ShowPrevious() { Step(ViewerStep::Previous); }
void TFormView::ShowFirst() { Step(ViewerStep::First); }
void TFormView::ShowLast() { Step(ViewerStep::Last); }

void TFormView::Step(ViewerStep step) {
  LoadStep(mPictures, step,
           {[this](const std::string& path) { LoadPicture(path); },
            [this](const std::string& path) { ShowReadError(path); }});
  mZoom.Fit();
  LayoutPicture(true, false);
}

std::vector<std::string> TFormView::Neighbours() const {
  std::vector<std::string> paths;
  const int count = mPictures.Count();
  const int at = mPictures.CurrentIndex();
  if (count < 2 || at < 0 || at >= count) return paths;
  const auto& all = mPictures.Items();
  paths.push_back(all[static_cast<std::size_t>(NextPosition(at, count))].Path);
  paths.push_back(all[static_cast<std::size_t>(PreviousPosition(at, count))].Path);
  return paths;
}

void TFormView::LoadPicture(const std::string& path) {
  std::vector<std::string> neighbours = Neighbours();
  std::vector<std::string> wanted = neighbours;
  wanted.push_back(path);
  // Pictures that are no neighbour of the new position go before a new one is decoded.
  mCache.Retain(wanted);
  mArea->SetPicture(mCache.Get(path));
  mAnimation->Play(path);
  mCache.Prefetch(neighbours);
}

void TFormView::LayoutPicture(bool fit, bool keepScroll) {
  const SharedPicture& picture = mArea->Picture();
  const QSize area = mArea->AreaSize();
  mLaidOutArea = area;
  mLayout = vexilo::LayoutPicture(picture ? picture->Width() : 0, picture ? picture->Height() : 0,
                                  fit, mZoom.Level(), area.width(), area.height());
  mArea->SetPanel(QRect(mLayout.Left, mLayout.Top, mLayout.Width, mLayout.Height), keepScroll);
  UpdateViewerStatus();
}

void TFormView::UpdateViewerStatus() {
  ViewerStatusInput input;
  input.CurrentIndex = mPictures.CurrentIndex();
  input.Count = mPictures.Count();
  try {
    const std::string& path = mPictures.CurrentPath();
    input.FileTime = FileTimeForViewer(path);
    input.FileName = mPictures.CurrentFileName();
  } catch (const std::exception&) {
    // A position off the list shows no name and no time.
  }
  if (const SharedPicture& picture = mArea->Picture()) {
    input.PictureWidth = picture->Width();
    input.PictureHeight = picture->Height();
  }
  input.ZoomLevel = mZoom.Level();
  const auto texts = ViewerStatusTexts(input);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    mPanels[i]->setText(QString::fromStdString(texts[i]));
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const int textWidth = mPanels[i]->fontMetrics().horizontalAdvance(mPanels[i]->text());
    if (const auto panel = static_cast<int>(i);
        panel == kViewerNamePanel || panel == kViewerSizePanel) {
      mPanels[i]->setFixedWidth(textWidth + kViewerTextMargin);
    } else {
      // The fixed widths were measured for a smaller font than today's desktops use: a
      // panel widens rather than cut its time or count short.
      mPanels[i]->setFixedWidth(std::max(kViewerPanelWidths[i], textWidth + kViewerPanelPadding));
    }
  }
}

void TFormView::ZoomIn() {
  if (!mZoom.ZoomIn()) return;
  LayoutPicture(false, true);
  SyncZoomControls();
}

void TFormView::ZoomOut() {
  if (!mZoom.ZoomOut()) return;
  LayoutPicture(false, true);
  SyncZoomControls();
}

void TFormView::FitImage() {
  mZoom.Fit();
  LayoutPicture(true, false);
}

void TFormView::SyncZoomControls() {
  const ZoomControls& controls = mZoom.Controls();
  mActions.ZoomInEntry->setEnabled(controls.MenuZoomIn);
  mActions.ZoomOutEntry->setEnabled(controls.MenuZoomOut);
  mActions.ZoomInButton->setEnabled(controls.ButtonZoomIn);
  mActions.ZoomOutButton->setEnabled(controls.ButtonZoomOut);
}

void TFormView::ToggleSlideShow() {
  if (mSlideShow.Running()) {
    StopSlideShow();
    return;
  }
  const AdvancedSettings& settings =
      mSettings != nullptr ? *mSettings : AdvancedSettings::Defaults();
  mSlideShow.Start(mPictures.Count(), mPictures.CurrentIndex(),
                   std::chrono::seconds(settings.SlideSeconds), settings.ShuffleSlides);
  if (mSlideShow.Running()) mSlideTimer->start();
}

void TFormView::StopSlideShow() {
  mSlideShow.Stop();
  mSlideTimer->stop();
}

void TFormView::SlideShowTick() {
  const std::optional<int> due = mSlideShow.Due(mPictures.Count());
  if (!due) return;
  // The step lands on the position after the one set here, and goes on past a picture that
  // cannot be read as the Next step does.
  mPictures.SetCurrentIndex(PreviousPosition(*due, mPictures.Count()));
  Step(ViewerStep::Next);
}

void TFormView::TrashShown() {
  if (mSorting == nullptr || !isVisible()) return;
  StopSlideShow();
  const int at = mPictures.CurrentIndex();
  if (mSorting->Trash({at}) > 0) ShowAfterRemoval(at);
}

void TFormView::MoveShown(bool second) {
  if (mSorting == nullptr || !isVisible()) return;
  StopSlideShow();
  const int at = mPictures.CurrentIndex();
  if (mSorting->MoveToFolder(at, second)) ShowAfterRemoval(at);
}

void TFormView::CopyShown(bool second) {
  if (mSorting == nullptr || !isVisible()) return;
  StopSlideShow();
  mSorting->CopyToFolder(mPictures.CurrentIndex(), second);
}

void TFormView::RenameShown() {
  if (mSorting == nullptr || !isVisible()) return;
  StopSlideShow();
  std::string name;
  try {
    name = mPictures.CurrentFileName();
  } catch (const std::exception&) {
    return;
  }
  bool ok = false;
  const QString typed = QInputDialog::getText(
      this, "Rename Picture", "New name:", QLineEdit::Normal, QString::fromStdString(name), &ok);
  if (!ok) return;
  // The picture on show stays: only its name changed.
  if (mSorting->Rename(mPictures.CurrentIndex(), typed.toStdString())) UpdateViewerStatus();
}

void TFormView::ShowAfterRemoval(int index) {
  const int count = mPictures.Count();
  if (count == 0) {
    ReturnToBrowser();
    return;
  }
  // The step lands on the picture that followed, wrapping after the last as Next does.
  mPictures.SetCurrentIndex(PreviousPosition(std::min(index, count) % count, count));
  Step(ViewerStep::Next);
}

void TFormView::ReturnToBrowser() {
  StopSlideShow();
  mHost.SelectGridItem(mPictures.CurrentIndex());
  mHost.ShowMainWindow();
  hide();
  mAnimation->Stop();
  // Nothing decoded stays behind while the grid is in use.
  mCache.Retain({});
  mArea->SetPicture(nullptr);
}

void TFormView::PicturesAppended() {
  if (!isVisible()) return;
  UpdateViewerStatus();
  // The last picture's next neighbour is now the new one.
  mCache.Prefetch(Neighbours());
}

void TFormView::SetReadAhead(bool on) { mCache.SetReadAhead(on); }

void TFormView::ShowReadError(const std::string& path) {
  StopSlideShow();  // the box waits for the user
  mPrompts.ShowErrorWithYes("Error in reading " + path + "!\n");
}

void TFormView::keyPressEvent(QKeyEvent* event) {
  const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
  const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
  // Ctrl or Alt with a letter belongs to someone else (the desktop, a menu).
  const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
  QScrollBar* across = mArea->horizontalScrollBar();
  QScrollBar* down = mArea->verticalScrollBar();
  const ViewerAction action = ActionForKey(event->key(), keypad, shift);
  if (command && action >= ViewerAction::MoveToTrash) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  switch (action) {
    case ViewerAction::ShowPrevious:
      ShowPrevious();
      break;
    case ViewerAction::ReturnToBrowser:
      ReturnToBrowser();
      break;
    case ViewerAction::LeaveFullScreen:
      if (mFullScreen) LeaveFullScreen();
      break;
    case ViewerAction::ShowNext:
      ShowNext();
      break;
    case ViewerAction::PageUp:
      down->triggerAction(QAbstractSlider::SliderPageStepSub);
      break;
    case ViewerAction::PageDown:
      down->triggerAction(QAbstractSlider::SliderPageStepAdd);
      break;
    case ViewerAction::LineLeft:
      across->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case ViewerAction::LineUp:
      down->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case ViewerAction::LineRight:
      across->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case ViewerAction::LineDown:
      down->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case ViewerAction::ZoomIn:
      if (mZoom.ZoomInKeyAllowed()) ZoomIn();
      break;
    case ViewerAction::ZoomOut:
      if (mZoom.ZoomOutKeyAllowed()) ZoomOut();
      break;
    case ViewerAction::FitImage:
      FitImage();
      break;
    case ViewerAction::MoveToTrash:
      TrashShown();
      break;
    case ViewerAction::MoveToFolder:
    case ViewerAction::MoveToSecondFolder:
      MoveShown(action == ViewerAction::MoveToSecondFolder);
      break;
    case ViewerAction::CopyToFolder:
    case ViewerAction::CopyToSecondFolder:
      CopyShown(action == ViewerAction::CopyToSecondFolder);
      break;
    case ViewerAction::Rename:
      RenameShown();
      break;
    case ViewerAction::None:
      QMainWindow::keyPressEvent(event);
      break;
  }
}

void TFormView::closeEvent(QCloseEvent* event) {
  StopSlideShow();
  mAnimation->Stop();
  event->accept();
  // A hidden viewer closed along with the program is no request to end it.
  if (isVisible()) mHost.ShutDownApplication();
}

}  // namespace vexilo

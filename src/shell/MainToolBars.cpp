#include "shell/MainToolBars.h"

#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/MainActions.h"

namespace vexilo {
namespace {

constexpr int kAddressBoxWidth = 370;

const char* const kSampleAddresses[] = {
    "https://www.example.com/",
    "https://commons.wikimedia.org/wiki/Category:Flags",
    "file:///usr/share/pixmaps/",
};

// Enter in the address box runs Quick Start once. Watched on the combo box, which gets the key
// either first or after its line edit let it through; not returnPressed, which the line edit
// emits again when the combo box hands the key back to it.
class EnterRuns : public QObject {
 public:
  EnterRuns(QObject* parent, QAction* action) : QObject(parent), mAction(action) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) mAction->trigger();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QAction* mAction;
};

QWidget* Gap(int width) {
  auto* gap = new QWidget;
  gap->setFixedWidth(width);
  return gap;
}

}  // namespace

QComboBox* BuildMainToolBars(QMainWindow& window, const TMainActions& actions) {
  auto* menuBar = window.addToolBar("Menu");
  menuBar->setObjectName("menuToolBar");
  menuBar->setMovable(false);
  menuBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (QMenu* menu : {actions.FileMenu, actions.TaskMenu, actions.ViewMenu, actions.ThumbnailsMenu,
                      actions.HelpMenu}) {
    auto* button = new QToolButton;
    button->setText(menu->title());
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setAutoRaise(true);
    button->setStyleSheet("QToolButton::menu-indicator { image: none; width: 0px; }");
    menuBar->addWidget(button);
  }
  window.addToolBarBreak();

  auto* commandBar = window.addToolBar("Commands");
  commandBar->setObjectName("commandToolBar");
  commandBar->setMovable(false);
  commandBar->setIconSize(QSize(32, 32));
  commandBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  commandBar->addAction(actions.PreviousTask);
  commandBar->addAction(actions.NextTask);
  commandBar->addAction(actions.NewTask);
  commandBar->addAction(actions.StopTask);
  commandBar->addAction(actions.ViewMode);
  commandBar->addWidget(Gap(12));

  auto* addressBox = new QComboBox;
  addressBox->setObjectName("addressBox");
  addressBox->setEditable(true);
  addressBox->setFixedWidth(kAddressBoxWidth);
  addressBox->setInsertPolicy(QComboBox::InsertAtTop);
  for (const char* address : kSampleAddresses) addressBox->addItem(address);
  addressBox->setCurrentIndex(0);
  addressBox->completer()->setCompletionMode(QCompleter::PopupCompletion);
  // What a user types and ends with Enter is meant to be crawled.
  addressBox->installEventFilter(new EnterRuns(addressBox, actions.QuickStart));
  auto* addressHolder = new QWidget;
  auto* addressLayout = new QVBoxLayout(addressHolder);
  addressLayout->setContentsMargins(0, 9, 0, 9);
  addressLayout->addWidget(addressBox, 0, Qt::AlignVCenter);
  commandBar->addWidget(addressHolder);

  commandBar->addWidget(Gap(8));
  commandBar->addAction(actions.QuickStart);
  return addressBox;
}

}  // namespace vexilo

#include "shell/StatusPanels.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace vexilo {
namespace {
constexpr int kCountPanelWidth = 200;
constexpr int kProgressWidth = 200;
}  // namespace

TStatusPanels::TStatusPanels(QStatusBar* bar, int barWidth) : mProgress(new QProgressBar(bar)) {
  for (QLabel*& panel : mPanels) {
    panel = new QLabel;
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
  }
  mPanels[kCountPanel]->setObjectName("countPanel");
  mPanels[kTimePanel]->setObjectName("timePanel");
  mPanels[kProgressPanel]->setObjectName("progressPanel");
  mPanels[kCountPanel]->setFixedWidth(kCountPanelWidth);
  mPanels[kTimePanel]->hide();
  bar->addWidget(mPanels[kCountPanel]);
  bar->addWidget(mPanels[kTimePanel]);
  bar->addWidget(mPanels[kProgressPanel], 1);

  // Not in the bar's layout: it lies over the panels at a fixed place, as it was designed.
  int barHeight = bar->sizeHint().height();
  mProgress->setGeometry(barWidth - kProgressWidth, 2, kProgressWidth, barHeight - 4);
  mProgress->setTextVisible(false);
  mProgress->hide();
}

void TStatusPanels::SetStatusText(int panel, const std::string& text) {
  if (QLabel* label = Panel(panel)) label->setText(QString::fromStdString(text));
}

std::string TStatusPanels::StatusText(int panel) const {
  QLabel* label = Panel(panel);
  return label != nullptr ? label->text().toStdString() : std::string();
}

QLabel* TStatusPanels::Panel(int panel) const {
  return panel >= 0 && panel < kStatusPanelCount ? mPanels[panel] : nullptr;
}

}  // namespace vexilo

#include "shell/ThreadsSpinBox.h"

#include "shell/DownloadSettings.h"

namespace vexilo {

TThreadsSpinBox::TThreadsSpinBox(QWidget* parent) : QSpinBox(parent) {
  setRange(kMinDownloadThreads, kMaxDownloadThreads);
  setSingleStep(1);
  setValue(3);
}

QValidator::State TThreadsSpinBox::validate(QString& text, int&) const {
  for (QChar c : text) {
    if (!c.isDigit()) return QValidator::Invalid;
  }
  return QValidator::Acceptable;
}

int TThreadsSpinBox::valueFromText(const QString& text) const {
  return ThreadsFieldValue(text.toStdString(), kMinDownloadThreads);
}

}  // namespace vexilo

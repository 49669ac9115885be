#pragma once
// The thread-count spin field: digits only; any number may be typed, and it is brought into
// range when the field is left (25 becomes 10), while an empty or unusable text counts as 1.

#include <QSpinBox>

namespace vexilo {

class TThreadsSpinBox : public QSpinBox {
  Q_OBJECT

 public:
  explicit TThreadsSpinBox(QWidget* parent = nullptr);

 protected:
  QValidator::State validate(QString& text, int& pos) const override;
  int valueFromText(const QString& text) const override;
};

}  // namespace vexilo

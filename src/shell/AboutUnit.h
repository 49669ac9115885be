#pragma once
// The about box: the program's name and version, the embedded browser engine's version and
// the maker's notice. Created once, hidden, and shown modally by Help > About.

#include <QDialog>

namespace vexilo {

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* parent = nullptr);
};

}  // namespace vexilo

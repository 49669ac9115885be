#pragma once
// The about box: program name and version, the embedded browser engine's version and the
// maker's links. Created once, hidden, and shown modally by Help > About.

#include <QDialog>

namespace vexilo {

class DesktopShell;
class TLinkLabel;

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  TAboutForm(DesktopShell& shell, QWidget* parent = nullptr);

  TLinkLabel* HomePageLink() const { return mHomePage; }
  TLinkLabel* SupportLink() const { return mSupport; }

 private:
  DesktopShell& mShell;
  TLinkLabel* mHomePage;
  TLinkLabel* mSupport;
};

}  // namespace vexilo

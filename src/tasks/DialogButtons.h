#pragma once
// The pieces the dialogs share: the "OK" (default) and "Cancel" row at their foot,
// right-aligned, and the sunken line that parts their sections.

class QDialog;
class QFrame;
class QHBoxLayout;
class QPushButton;

namespace vexilo {

// Cancel rejects the dialog; the caller connects "OK", which is returned through ok.
QHBoxLayout* MakeOkCancelRow(QDialog* dialog, QPushButton** ok);
QFrame* SunkenLine();

}  // namespace vexilo

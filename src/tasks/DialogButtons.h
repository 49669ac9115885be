#pragma once
// The "OK" (default) and "Cancel" row at the foot of the task dialogs, right-aligned.

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace vexilo {

// Cancel rejects the dialog; the caller connects "OK", which is returned through ok.
QHBoxLayout* MakeOkCancelRow(QDialog* dialog, QPushButton** ok);

}  // namespace vexilo

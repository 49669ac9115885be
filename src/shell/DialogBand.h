#pragma once
// The white band with a bold title, a hint and the program's icon at the top of the settings
// dialogs.

class QString;
class QWidget;

namespace vexilo {

QWidget* DialogBand(const QString& title, const QString& hint);

}  // namespace vexilo

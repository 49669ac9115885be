#pragma once
// The white band with a bold title, a hint and the program's icon at the top of the settings
// dialogs, and the sunken line beneath it.

class QFrame;
class QString;
class QWidget;

namespace vexilo {

QWidget* DialogBand(const QString& title, const QString& hint);
QFrame* SunkenLine();

}  // namespace vexilo

#pragma once
// The main window's two tool bars: the menu buttons (File, Task, View, Thumbnails, Help) and,
// below them, the command buttons with the address box. Main thread only.

class QComboBox;
class QMainWindow;

namespace vexilo {

class TMainActions;

// Adds both bars to window; returns the address box (named "addressBox"), which the window
// owns through its tool bar.
QComboBox* BuildMainToolBars(QMainWindow& window, const TMainActions& actions);

}  // namespace vexilo

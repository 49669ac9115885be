#pragma once
// The parts of a main window a widget test looks at, found among the window's children
// (the window keeps no accessors for tests).

#include <QLabel>
#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace vexilo::test {

// The window's one child of type T (or the one named name); fails the test when missing.
template <class T>
T* Part(const QObject& form, const char* name = nullptr) {
  T* part = name != nullptr ? form.findChild<T*>(QString(name)) : form.findChild<T*>();
  if (part == nullptr)
    throw std::logic_error(std::string("the window has no ") + (name ? name : "such part"));
  return part;
}

// The text of status panel 0, 1 or 2.
inline std::string PanelText(const QObject& form, int panel) {
  static const char* const kNames[] = {"countPanel", "timePanel", "progressPanel"};
  return Part<QLabel>(form, kNames[panel])->text().toStdString();
}

}  // namespace vexilo::test

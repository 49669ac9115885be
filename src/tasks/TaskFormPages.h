#pragma once
// The controls of the four task pages ("Type", "General", "Following Links", "Size
// Filter"), shared by the new task wizard and the task settings dialog. They only show and
// collect a TaskForm; the rules are in tasks/TaskForm.h. Each input has an object name
// (taskName, startUrl, levelBox, widthCheck, ...) so tests can reach it.

#include <QWidget>
#include <array>

#include "tasks/TaskForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vexilo {

class TaskFormPages {
 public:
  enum Page { kTypePage, kGeneralPage, kLinksPage, kSizePage, kPageCount };

  // The pages are created without a parent; the window that places them takes them over.
  TaskFormPages();
  TaskFormPages(const TaskFormPages&) = delete;
  TaskFormPages& operator=(const TaskFormPages&) = delete;

  QWidget* PageWidget(Page page) const { return mPages[page]; }

  TaskForm Form() const;
  void ShowForm(const TaskForm& form);
  TaskKind Kind() const;
  // Enables or disables the whole advanced group of the "General" page; its contents stay.
  void SetAdvancedEnabled(bool enabled);
  void Focus(FormField field);

 private:
  struct LimitRow {
    QCheckBox* Check = nullptr;
    QLineEdit* Box = nullptr;
  };

  QWidget* MakeTypePage();
  QWidget* MakeGeneralPage();
  QWidget* MakeLinksPage();
  QWidget* MakeSizePage();
  static LimitInput ReadLimit(const LimitRow& row);
  static void ShowLimit(const LimitRow& row, const LimitInput& limit);

  std::array<QWidget*, kPageCount> mPages{};
  QButtonGroup* mKindGroup = nullptr;
  QComboBox* mQuickAddress = nullptr;
  QLineEdit* mName = nullptr;
  QLineEdit* mStartUrl = nullptr;
  QWidget* mAdvancedGroup = nullptr;
  QLineEdit* mSearchFilter = nullptr;
  QLineEdit* mDownloadFilter = nullptr;
  QCheckBox* mGrabFromLinks = nullptr;
  QLineEdit* mCutFrom = nullptr;
  QLineEdit* mCutTo = nullptr;
  QCheckBox* mManualLogin = nullptr;
  QLineEdit* mLevels = nullptr;
  QButtonGroup* mScopeGroup = nullptr;
  QLineEdit* mSeconds = nullptr;
  LimitRow mMinSize;
  LimitRow mMaxSize;
  LimitRow mMinWidth;
  LimitRow mMinHeight;
};

}  // namespace vexilo

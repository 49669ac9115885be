#pragma once
// Recording fakes of the seams the task commands work through, beside the core seam fakes of
// support/FakeSeams.h.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/FakeSeams.h"
#include "tasks/CommandSeams.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskTreeView.h"

namespace vexilo::test {

class FakeTree : public TaskTreeView {
 public:
  void AddTaskNode(const std::string& caption) override { Captions.push_back(caption); }
  void RemoveTaskNode(int index) override { Captions.erase(Captions.begin() + index); }
  int TaskNodeCount() const override { return static_cast<int>(Captions.size()); }
  int SelectedNode() const override { return Selected; }
  void SetSelectedNode(int node) override { Selected = node; }

  std::vector<std::string> Captions;
  int Selected = kRootNode;
};

class FakePictures : public TaskPictureView {
 public:
  void ListTaskPictures(int node) override { Listed.push_back(node); }
  void ClearPictures() override { ++Clears; }

  std::vector<int> Listed;
  int Clears = 0;
};

class FakeAddress : public AddressBox {
 public:
  std::string AddressText() const override { return Text; }
  void SetAddressText(const std::string& text) override { Text = text; }

  std::string Text;
};

class FakeCrawl : public CrawlRunner {
 public:
  void RunCrawl() override {
    ++Runs;
    if (During) During();
  }

  void RunCheck(KnownPictures known) override {
    ++Checks;
    Known = std::move(known);
    if (During) During();
  }

  int Runs = 0;
  int Checks = 0;
  KnownPictures Known;
  std::function<void()> During;  // what happens while the crawl or the check runs
};

// Each showing runs Fill on the record; accepted when it returns true.
class FakeWizard : public NewTaskDialog {
 public:
  bool ShowNewTaskWizard(TaskRecord& record) override {
    ++Shows;
    return Fill && Fill(record);
  }
  std::string QuickTaskAddress() const override { return QuickAddress; }

  std::function<bool(TaskRecord&)> Fill;
  std::string QuickAddress;
  int Shows = 0;
};

class FakeSettingsDialog : public TaskSettingsDialog {
 public:
  bool ShowTaskSettings(TaskRecord& record, int& checkHours) override {
    ++Shows;
    ShownHours = checkHours;
    if (!Edit || !Edit(record)) return false;
    if (NewHours) checkHours = *NewHours;
    return true;
  }

  std::function<bool(TaskRecord&)> Edit;
  std::optional<int> NewHours;
  int ShownHours = -1;
  int Shows = 0;
};

class FakeDeleteDialog : public DeleteTaskDialog {
 public:
  std::optional<DeleteChoice> AskDeleteTask() override {
    ++Shows;
    return Choice;
  }

  std::optional<DeleteChoice> Choice = DeleteChoice{};
  int Shows = 0;
};

}  // namespace vexilo::test

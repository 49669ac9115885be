#pragma once
// Recording fakes of the seams the task commands and the task windows work through.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DesktopShell.h"
#include "core/UserPrompts.h"
#include "tasks/CommandSeams.h"
#include "tasks/TaskDialogs.h"
#include "tasks/TaskTreeView.h"

namespace vexilo::test {

class FakePrompts : public UserPrompts {
 public:
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    Questions.push_back(text);
    return Answer;
  }
  void ShowError(const std::string& text) override { Errors.push_back(text); }

  std::vector<std::string> Messages;
  std::vector<std::string> Questions;
  std::vector<std::string> Errors;
  bool Answer = true;
};

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

  int Runs = 0;
  std::function<void()> During;  // what happens while the crawl runs
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
  bool ShowTaskSettings(TaskRecord& record) override {
    ++Shows;
    return Edit && Edit(record);
  }

  std::function<bool(TaskRecord&)> Edit;
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

class FakeShell : public DesktopShell {
 public:
  void Open(const std::string& pathOrAddress) override { Opened.push_back(pathOrAddress); }
  std::optional<std::string> PickFolder(const std::string&) override { return std::nullopt; }
  void SetClipboardText(const std::string&) override {}

  std::vector<std::string> Opened;
};

}  // namespace vexilo::test

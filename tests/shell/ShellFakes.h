#pragma once
// Fakes of the seams the shell works through: an in-memory settings store that can be made to
// fail, and recorders of prompts and desktop requests.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/DesktopShell.h"
#include "core/Errors.h"
#include "core/SettingsStore.h"
#include "core/UserPrompts.h"

namespace vexilo::test {

class MemorySettingsStore : public SettingsStore {
 public:
  void Open() override {
    if (FailOpen) throw FileError("cannot open the store");
    Opened = true;
  }
  std::string Read(const std::string& name) override {
    auto it = Values.find(name);
    return it != Values.end() ? it->second : std::string();
  }
  void Write(const std::string& name, const std::string& value) override {
    if (FailWrite) throw FileError("cannot write the store");
    Values[name] = value;
    WriteOrder.push_back(name);
  }
  void Close() override {}

  std::map<std::string, std::string> Values;
  std::vector<std::string> WriteOrder;
  bool Opened = false;
  bool FailOpen = false;
  bool FailWrite = false;
};

class RecordingPrompts : public UserPrompts {
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

class RecordingShell : public DesktopShell {
 public:
  void Open(const std::string& pathOrAddress) override { Opened.push_back(pathOrAddress); }
  std::optional<std::string> PickFolder(const std::string& title) override {
    PickTitles.push_back(title);
    return PickedFolder;
  }
  void SetClipboardText(const std::string& text) override { Clipboard = text; }

  std::vector<std::string> Opened;
  std::vector<std::string> PickTitles;
  std::optional<std::string> PickedFolder;
  std::string Clipboard;
};

}  // namespace vexilo::test

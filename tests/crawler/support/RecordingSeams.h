#pragma once
// Recorders for the seams a crawl talks to: prompts, the status bar and the crawl hooks.

#include <functional>
#include <string>
#include <vector>

#include "core/StatusSink.h"
#include "core/UserPrompts.h"
#include "crawler/CrawlHooks.h"

namespace vexilo::test {

class RecordingPrompts : public UserPrompts {
 public:
  std::vector<std::string> Messages;
  std::function<void()> OnMessage;  // runs while the message is "shown"

  void ShowMessage(const std::string& text) override {
    Messages.push_back(text);
    if (OnMessage) OnMessage();
  }
  bool AskYesNo(const std::string& text) override {
    Messages.push_back(text);
    return true;
  }
  void ShowError(const std::string& text) override { Messages.push_back(text); }
};

class RecordingStatus : public StatusSink {
 public:
  std::vector<std::string> Panel2;

  void SetStatusText(int panel, const std::string& text) override {
    if (panel == 2) Panel2.push_back(text);
  }
};

class RecordingHooks : public CrawlHooks {
 public:
  int DownloadStarts = 0;
  int ListResets = 0;
  std::vector<PictureEntry> Rows;
  std::vector<bool> GridVisibility;
  std::function<void()> OnStartDownloads;
  std::function<void(const PictureEntry&)> OnRow;

  void StartDownloads() override {
    ++DownloadStarts;
    if (OnStartDownloads) OnStartDownloads();
  }
  void PictureListReset() override { ++ListResets; }
  void PictureRowAdded(const PictureEntry& row) override {
    Rows.push_back(row);
    if (OnRow) OnRow(row);
  }
  void SetGridVisible(bool visible) override { GridVisibility.push_back(visible); }
};

}  // namespace vexilo::test

#pragma once
// The views a run object needs besides the grid, for tests without a display: a browser
// that shows nothing and a picture list pane that records its rows and statuses.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "crawler/PageBrowser.h"
#include "shell/RunWindow.h"

namespace vexilo::test {

class BlankBrowser : public PageBrowser {
 public:
  void Navigate(const std::string&) override {}
  void Stop() override {}
  int ReadyState() override { return kReadyStateComplete; }
  std::string LocationURL() override { return "about:blank"; }
  std::optional<PageDocument> Document() override { return std::nullopt; }
  void SetMode(BrowserMode) override {}
};

class RecordingWindow : public RunWindow {
 public:
  void ShowPictureRows(const std::vector<PictureEntry>& rows) override {
    Rows = rows;
    Statuses.clear();
  }
  void AddPictureRow(const PictureEntry& row) override { Rows.push_back(row); }
  void SetPictureRowStatus(int row, const std::string& status) override { Statuses[row] = status; }
  void SetPictureRowLink(int, const std::string&) override {}
  void SetGridVisible(bool visible) override { GridVisible = visible; }
  std::string PictureRowStatus(int row) const override {
    const auto found = Statuses.find(row);
    return found != Statuses.end() ? found->second : "";
  }
  std::vector<PictureEntry> Rows;
  std::map<int, std::string> Statuses;  // by row, the last one set
  bool GridVisible = true;
};

}  // namespace vexilo::test

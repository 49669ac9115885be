#pragma once
// A picture grid view that records what the picture commands show, for tests without a
// display. OnBuildStep runs where the real grid lets pending events run.

#include <functional>
#include <string>
#include <vector>

#include "pictures/PictureGridView.h"

namespace vexilo::test {

class RecordingGrid : public PictureGridView {
 public:
  void ClearGrid() override { Captions.clear(); }
  void AddGridItem(const std::string& caption) override { Captions.push_back(caption); }
  void ReplaceGridItem(int index, const std::string& caption) override {
    Captions.at(static_cast<std::size_t>(index)) = caption;
  }
  void RemoveGridItem(int index) override {
    Captions.erase(Captions.begin() + static_cast<std::ptrdiff_t>(index));
  }
  void BeginBuild(int count) override {
    Captions.clear();
    Building = true;
    Built.push_back(count);
  }
  void BuildStep(int index) override {
    if (OnBuildStep) OnBuildStep(index);
  }
  void BuildWaits() override {}
  void EndBuild() override { Building = false; }
  int PreviewSide() const override { return 210; }
  void ShowPreview(const Bitmap24& pixels, int fullWidth, int fullHeight) override {
    Previews.push_back({pixels.Width(), pixels.Height(), fullWidth, fullHeight});
  }
  void HidePreview() override { ++PreviewHides; }
  std::uint32_t ButtonFace() const override { return 0xC0C0C0; }

  std::vector<std::string> Captions;  // the grid's items now
  std::vector<int> Built;             // the count of every build begun
  std::vector<std::vector<int>> Previews;
  int PreviewHides = 0;
  bool Building = false;
  std::function<void(int)> OnBuildStep;
};

}  // namespace vexilo::test

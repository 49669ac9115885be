// Time of writing a whole gallery (thumbnails, copies, pages) of every file of a folder into a
// fresh folder. run-bench.sh runs it beside cp of the same files.
//   gallery_bench <template> <picture folder> <gallery folder>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "gallery/GalleryGenerator.h"

namespace {

class Quiet : public vexilo::DesktopShell, public vexilo::UserPrompts {
 public:
  bool Open(const std::string&) override { return true; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void SetClipboardText(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void ShowErrorWithYes(const std::string& text) override { ShowError(text); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <template> <picture folder> <gallery folder>\n", argv[0]);
    return 2;
  }
  vexilo::TImageFileList pictures;
  pictures.ScanFolder(argv[2]);
  const vexilo::Bitmap24 thumbnail(80, 80);
  Quiet quiet;
  const auto start = std::chrono::steady_clock::now();
  vexilo::WriteGallery({argv[3], argv[1], pictures,
                        [&](int) -> const vexilo::Bitmap24& { return thumbnail; }, quiet, quiet},
                       argv[3]);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("gallery of %d pictures: %.3f s\n", pictures.Count(), took.count());
}

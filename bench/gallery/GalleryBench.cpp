// Time of a whole gallery of every picture of a folder into a fresh folder: the thumbnails made
// as the grid makes them, then the gallery written (small bitmaps, copies, pages). run-bench.sh
// runs it beside cp of the same files.
//   gallery_bench <template> <picture folder> <gallery folder>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "gallery/GalleryGenerator.h"
#include "pictures/ThumbnailMaker.h"

namespace {

constexpr std::uint32_t kFace = 0xF0F0F0;

class Quiet : public vexilo::DesktopShell, public vexilo::UserPrompts {
 public:
  bool Open(const std::string&) override { return true; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void SetClipboardText(const std::string&) override {}
  bool MoveToTrash(const std::string&) override { return false; }
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
  Quiet quiet;
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  // An unreadable picture ends the run: the folder is meant to hold real pictures only.
  std::vector<vexilo::Bitmap24> thumbnails;
  for (const std::string& path : pictures.Paths()) {
    thumbnails.push_back(vexilo::MakeFileThumbnail(path, kFace));
  }
  const auto made = Clock::now();
  const auto thumbnailOf = [&](int i) { return thumbnails.at(static_cast<std::size_t>(i)); };
  vexilo::WriteGallery({argv[3], "", argv[1], pictures, thumbnailOf, quiet, quiet}, argv[3]);
  const std::chrono::duration<double> making = made - start;
  const std::chrono::duration<double> writing = Clock::now() - made;
  std::printf("gallery of %d pictures: thumbnails %.3f s, gallery written %.3f s\n",
              pictures.Count(), making.count(), writing.count());
}

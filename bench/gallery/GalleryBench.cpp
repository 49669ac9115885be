// Time of a whole gallery of every picture of a folder into a fresh folder: the thumbnails made
// as the grid makes them, then the gallery written (small bitmaps, copies, pages). run-bench.sh
// runs it beside cp of the same files. With --modern, the modern gallery (1x and 2x WebP and
// JPEG thumbnails on every core, copies, index.html), with --modern-jpeg the same without
// WebP; run-modern-bench.sh runs them beside vipsthumbnail making the same sizes.
//   gallery_bench <template> <picture folder> <gallery folder>
//   gallery_bench --modern|--modern-jpeg <picture folder> <gallery folder> [threads]

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gallery/GalleryGenerator.h"
#include "gallery/ModernGallery.h"
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

int ModernMain(int argc, char** argv) {
  vexilo::TImageFileList pictures;
  pictures.ScanFolder(argv[2]);
  vexilo::ModernGalleryParts parts;
  for (const std::string& path : pictures.Paths()) parts.Pictures.push_back({path});
  parts.Title = "Benchmark";
  parts.Webp = std::string(argv[1]) != "--modern-jpeg";
  if (argc > 4) parts.Threads = static_cast<unsigned>(std::stoul(argv[4]));
  const auto start = std::chrono::steady_clock::now();
  const vexilo::ModernGalleryResult result = vexilo::WriteModernGallery(parts, argv[3]);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf(
      "modern gallery of %d pictures (%d with thumbnails, %d copied): %.3f s, %.2f ms a "
      "picture\n",
      pictures.Count(), result.Thumbnails, result.Copied, took.count(),
      1000 * took.count() / std::max(pictures.Count(), 1));
  return result.Thumbnails == pictures.Count() ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc >= 4 &&
      (std::string(argv[1]) == "--modern" || std::string(argv[1]) == "--modern-jpeg")) {
    return ModernMain(argc, argv);
  }
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

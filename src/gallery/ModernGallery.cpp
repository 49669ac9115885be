#include "gallery/ModernGallery.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <fstream>
#include <thread>

#include "core/CopyNewFile.h"
#include "core/Errors.h"
#include "core/LineFile.h"
#include "core/PictureHeader.h"
#include "gallery/ModernGalleryPage.h"
#include "pictures/DecodePicture.h"
#include "pictures/JpegWriter.h"
#include "pictures/ShrinkBitmap.h"
#include "pictures/WebpWriter.h"

namespace vexilo {
namespace {

// A JPEG's frame header may sit behind an EXIF block of up to 64 KB.
constexpr std::size_t kHeaderBytes = 64 * 1024 + 1024;

// A folder of ours inside the gallery: made when missing, and never a link, so that nothing
// is written where a planted link points.
void OwnFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    throw FileError("Cannot create folder " + folder.string());
  }
}

// The long side the reduced decode must keep so that the 2x thumbnail's height is there
// whichever way the picture is turned: 0 (full size) when the header gives no size.
int DecodeLongSide(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string head(kHeaderBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
  const std::optional<PictureDimensions> size = ReadPictureDimensions(head);
  if (!size || size->Width <= 0 || size->Height <= 0) return 0;
  const std::int64_t longSide = std::max(size->Width, size->Height);
  const std::int64_t shortSide = std::min(size->Width, size->Height);
  const std::int64_t needed =
      (std::int64_t{2} * kModernThumbHeight * longSide + shortSide - 1) / shortSide;
  return static_cast<int>(std::min<std::int64_t>(needed, kMaxPictureSide));
}

// Decodes the picture once and writes both thumbnails in both formats; entry gets the sizes.
// A picture that fails keeps a zero thumbnail size; one whose WebP fails keeps its JPEGs.
void MakeThumbnails(const std::string& path, const std::filesystem::path& thumbs, int i,
                    DecodeBudget& budget, bool webp, ModernGalleryEntry& entry) {
  Bitmap24 large;
  Bitmap24 small;
  {
    // Declared first, so the decoded picture is freed before its pixels go back.
    DecodeLease lease(budget);
    const ReducedPicture picture = DecodeReducedPicture(path, DecodeLongSide(path), &lease);
    entry.Width = picture.FullWidth;
    entry.Height = picture.FullHeight;
    const ThumbSize size2 = ModernThumbSize(picture.FullWidth, picture.FullHeight, 2);
    const ThumbSize size1 = ModernThumbSize(picture.FullWidth, picture.FullHeight, 1);
    large = ShrinkToFit(picture.Pixels, std::max(size2.Width, size2.Height));
    small = ShrinkToFit(large, std::max(size1.Width, size1.Height));
  }
  // The thumbnails are small: encoding them needs none of the decode budget.
  ReplaceFileText(thumbs / ModernThumbName(i, 1), EncodeJpeg(small));
  ReplaceFileText(thumbs / ModernThumbName(i, 2), EncodeJpeg(large));
  entry.Thumb = {small.Width(), small.Height()};
  if (!webp) return;
  try {
    ReplaceFileText(thumbs / ModernThumbName(i, 1, ThumbFormat::Webp), EncodeWebp(small));
    ReplaceFileText(thumbs / ModernThumbName(i, 2, ThumbFormat::Webp), EncodeWebp(large));
    entry.Webp = true;
  } catch (const std::exception&) {
    // The JPEGs are enough for every browser.
    entry.Webp = false;
  }
}

}  // namespace

std::string MakingGalleryText(int done, int count) {
  return "Making the gallery: " + std::to_string(done) + " of " + std::to_string(count) +
         " pictures";
}

ModernGalleryResult WriteModernGallery(const ModernGalleryParts& parts,
                                       const std::filesystem::path& folder) {
  OwnFolder(folder);
  const std::filesystem::path thumbs = folder / kModernThumbFolder;
  const std::filesystem::path copies = folder / kModernPictureFolder;
  if (!parts.Pictures.empty()) {
    OwnFolder(thumbs);
    OwnFolder(copies);
  }
  DecodeBudget& budget = parts.Budget != nullptr ? *parts.Budget : DecodeBudget::Shared();
  const std::size_t count = parts.Pictures.size();
  std::vector<ModernGalleryEntry> entries(count);
  std::atomic<std::size_t> next{0};
  std::atomic<int> copied{0};
  std::atomic<int> done{0};
  std::atomic<unsigned> running{0};
  unsigned threads = parts.Threads != 0 ? parts.Threads : std::thread::hardware_concurrency();
  threads =
      std::clamp<unsigned>(threads, 1, static_cast<unsigned>(std::max<std::size_t>(count, 1)));
  running = threads;
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (std::size_t i = next++; i < count; i = next++) {
        const std::string& path = parts.Pictures[i].Path;
        ModernGalleryEntry& entry = entries[i];
        entry.FileName = std::filesystem::path(path).filename().string();
        entry.Address = parts.Pictures[i].Address;
        entry.Page = parts.Pictures[i].Page;
        try {
          MakeThumbnails(path, thumbs, static_cast<int>(i), budget, parts.Webp, entry);
        } catch (const std::exception&) {
          // Unreadable, out of memory or not writable: the name stands in for it.
          entry.Thumb = {};
          entry.Webp = false;
        }
        // An existing copy is kept; a picture that cannot be copied is left out.
        if (CopyNewFile(path, copies / entry.FileName)) ++copied;
        ++done;
      }
      --running;
    });
  }
  if (parts.Waiting) {
    while (running.load() > 0) parts.Waiting(done.load());
  }
  for (std::thread& worker : workers) worker.join();

  ModernGalleryResult result;
  result.Index = folder / kModernIndexFile;
  result.Copied = copied.load();
  result.Thumbnails = static_cast<int>(
      std::count_if(entries.begin(), entries.end(),
                    [](const ModernGalleryEntry& e) { return e.Thumb.Width > 0; }));
  ReplaceFileText(result.Index, ModernGalleryPage(parts.Title, entries));
  return result;
}

}  // namespace vexilo

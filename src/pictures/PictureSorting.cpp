#include "pictures/PictureSorting.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <vector>

#include "core/PictureHeader.h"
#include "core/TextRules.h"
#include "pictures/PictureKind.h"

namespace vexilo {
namespace {

// Most headers give the size in the first few KiB; only a large EXIF block asks for more.
constexpr std::size_t kFirstHeaderBytes = 4 * 1024;
constexpr std::size_t kMostHeaderBytes = 64 * 1024;

std::int64_t ModifiedKey(const std::string& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  return error ? INT64_MIN : static_cast<std::int64_t>(time.time_since_epoch().count());
}

std::int64_t SizeKey(const std::string& path) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  return error ? -1 : static_cast<std::int64_t>(bytes);
}

struct SortKey {
  std::int64_t Number = 0;
  std::string Text;  // lower-cased name, and for the kind its ending before it
};

}  // namespace

std::int64_t HeaderPixelCount(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return 0;
  std::string head;
  for (std::size_t want : {kFirstHeaderBytes, kMostHeaderBytes}) {
    const std::size_t had = head.size();
    head.resize(want);
    file.read(head.data() + had, static_cast<std::streamsize>(want - had));
    head.resize(had + static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    if (auto size = ReadPictureDimensions(head)) {
      return static_cast<std::int64_t>(size->Width) * size->Height;
    }
    if (head.size() < want) break;  // the whole file was read
  }
  return 0;
}

void SortPictures(TImageFileList& pictures, GridOrder order) {
  const std::vector<PictureItem>& items = pictures.Items();
  std::vector<SortKey> keys(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& path = items[i].Path;
    SortKey& key = keys[i];
    key.Text = LowerAscii(std::filesystem::path(path).filename().string());
    switch (order.By) {
      case PictureOrder::Name:
        break;
      case PictureOrder::Modified:
        key.Number = ModifiedKey(path);
        break;
      case PictureOrder::Size:
        key.Number = SizeKey(path);
        break;
      case PictureOrder::Dimensions:
        key.Number = HeaderPixelCount(path);
        break;
      case PictureOrder::Kind:
        key.Text = PictureExtension(path) + '/' + key.Text;
        break;
    }
  }
  std::vector<std::size_t> place(items.size());
  std::iota(place.begin(), place.end(), std::size_t{0});
  std::stable_sort(place.begin(), place.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a].Number != keys[b].Number) return keys[a].Number < keys[b].Number;
    if (keys[a].Text != keys[b].Text) return keys[a].Text < keys[b].Text;
    return items[a].Path < items[b].Path;
  });
  if (order.Reversed) std::reverse(place.begin(), place.end());
  pictures.Reorder(place);
}

}  // namespace vexilo

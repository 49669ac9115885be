#include "downloader/DownloadedPictureChecks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "core/ContentHash.h"
#include "core/PictureHeader.h"

namespace vexilo {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
// As much of a file as its size is read from: what the probe before the download fetches.
constexpr std::size_t kHeaderBytes = 64 * 1024;

// A hash match is confirmed byte by byte: only equal files count as copies.
bool SameBytes(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::file_size(a, error) != std::filesystem::file_size(b, error) || error) {
    return false;
  }
  std::ifstream first(a, std::ios::binary);
  std::ifstream second(b, std::ios::binary);
  std::vector<char> one(kChunk);
  std::vector<char> two(kChunk);
  while (first && second) {
    first.read(one.data(), static_cast<std::streamsize>(one.size()));
    second.read(two.data(), static_cast<std::streamsize>(two.size()));
    if (first.gcount() != second.gcount() ||
        !std::equal(one.begin(), one.begin() + first.gcount(), two.begin())) {
      return false;
    }
  }
  return !first.bad() && !second.bad() && first.eof() && second.eof();
}

}  // namespace

DownloadedPictureChecks::DownloadedPictureChecks(PictureCheckRules rules,
                                                 std::vector<std::string> earlierPictures,
                                                 std::unordered_set<std::uint64_t> knownContents)
    : mRules(rules),
      mEarlierPictures(std::move(earlierPictures)),
      mKnownContents(std::move(knownContents)) {}

std::string DownloadedPictureChecks::Check(const std::string& savedPath) {
  std::string reason;
  if (TooSmall(savedPath)) {
    reason = "too small";
  } else if (!mKnownContents.empty() && Known(savedPath)) {
    reason = "duplicate";
  } else if (mRules.KeepOneCopy) {
    std::lock_guard lock(mLock);
    if (SeenBefore(savedPath)) reason = "duplicate";
  }
  if (reason.empty()) return "";
  std::error_code error;
  // A file that cannot be removed is kept, and shown like any picture.
  if (!std::filesystem::remove(savedPath, error) || error) return "";
  return reason;
}

bool DownloadedPictureChecks::TooSmall(const std::string& path) const {
  if (!mRules.RealSizeFilter || (mRules.MinWidth <= 0 && mRules.MinHeight <= 0)) return false;
  std::ifstream file(path, std::ios::binary);
  std::string head(kHeaderBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
  std::optional<PictureDimensions> size = ReadPictureDimensions(head);
  return size && ((mRules.MinWidth > 0 && size->Width < mRules.MinWidth) ||
                  (mRules.MinHeight > 0 && size->Height < mRules.MinHeight));
}

bool DownloadedPictureChecks::Known(const std::string& path) const {
  std::optional<std::uint64_t> hash = ContentHashOf(path);
  return hash && mKnownContents.contains(*hash);
}

bool DownloadedPictureChecks::SeenBefore(const std::string& path) {
  for (const std::string& earlier : mEarlierPictures) {
    if (std::optional<std::uint64_t> hash = ContentHashOf(earlier)) mSeen.emplace(*hash, earlier);
  }
  mEarlierPictures = {};
  std::optional<std::uint64_t> hash = ContentHashOf(path);
  if (!hash) return false;
  auto [first, last] = mSeen.equal_range(*hash);
  for (auto it = first; it != last; ++it) {
    if (it->second != path && SameBytes(it->second, path)) return true;
  }
  mSeen.emplace(*hash, path);
  return false;
}

}  // namespace vexilo

#include "downloader/DownloadedPictureChecks.h"

#include <xxhash.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>

#include "core/PictureHeader.h"

namespace vexilo {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
// As much of a file as its size is read from: what the probe before the download fetches.
constexpr std::size_t kHeaderBytes = 64 * 1024;

std::optional<std::uint64_t> HashOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                 &XXH3_freeState);
  if (!state || XXH3_64bits_reset(state.get()) != XXH_OK) return std::nullopt;
  std::vector<char> buffer(kChunk);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    XXH3_64bits_update(state.get(), buffer.data(), static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) return std::nullopt;
  return XXH3_64bits_digest(state.get());
}

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
                                                 std::vector<std::string> earlierPictures)
    : mRules(rules), mEarlierPictures(std::move(earlierPictures)) {}

std::string DownloadedPictureChecks::Check(const std::string& savedPath) {
  std::string reason;
  if (TooSmall(savedPath)) {
    reason = "too small";
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

bool DownloadedPictureChecks::SeenBefore(const std::string& path) {
  for (const std::string& earlier : mEarlierPictures) {
    if (std::optional<std::uint64_t> hash = HashOf(earlier)) mSeen.emplace(*hash, earlier);
  }
  mEarlierPictures = {};
  std::optional<std::uint64_t> hash = HashOf(path);
  if (!hash) return false;
  auto [first, last] = mSeen.equal_range(*hash);
  for (auto it = first; it != last; ++it) {
    if (it->second != path && SameBytes(it->second, path)) return true;
  }
  mSeen.emplace(*hash, path);
  return false;
}

}  // namespace vexilo

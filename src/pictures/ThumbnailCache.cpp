#include "pictures/ThumbnailCache.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "core/WriteAll.h"
#include "pictures/PngDecoder.h"
#include "pictures/PngText.h"
#include "pictures/PngWriter.h"

namespace vexilo {

namespace {

// Far more than any 256-pixel PNG: a larger entry is not read.
constexpr off_t kMostEntryBytes = 1 << 20;

std::mutex gFolderMutex;
std::filesystem::path gFolder;

bool KeptInUri(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("/-._~!$&'()*+,;=:@[]").find(static_cast<char>(c)) !=
         std::string_view::npos;
}

// A whole decimal number and nothing else.
std::optional<std::int64_t> WholeNumber(const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// The entry's bytes, when it is a plain file of a plausible size; a link, a pipe or a
// device placed there is not opened or not read.
std::optional<std::string> ReadEntry(const std::filesystem::path& entry) {
  const int fd = ::open(entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMostEntryBytes) {
    std::string data(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    while (done < data.size()) {
      const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    if (done == data.size()) bytes = std::move(data);
  }
  ::close(fd);
  return bytes;
}

// Makes a missing folder owner-only; true when it is there.
bool MakeFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0700) == 0) return true;
  std::error_code error;
  return errno == EEXIST && std::filesystem::is_directory(folder, error);
}

}  // namespace

std::filesystem::path ThumbnailCacheFolderFor(const char* xdgCacheHome, const char* home) {
  std::filesystem::path cacheHome;
  if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/') {
    cacheHome = xdgCacheHome;
  } else if (home != nullptr && home[0] == '/') {
    cacheHome = std::filesystem::path(home) / ".cache";
  } else {
    return {};
  }
  return cacheHome / "thumbnails" / "normal";
}

void UseThumbnailCacheFolder(std::filesystem::path folder) {
  std::lock_guard lock(gFolderMutex);
  gFolder = std::move(folder);
}

std::filesystem::path ThumbnailCacheFolder() {
  std::lock_guard lock(gFolderMutex);
  return gFolder;
}

std::filesystem::path LargeThumbnailCacheFolder(const std::filesystem::path& normalFolder) {
  if (normalFolder.empty()) return {};
  return normalFolder.parent_path() / "large";
}

std::string FileUri(const std::filesystem::path& absolutePath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char byte : absolutePath.string()) {
    const auto c = static_cast<unsigned char>(byte);
    if (KeptInUri(c)) {
      uri += byte;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri;
}

std::string ThumbnailCacheName(const std::string& uri) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(uri.data(), uri.size(), digest, &length, EVP_md5(), nullptr)) {
    throw std::bad_alloc();
  }
  std::string name;
  for (unsigned int i = 0; i < length; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", digest[i]);
    name += hex;
  }
  return name + ".png";
}

ThumbnailCache::ThumbnailCache(std::filesystem::path folder, int side)
    : mFolder(std::move(folder)), mSide(side) {}

std::optional<ThumbnailCache::Key> ThumbnailCache::KeyOf(
    const std::filesystem::path& picture) const {
  if (mFolder.empty()) return std::nullopt;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(picture, error);
  struct stat info {};
  if (error || ::stat(absolute.c_str(), &info) != 0) return std::nullopt;
  const std::string thumbnails = mFolder.parent_path().string() + "/";
  if (absolute.string().compare(0, thumbnails.size(), thumbnails) == 0) return std::nullopt;
  Key key;
  key.Uri = FileUri(absolute);
  key.Entry = mFolder / ThumbnailCacheName(key.Uri);
  key.ModifiedTime = info.st_mtime;
  key.Size = static_cast<std::uintmax_t>(info.st_size);
  return key;
}

std::optional<ReducedPicture> ThumbnailCache::Read(const std::filesystem::path& picture) const {
  try {
    const std::optional<Key> key = KeyOf(picture);
    if (!key) return std::nullopt;
    const std::optional<std::string> png = ReadEntry(key->Entry);
    if (!png) return std::nullopt;
    const std::map<std::string, std::string> texts = ReadPngText(*png);
    auto text = [&](const char* keyword) {
      auto found = texts.find(keyword);
      return found == texts.end() ? std::string() : found->second;
    };
    const auto modified = WholeNumber(text("Thumb::MTime"));
    const auto width = WholeNumber(text("Thumb::Image::Width"));
    const auto height = WholeNumber(text("Thumb::Image::Height"));
    if (text("Thumb::URI") != key->Uri || modified != key->ModifiedTime || !width || !height ||
        !PictureSizeAllowed(*width, *height)) {
      return std::nullopt;
    }
    ReducedPicture normal{DecodePngBytes(*png, key->Entry.string()),
                          static_cast<int>(*width),
                          static_cast<int>(*height),
                          {}};
    const std::int64_t w = normal.Pixels.Width();
    const std::int64_t h = normal.Pixels.Height();
    const std::int64_t fullLong = std::max(*width, *height);
    // Not larger than the picture or the size, nor so small that the grid would show its
    // pixels, and the picture's shape within a pixel of rounding.
    if (w > *width || h > *height || std::max(w, h) > mSide ||
        std::max(w, h) < std::min<std::int64_t>(fullLong, mSide / 2) ||
        std::abs(w * *height - h * *width) > fullLong) {
      return std::nullopt;
    }
    return normal;
  } catch (const std::exception&) {
    return std::nullopt;  // unreadable pixels or no memory: decode the picture instead
  }
}

void ThumbnailCache::Write(const std::filesystem::path& picture,
                           const ReducedPicture& normal) const {
  std::string temporary;
  try {
    const std::optional<Key> key = KeyOf(picture);
    if (!key) return;
    const std::string png = WithPngText(
        EncodePng(normal.Pixels), {{"Thumb::URI", key->Uri},
                                   {"Thumb::MTime", std::to_string(key->ModifiedTime)},
                                   {"Thumb::Size", std::to_string(key->Size)},
                                   {"Thumb::Image::Width", std::to_string(normal.FullWidth)},
                                   {"Thumb::Image::Height", std::to_string(normal.FullHeight)},
                                   {"Software", "Vexilo"}});
    const std::filesystem::path thumbnails = mFolder.parent_path();
    if (!MakeFolder(thumbnails.parent_path()) || !MakeFolder(thumbnails) || !MakeFolder(mFolder)) {
      return;
    }
    temporary = (mFolder / ("." + key->Entry.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());  // owner-only
    if (fd < 0) {
      temporary.clear();
      return;
    }
    const bool written = WriteAll(fd, png.data(), png.size());
    if (::close(fd) == 0 && written && ::rename(temporary.c_str(), key->Entry.c_str()) == 0) {
      temporary.clear();
    }
  } catch (const std::exception&) {
    // No memory or a size PNG cannot hold: no entry.
  }
  if (!temporary.empty()) ::unlink(temporary.c_str());
}

}  // namespace vexilo

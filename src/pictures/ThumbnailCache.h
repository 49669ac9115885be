#pragma once
// The desktop's shared thumbnail cache ("normal" size): a 128-pixel PNG per picture, named by
// the MD5 of the picture's file URI, carrying the URI, the picture's modification time and
// its full size as PNG text. A fresh entry stands in for decoding the picture; after a
// decode the maker writes one, so a second listing, and the file manager, cost little.
// Entries from other programs are read too; one that is stale, names another file, lacks
// the full size or does not read is ignored (and then written anew). Any thread.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The long side of a "normal" entry, and of a "large" one (kept beside, in "large").
inline constexpr int kNormalThumbnailSide = 128;
inline constexpr int kLargeThumbnailSide = 256;

// The entries' folder: $XDG_CACHE_HOME/thumbnails/normal when that variable holds an
// absolute path, else $HOME/.cache/thumbnails/normal; empty (no cache) without either.
std::filesystem::path ThumbnailCacheFolderFor(const char* xdgCacheHome, const char* home);

// The process-wide folder the thumbnail maker uses; empty, the default, turns the cache
// off. The program sets it at start-up from its environment.
void UseThumbnailCacheFolder(std::filesystem::path folder);
std::filesystem::path ThumbnailCacheFolder();
// The "large" folder beside a "normal" one; empty when that is.
std::filesystem::path LargeThumbnailCacheFolder(const std::filesystem::path& normalFolder);

// "file://" and the absolute path, percent-encoded except for letters, digits, "/" and
// "-._~!$&'()*+,;=:@[]", as file managers write it.
std::string FileUri(const std::filesystem::path& absolutePath);
// The entry's file name: the MD5 of the URI in lower-case hex, then ".png".
std::string ThumbnailCacheName(const std::string& uri);

class ThumbnailCache {
 public:
  // folder empty: a cache that finds nothing and writes nothing. side: the entries' long
  // side, kNormalThumbnailSide or kLargeThumbnailSide as the folder is.
  explicit ThumbnailCache(std::filesystem::path folder, int side = kNormalThumbnailSide);

  // The picture's thumbnail and full size from a fresh entry, or nothing.
  std::optional<ReducedPicture> Read(const std::filesystem::path& picture) const;
  // Keeps `normal` (long side at most the entries' side, with the picture's full size) as
  // the picture's entry: written to a temporary file and renamed over, owner-only. Quietly
  // does nothing when the entry cannot be written.
  void Write(const std::filesystem::path& picture, const ReducedPicture& normal) const;

 private:
  struct Key {
    std::string Uri;
    std::filesystem::path Entry;
    std::int64_t ModifiedTime = 0;
    std::uintmax_t Size = 0;
  };
  // Nothing when the cache is off, the picture cannot be stat'ed, or it lies in the
  // thumbnail folders themselves (thumbnails are not made of thumbnails).
  std::optional<Key> KeyOf(const std::filesystem::path& picture) const;

  std::filesystem::path mFolder;
  int mSide;
};

}  // namespace vexilo

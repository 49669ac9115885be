#pragma once
// The page of the modern gallery: every picture on one index.html as a justified grid of
// lazily loaded thumbnails, each a plain link to its picture, and a lightbox of a few
// kilobytes of inline script over them (keys, swipe, captions). No external file, no request
// beyond the gallery's own folder. Any thread.

#include <string>
#include <vector>

namespace vexilo {

// The 1x thumbnail is about this high; the 2x one twice that.
inline constexpr int kModernThumbHeight = 240;
// A panorama's 1x thumbnail is at most this wide (its height then less).
inline constexpr int kModernThumbMaxWidth = 960;

struct ThumbSize {
  int Width = 0;
  int Height = 0;

  bool operator==(const ThumbSize&) const = default;
};

// The thumbnail of a picture of width x height at scale 1 or 2: kModernThumbHeight x scale
// high, kModernThumbMaxWidth x scale wide at most, the aspect ratio kept, rounded, at least
// 1 x 1, and never larger than the picture. Zero for a size that is no size.
ThumbSize ModernThumbSize(int width, int height, int scale);

// One picture as the page shows it.
struct ModernGalleryEntry {
  std::string FileName;  // its name in pictures/, as it is on disk
  int Width = 0;         // the picture's pixel size; 0 when it could not be read
  int Height = 0;
  ThumbSize Thumb;      // the 1x thumbnail's size; zero when it has none
  bool Webp = false;    // WebP thumbnails were written beside the JPEG ones
  std::string Address;  // where a task's picture came from, or empty
  std::string Page;     // the page it was found on, or empty
};

inline constexpr const char* kModernIndexFile = "index.html";
inline constexpr const char* kModernThumbFolder = "thumbs";
inline constexpr const char* kModernPictureFolder = "pictures";

enum class ThumbFormat { Jpeg, Webp };

// <i>.jpg and <i>-2x.jpg in thumbs/ for entry i; .webp for the WebP ones.
std::string ModernThumbName(int i, int scale, ThumbFormat format = ThumbFormat::Jpeg);

// The whole index.html. Names, title and addresses are escaped and made valid UTF-8; an
// address that is no http or https address is left out.
std::string ModernGalleryPage(const std::string& title,
                              const std::vector<ModernGalleryEntry>& entries);

}  // namespace vexilo

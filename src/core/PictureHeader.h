#pragma once
// What a picture's first bytes say about it: its kind by its signature. The decoders, the
// folder listing and the downloads all tell a picture's kind from its bytes here.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vexilo {

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, WebP, Avif };

// How many first bytes every signature below fits in.
inline constexpr std::size_t kSignatureBytes = 32;

// The kind the bytes' signature names; the first kSignatureBytes are enough.
PictureFormat SniffPictureFormat(std::string_view firstBytes);

struct PictureDimensions {
  int Width = 0;
  int Height = 0;

  bool operator==(const PictureDimensions&) const = default;
};

// The size a picture's header gives, read from its first bytes (a JPEG's first frame header,
// a PNG's IHDR, a GIF's logical screen, a bitmap's header, a WebP's first chunk, an AVIF's
// largest image spatial extent). nullopt when those bytes do not hold it or make no sense:
// a cut-off header is never guessed at.
std::optional<PictureDimensions> ReadPictureDimensions(std::string_view firstBytes);

}  // namespace vexilo

#pragma once
// What a picture's first bytes say about it: its kind by its signature. The decoders, the
// folder listing and the downloads all tell a picture's kind from its bytes here.

#include <string_view>

namespace vexilo {

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, WebP, Avif };

// The kind the bytes' signature names; the first 32 bytes are enough.
PictureFormat SniffPictureFormat(std::string_view firstBytes);

}  // namespace vexilo

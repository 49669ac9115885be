#pragma once
// How a picture file's kind is told from its name alone: the extension is the part of the
// name from its last "." on, taken only when that "." follows the last "/", compared after
// lower-casing A to Z.

#include <string>
#include <string_view>

#include "core/PictureHeader.h"

namespace vexilo {

// Lower-case extension with its dot (".jpg"), or "" when the name has none.
std::string PictureExtension(std::string_view path);

// ".jpg" or ".jpeg".
bool IsJpegFile(std::string_view path);
// ".gif".
bool IsGifFile(std::string_view path);
// ".png", ".webp" or ".avif".
bool IsModernPictureName(std::string_view path);
// One of the extensions a folder scan lists: ".bmp", ".gif", ".jpg", ".jpeg", and with the
// modern kinds of PictureReading.h on also the IsModernPictureName ones.
bool IsListedPictureName(std::string_view name);
// The decoder a name asks for: Jpeg, Gif, Png, WebP, Avif, and Bmp for every other name.
PictureFormat NamedPictureFormat(std::string_view path);

}  // namespace vexilo

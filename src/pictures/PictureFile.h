#pragma once
// Reads a whole picture file into memory for a decoder, refusing files too large to be a
// picture of the sizes Bitmap24.h allows. Raises PictureError.

#include <filesystem>
#include <string>

namespace vexilo {

std::string ReadPictureFile(const std::filesystem::path& path);

}  // namespace vexilo

#pragma once
// Reads a whole picture file into memory for a decoder, refusing files too large to be a
// picture of the sizes Bitmap24.h allows. Raises PictureError.

#include <filesystem>
#include <string>

namespace vexilo {

std::string ReadPictureFile(const std::filesystem::path& path);

// Up to the first `count` bytes of the file; "" when it cannot be read, which the decoder
// that reads the file then reports.
std::string ReadPictureStart(const std::filesystem::path& path, std::size_t count);

}  // namespace vexilo

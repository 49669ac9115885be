#include "pictures/PictureFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "pictures/Bitmap24.h"
#include "pictures/PictureError.h"

namespace vexilo {

namespace {

// An uncompressed 32-bit picture of the largest allowed size, plus room for headers.
constexpr std::uint64_t kMaxFileBytes = static_cast<std::uint64_t>(kMaxPicturePixels) * 4 + 65536;

}  // namespace

std::string ReadPictureFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw PictureError("Cannot open " + path.string() + ": " + std::strerror(errno));
  std::streamoff size = in.tellg();
  if (size < 0) throw PictureError("Cannot read " + path.string());
  if (static_cast<std::uint64_t>(size) > kMaxFileBytes) {
    throw PictureError("The file " + path.string() + " is too large for a picture");
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  in.read(bytes.data(), size);
  if (!in) throw PictureError("Cannot read " + path.string());
  return bytes;
}

std::string ReadPictureStart(const std::filesystem::path& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(in ? count : static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

}  // namespace vexilo

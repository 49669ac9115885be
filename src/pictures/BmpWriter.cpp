#include "pictures/BmpWriter.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <system_error>

#include "core/Errors.h"
#include "pictures/PictureError.h"

namespace vexilo {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

class LittleEndian {
 public:
  void U16(std::uint32_t value) { Put(value, 2); }
  void U32(std::uint32_t value) { Put(value, 4); }
  const std::string& Bytes() const { return mBytes; }

 private:
  void Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) mBytes.push_back(static_cast<char>(value >> (8 * i)));
  }
  std::string mBytes;
};

std::string Headers(const Bitmap24& bitmap) {
  auto imageSize = static_cast<std::uint32_t>(bitmap.SizeBytes());
  LittleEndian out;
  out.U16(0x4D42);  // "BM"
  out.U32(kFileHeaderSize + kInfoHeaderSize + imageSize);
  out.U32(0);
  out.U32(kFileHeaderSize + kInfoHeaderSize);
  out.U32(kInfoHeaderSize);
  out.U32(static_cast<std::uint32_t>(bitmap.Width()));
  out.U32(static_cast<std::uint32_t>(bitmap.Height()));  // positive: bottom-up
  out.U16(1);                                            // planes
  out.U16(24);
  out.U32(0);  // BI_RGB
  out.U32(imageSize);
  out.U32(2835);  // 72 dots per inch
  out.U32(2835);
  out.U32(0);
  out.U32(0);
  return out.Bytes();
}

}  // namespace

void WriteBmp(const Bitmap24& bitmap, const std::filesystem::path& path) {
  if (bitmap.Empty()) throw PictureError("An empty picture cannot be written to " + path.string());
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    std::string headers = Headers(bitmap);
    out.write(headers.data(), static_cast<std::streamsize>(headers.size()));
    out.write(reinterpret_cast<const char*>(bitmap.Bits()),
              static_cast<std::streamsize>(bitmap.SizeBytes()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw FileError("Cannot write the bitmap file " + path.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw FileError("Cannot write the bitmap file " + path.string());
  }
}

}  // namespace vexilo

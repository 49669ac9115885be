#include "pictures/PngText.h"

#include <zlib.h>

#include <cstdint>
#include <stdexcept>

namespace vexilo {

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr std::size_t kPngSignatureBytes = 8;
constexpr std::size_t kIhdrEnd = kPngSignatureBytes + 4 + 4 + 13 + 4;

std::uint32_t ReadBigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  }
  return value;
}

void AppendBigEndian(std::string& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(value >> shift));
}

bool HasSignature(const std::string& png) {
  return png.size() >= kPngSignatureBytes && png.compare(0, kPngSignatureBytes, kSignature) == 0;
}

}  // namespace

std::map<std::string, std::string> ReadPngText(const std::string& png) {
  std::map<std::string, std::string> texts;
  if (!HasSignature(png)) return texts;
  std::size_t at = kPngSignatureBytes;
  // Each chunk: length, type, data, CRC.
  while (png.size() - at >= 12) {
    const std::uint32_t length = ReadBigEndian(png, at);
    if (length > png.size() - at - 12) break;
    const std::string type = png.substr(at + 4, 4);
    if (type == "tEXt") {
      const std::string data = png.substr(at + 8, length);
      const std::size_t nul = data.find('\0');
      if (nul != std::string::npos && nul > 0)
        texts.emplace(data.substr(0, nul), data.substr(nul + 1));
    }
    if (type == "IEND") break;
    at += 12 + static_cast<std::size_t>(length);
  }
  return texts;
}

std::string WithPngText(const std::string& png,
                        const std::vector<std::pair<std::string, std::string>>& texts) {
  if (!HasSignature(png) || png.size() < kIhdrEnd || png.compare(12, 4, "IHDR") != 0 ||
      ReadBigEndian(png, kPngSignatureBytes) != 13) {
    throw std::invalid_argument("not a PNG starting with its header");
  }
  std::string chunks;
  for (const auto& [keyword, text] : texts) {
    if (keyword.empty() || keyword.size() > 79 || keyword.find('\0') != std::string::npos ||
        text.find('\0') != std::string::npos) {
      throw std::invalid_argument("a PNG text keyword or text that tEXt cannot hold");
    }
    const std::string body = "tEXt" + keyword + '\0' + text;
    AppendBigEndian(chunks, static_cast<std::uint32_t>(body.size() - 4));
    chunks += body;
    AppendBigEndian(chunks,
                    static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                     static_cast<uInt>(body.size()))));
  }
  std::string out = png;
  out.insert(kIhdrEnd, chunks);
  return out;
}

}  // namespace vexilo

#include "pictures/PackedBitmap.h"

#include <zlib.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace vexilo {

namespace {

std::size_t RowBytes(int width) { return static_cast<std::size_t>(width) * 3; }

// PNG's Paeth predictor from the byte on the left (a), above (b) and above-left (c).
std::uint8_t Predict(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// The predicted byte i of a row, from the row and the one above (nullptr for the top row).
std::uint8_t Predicted(const std::uint8_t* row, const std::uint8_t* above, std::size_t i) {
  const int left = i >= 3 ? row[i - 3] : 0;
  if (above == nullptr) return static_cast<std::uint8_t>(left);
  return Predict(left, above[i], i >= 3 ? above[i - 3] : 0);
}

}  // namespace

PackedBitmap::PackedBitmap(const Bitmap24& bitmap)
    : mWidth(bitmap.Width()), mHeight(bitmap.Height()) {
  if (bitmap.Empty()) return;
  const std::size_t rowBytes = RowBytes(mWidth);
  std::vector<std::uint8_t> deltas(rowBytes * static_cast<std::size_t>(mHeight));
  for (int y = 0; y < mHeight; ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    const std::uint8_t* above = y > 0 ? bitmap.Row(y - 1) : nullptr;
    std::uint8_t* out = deltas.data() + rowBytes * static_cast<std::size_t>(y);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      out[i] = static_cast<std::uint8_t>(row[i] - Predicted(row, above, i));
    }
  }
  // Run-length deflate: the frames' zero runs and Huffman codes for the rest, as small as
  // level 1 on these differences and faster.
  z_stream stream{};
  if (deflateInit2(&stream, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) throw std::bad_alloc();
  std::vector<std::uint8_t> packed(deflateBound(&stream, static_cast<uLong>(deltas.size())));
  stream.next_in = deltas.data();
  stream.avail_in = static_cast<uInt>(deltas.size());
  stream.next_out = packed.data();
  stream.avail_out = static_cast<uInt>(packed.size());
  const int result = deflate(&stream, Z_FINISH);
  deflateEnd(&stream);
  // The output has room for the whole stream: anything short of its end is want of memory.
  if (result != Z_STREAM_END) throw std::bad_alloc();
  mBytes.assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(stream.total_out));
}

Bitmap24 PackedBitmap::Unpack() const {
  Bitmap24 bitmap(mWidth, mHeight);
  if (bitmap.Empty()) return bitmap;
  const std::size_t rowBytes = RowBytes(mWidth);
  std::vector<std::uint8_t> deltas(rowBytes * static_cast<std::size_t>(mHeight));
  uLongf size = static_cast<uLongf>(deltas.size());
  if (uncompress(deltas.data(), &size, mBytes.data(), static_cast<uLong>(mBytes.size())) != Z_OK ||
      size != deltas.size()) {
    throw std::logic_error("a packed bitmap does not inflate to its size");
  }
  for (int y = 0; y < mHeight; ++y) {
    const std::uint8_t* in = deltas.data() + rowBytes * static_cast<std::size_t>(y);
    std::uint8_t* row = bitmap.Row(y);
    const std::uint8_t* above = y > 0 ? bitmap.Row(y - 1) : nullptr;
    for (std::size_t i = 0; i < rowBytes; ++i) {
      row[i] = static_cast<std::uint8_t>(in[i] + Predicted(row, above, i));
    }
  }
  return bitmap;
}

}  // namespace vexilo

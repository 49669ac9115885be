#include "pictures/BmpReader.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"

namespace vexilo {

namespace {

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kAlphaBitFields = 6,
};

// One channel of a bit-field pixel: where it sits and how to widen it to 8 bits.
struct Channel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;

  explicit Channel(std::uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    Max = mask >> Shift;
  }
  std::uint32_t Expand(std::uint32_t pixel) const {
    if (Max == 0) return 0;
    std::uint64_t value = (pixel & Mask) >> Shift;
    return static_cast<std::uint32_t>((value * 255 + Max / 2) / Max);
  }
};

class BmpParser {
 public:
  BmpParser(std::string_view bytes, const std::string& name, DecodeLease* lease)
      : mBytes(bytes), mName(name), mLease(lease) {}

  Bitmap24 Decode() {
    if (mBytes.size() < 18 || mBytes[0] != 'B' || mBytes[1] != 'M') Fail("not a Windows bitmap");
    std::uint32_t pixelOffset = U32(10);
    std::uint32_t headerSize = U32(14);
    ReadHeader(headerSize);
    if (!PictureSizeAllowed(mWidth, mHeight)) Fail(PictureSizeProblem(mWidth, mHeight));
    if (!PictureSizeFitsFile(mWidth, mHeight, mBytes.size())) {
      Fail(PictureBombProblem(mWidth, mHeight, mBytes.size()));
    }
    ReadPalette(14 + headerSize, pixelOffset);
    if (pixelOffset >= mBytes.size()) Fail("the file ends before its pixels");
    std::string_view pixels = mBytes.substr(pixelOffset);
    if (mCompression == kRle8 || mCompression == kRle4) return DecodeRle(pixels);
    return DecodeRows(pixels);
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw PictureError("Cannot read the bitmap file " + mName + ": " + why);
  }

  void Need(std::size_t offset, std::size_t count) const {
    if (offset > mBytes.size() || mBytes.size() - offset < count) Fail("the file is truncated");
  }
  std::uint32_t U16(std::size_t offset) const {
    Need(offset, 2);
    return static_cast<std::uint8_t>(mBytes[offset]) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(mBytes[offset + 1])) << 8;
  }
  std::uint32_t U32(std::size_t offset) const { return U16(offset) | U16(offset + 2) << 16; }

  void ReadHeader(std::uint32_t size) {
    mCoreHeader = size == 12;
    bool windows = size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
    bool os2v2 = !windows && size >= 16 && size <= 64;
    if (!mCoreHeader && !windows && !os2v2) Fail("unknown header size " + std::to_string(size));
    Need(14, size);
    if (mCoreHeader) {
      mWidth = U16(18);
      mHeight = U16(20);
      mBitCount = U16(24);
    } else {
      mWidth = static_cast<std::int32_t>(U32(18));
      std::int64_t height = static_cast<std::int32_t>(U32(22));
      mTopDown = height < 0;
      mHeight = mTopDown ? -height : height;
      mBitCount = U16(28);
      mCompression = size >= 20 ? U32(30) : kRgb;
      mColoursUsed = size >= 36 ? U32(46) : 0;
    }
    if (os2v2 && mCompression != kRgb && mCompression != kRle8 && mCompression != kRle4) {
      Fail("OS/2 Huffman and RLE24 compression are not supported");
    }
    std::size_t masksAt = 14 + 40;
    if (mCompression == kBitFields || mCompression == kAlphaBitFields) {
      if (mBitCount != 16 && mBitCount != 32) Fail("bit fields need 16 or 32 bits per pixel");
      // A 40-byte header keeps its masks after it; the longer ones hold them.
      if (size == 40) mMasksEnd = masksAt + (mCompression == kAlphaBitFields ? 16 : 12);
      mRed = Channel(U32(masksAt));
      mGreen = Channel(U32(masksAt + 4));
      mBlue = Channel(U32(masksAt + 8));
    } else if (mCompression == kRgb) {
      if (mBitCount == 16) {
        mRed = Channel(0x7C00), mGreen = Channel(0x03E0), mBlue = Channel(0x001F);
      } else if (mBitCount == 32) {
        mRed = Channel(0xFF0000), mGreen = Channel(0xFF00), mBlue = Channel(0xFF);
      } else if (mBitCount != 1 && mBitCount != 2 && mBitCount != 4 && mBitCount != 8 &&
                 mBitCount != 24) {
        Fail("unsupported bit count " + std::to_string(mBitCount));
      }
    } else if (!(mCompression == kRle8 && mBitCount == 8) &&
               !(mCompression == kRle4 && mBitCount == 4)) {
      Fail("unsupported compression " + std::to_string(mCompression));
    }
  }

  void ReadPalette(std::size_t headerEnd, std::uint32_t pixelOffset) {
    if (mBitCount > 8) return;
    std::size_t begin = mMasksEnd > headerEnd ? mMasksEnd : headerEnd;
    std::size_t entrySize = mCoreHeader ? 3 : 4;
    std::size_t count = std::size_t{1} << mBitCount;
    if (mColoursUsed != 0 && mColoursUsed < count) count = mColoursUsed;
    // A short palette ends where the pixels begin (or the file ends).
    std::size_t end =
        pixelOffset > begin && pixelOffset <= mBytes.size() ? pixelOffset : mBytes.size();
    if (end < begin) end = begin;
    if ((end - begin) / entrySize < count) count = (end - begin) / entrySize;
    mPalette.resize(std::size_t{1} << mBitCount, 0);
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t at = begin + i * entrySize;
      mPalette[i] = static_cast<std::uint32_t>(static_cast<std::uint8_t>(mBytes[at + 2])) << 16 |
                    static_cast<std::uint32_t>(static_cast<std::uint8_t>(mBytes[at + 1])) << 8 |
                    static_cast<std::uint8_t>(mBytes[at]);
    }
  }

  Bitmap24 NewBitmap() {
    if (mLease) mLease->Take(mWidth * mHeight);
    return Bitmap24(static_cast<int>(mWidth), static_cast<int>(mHeight));
  }

  int TargetRow(std::int64_t storedRow) const {
    return static_cast<int>(mTopDown ? storedRow : mHeight - 1 - storedRow);
  }

  Bitmap24 DecodeRows(std::string_view pixels) {
    std::size_t rowBytes = (static_cast<std::size_t>(mWidth) * mBitCount + 31) / 32 * 4;
    // The last row needs only its pixels, not its padding.
    std::size_t lastRow = (static_cast<std::size_t>(mWidth) * mBitCount + 7) / 8;
    if (pixels.size() / rowBytes < static_cast<std::size_t>(mHeight - 1) ||
        pixels.size() - rowBytes * static_cast<std::size_t>(mHeight - 1) < lastRow) {
      Fail("the file is truncated");
    }
    Bitmap24 bitmap = NewBitmap();
    for (std::int64_t stored = 0; stored < mHeight; ++stored) {
      const auto* row = reinterpret_cast<const std::uint8_t*>(pixels.data()) +
                        static_cast<std::size_t>(stored) * rowBytes;
      std::uint8_t* target = bitmap.Row(TargetRow(stored));
      if (mBitCount == 24) {
        std::memcpy(target, row, static_cast<std::size_t>(mWidth) * 3);
        continue;
      }
      for (int x = 0; x < mWidth; ++x) Put(target, x, PixelColour(row, x));
    }
    return bitmap;
  }

  std::uint32_t PixelColour(const std::uint8_t* row, int x) const {
    switch (mBitCount) {
      case 16: {
        const std::uint8_t* p = row + std::ptrdiff_t{2} * x;
        std::uint32_t pixel = p[0] | static_cast<std::uint32_t>(p[1]) << 8;
        return Compose(pixel);
      }
      case 32: {
        const std::uint8_t* p = row + std::ptrdiff_t{4} * x;
        return Compose(p[0] | static_cast<std::uint32_t>(p[1]) << 8 |
                       static_cast<std::uint32_t>(p[2]) << 16 |
                       static_cast<std::uint32_t>(p[3]) << 24);
      }
      default: {
        int bitsBefore = x * mBitCount;
        int index =
            row[bitsBefore / 8] >> (8 - mBitCount - bitsBefore % 8) & ((1 << mBitCount) - 1);
        return mPalette[static_cast<std::size_t>(index)];
      }
    }
  }

  std::uint32_t Compose(std::uint32_t pixel) const {
    return mRed.Expand(pixel) << 16 | mGreen.Expand(pixel) << 8 | mBlue.Expand(pixel);
  }

  static void Put(std::uint8_t* row, int x, std::uint32_t rgb) {
    std::uint8_t* p = row + std::ptrdiff_t{3} * x;
    p[0] = static_cast<std::uint8_t>(rgb);
    p[1] = static_cast<std::uint8_t>(rgb >> 8);
    p[2] = static_cast<std::uint8_t>(rgb >> 16);
  }

  // Runs and deltas that reach past the picture are cut off there; data that ends before
  // the end-of-bitmap code means the file is truncated.
  Bitmap24 DecodeRle(std::string_view data) {
    Bitmap24 bitmap = NewBitmap();
    const bool four = mCompression == kRle4;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t {
      if (at >= data.size()) Fail("the file is truncated");
      return static_cast<std::uint8_t>(data[at++]);
    };
    auto plot = [&](int index) {
      if (x < mWidth && y < mHeight) {
        Put(bitmap.Row(TargetRow(y)), static_cast<int>(x),
            mPalette[static_cast<std::size_t>(index)]);
      }
      ++x;
    };
    while (y < mHeight) {
      int count = next();
      int value = next();
      if (count > 0) {
        for (int i = 0; i < count && x < mWidth; ++i) {
          plot(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
        }
      } else if (value == 0) {
        x = 0;
        ++y;
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        x += next();
        y += next();
      } else {
        int byte = 0;
        for (int i = 0; i < value; ++i) {
          if (!four) {
            plot(next());
          } else {
            if (i % 2 == 0) byte = next();
            plot(i % 2 == 0 ? byte >> 4 : byte & 0x0F);
          }
        }
        std::size_t used =
            four ? (static_cast<std::size_t>(value) + 1) / 2 : static_cast<std::size_t>(value);
        if (used % 2 != 0) next();
      }
    }
    return bitmap;
  }

  std::string_view mBytes;
  const std::string& mName;
  DecodeLease* mLease;
  bool mCoreHeader = false;
  bool mTopDown = false;
  std::int64_t mWidth = 0;
  std::int64_t mHeight = 0;
  std::uint32_t mBitCount = 0;
  std::uint32_t mCompression = kRgb;
  std::uint32_t mColoursUsed = 0;
  std::size_t mMasksEnd = 0;
  Channel mRed, mGreen, mBlue;
  std::vector<std::uint32_t> mPalette;
};

}  // namespace

Bitmap24 DecodeBmpBytes(std::string_view bytes, const std::string& name, DecodeLease* lease) {
  return BmpParser(bytes, name, lease).Decode();
}

Bitmap24 DecodeBmp(const std::filesystem::path& path, DecodeLease* lease) {
  std::string bytes = ReadPictureFile(path);
  return DecodeBmpBytes(bytes, path.string(), lease);
}

}  // namespace vexilo

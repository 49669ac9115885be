#include "pictures/GifDecoder.h"

#include <gif_lib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "pictures/PictureError.h"

namespace vexilo {

namespace {

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

struct Transparency {
  bool Present = false;
  int Index = 0;
};

class GifReader {
 public:
  GifReader(const std::filesystem::path& path, DecodeLease* lease)
      : mPath(path.string()), mLease(lease) {
    int error = 0;
    mGif.reset(DGifOpenFileName(mPath.c_str(), &error));
    if (!mGif) Fail(error);
    std::error_code sizeError;
    mFileBytes = std::filesystem::file_size(path, sizeError);
    if (sizeError) mFileBytes = 0;
  }

  Bitmap24 ReadFirstImage() {
    if (!PictureSizeAllowed(mGif->SWidth, mGif->SHeight)) {
      Fail(PictureSizeProblem(mGif->SWidth, mGif->SHeight));
    }
    if (!PictureSizeFitsFile(mGif->SWidth, mGif->SHeight, mFileBytes)) {
      Fail(PictureBombProblem(mGif->SWidth, mGif->SHeight, mFileBytes));
    }
    Transparency transparency = SkipToFirstImage();
    const GifImageDesc& image = mGif->Image;
    const ColorMapObject* colours = image.ColorMap ? image.ColorMap : mGif->SColorMap;
    if (!colours || !colours->Colors || colours->ColorCount <= 0) {
      Fail("no colour table");
    }
    if (mLease) mLease->Take(std::int64_t{mGif->SWidth} * mGif->SHeight);
    Bitmap24 bitmap(mGif->SWidth, mGif->SHeight);
    bitmap.Fill(BackgroundColour());
    if (image.Width <= 0 || image.Height <= 0) return bitmap;
    if (!PictureSizeAllowed(image.Width, image.Height)) {
      Fail(PictureSizeProblem(image.Width, image.Height));
    }
    std::vector<GifPixelType> line(static_cast<size_t>(image.Width));
    for (int row = 0; row < image.Height; ++row) {
      if (DGifGetLine(mGif.get(), line.data(), image.Width) != GIF_OK) Fail(mGif->Error);
      int y = image.Top + (image.Interlace ? InterlacedRow(row, image.Height) : row);
      if (y < 0 || y >= bitmap.Height()) continue;
      // The image may lie partly or wholly outside the screen: only its visible part is drawn.
      for (int column = 0; column < image.Width; ++column) {
        int x = image.Left + column;
        if (x < 0 || x >= bitmap.Width()) continue;
        int index = line[static_cast<size_t>(column)];
        if (transparency.Present && index == transparency.Index) continue;
        bitmap.SetPixel(x, y, index < colours->ColorCount ? Rgb(colours->Colors[index]) : 0);
      }
    }
    return bitmap;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw PictureError("Cannot read the GIF file " + mPath + ": " + why);
  }
  [[noreturn]] void Fail(int error) const {
    const char* text = GifErrorString(error);
    Fail(text ? text : "giflib error " + std::to_string(error));
  }

  static std::uint32_t Rgb(const GifColorType& colour) {
    return static_cast<std::uint32_t>(colour.Red) << 16 |
           static_cast<std::uint32_t>(colour.Green) << 8 | colour.Blue;
  }

  std::uint32_t BackgroundColour() const {
    const ColorMapObject* global = mGif->SColorMap;
    if (!global || !global->Colors || mGif->SBackGroundColor < 0 ||
        mGif->SBackGroundColor >= global->ColorCount) {
      return 0;
    }
    return Rgb(global->Colors[mGif->SBackGroundColor]);
  }

  // Reads records up to the first image descriptor; the graphic control extension before it
  // says which index is transparent.
  Transparency SkipToFirstImage() {
    Transparency transparency;
    for (;;) {
      GifRecordType type = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(mGif.get(), &type) != GIF_OK) Fail(mGif->Error);
      if (type == IMAGE_DESC_RECORD_TYPE) {
        if (DGifGetImageDesc(mGif.get()) != GIF_OK) Fail(mGif->Error);
        return transparency;
      }
      if (type == TERMINATE_RECORD_TYPE) {
        Fail("no image in the file");
      }
      if (type != EXTENSION_RECORD_TYPE) {
        Fail("damaged record structure");
      }
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(mGif.get(), &code, &block) != GIF_OK) Fail(mGif->Error);
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        transparency.Present = (block[1] & 0x01) != 0;
        transparency.Index = block[4];
      }
      while (block) {
        if (DGifGetExtensionNext(mGif.get(), &block) != GIF_OK) Fail(mGif->Error);
      }
    }
  }

  // Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th from 2,
  // every 2nd from 1.
  static int InterlacedRow(int stored, int height) {
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      int rows =
          height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
      if (stored < rows) return kStart[pass] + stored * kStep[pass];
      stored -= rows;
    }
    return height;
  }

  std::string mPath;
  DecodeLease* mLease;
  std::uintmax_t mFileBytes = 0;
  GifHandle mGif;
};

}  // namespace

Bitmap24 DecodeGif(const std::filesystem::path& path, DecodeLease* lease) {
  return GifReader(path, lease).ReadFirstImage();
}

}  // namespace vexilo

#include "pictures/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "pictures/PictureError.h"
#include "pictures/ShrinkBitmap.h"

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

// The first image's colour table as the screens draw it: an index past the table is black.
struct ImageColours {
  ImageColours(const ColorMapObject& table, Transparency transparency) {
    for (int index = 0; index < table.ColorCount && index < 256; ++index) {
      const GifColorType& colour = table.Colors[index];
      Rgb[index] = static_cast<std::uint32_t>(colour.Red) << 16 |
                   static_cast<std::uint32_t>(colour.Green) << 8 | colour.Blue;
    }
    if (transparency.Present) Clear[transparency.Index] = true;
  }
  std::array<std::uint32_t, 256> Rgb{};
  std::array<bool, 256> Clear{};  // transparent: the background shows
};

// The whole screen as one bitmap.
class FullScreen {
 public:
  FullScreen(int width, int height, std::uint32_t background, const ImageColours& colours)
      : mBitmap(width, height), mColours(colours) {
    mBitmap.Fill(background);
  }
  // Draws `count` indices at columns left .. left+count-1 of row y, all on the screen.
  void DrawRow(int y, const GifPixelType* indices, int left, int count) {
    const ImageColours& colours = mColours;
    std::uint8_t* pixel = mBitmap.Row(y) + std::ptrdiff_t{3} * left;
    for (int i = 0; i < count; ++i, pixel += 3) {
      const GifPixelType index = indices[i];
      if (colours.Clear[index]) continue;
      const std::uint32_t rgb = colours.Rgb[index];
      pixel[0] = static_cast<std::uint8_t>(rgb);
      pixel[1] = static_cast<std::uint8_t>(rgb >> 8);
      pixel[2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
  Bitmap24 Finish() { return std::move(mBitmap); }

 private:
  Bitmap24 mBitmap;
  const ImageColours& mColours;
};

// The screen box-filtered as ShrinkToFit does it, without holding it: each row is summed per
// target column straight from its indices.
class ShrunkScreen {
 public:
  ShrunkScreen(int width, int height, int longSide, std::uint32_t background,
               const ImageColours& colours, DecodeLease* lease)
      : mShrinker(width, height, longSide),
        mBackground(Lanes(background)),
        mBackgroundRow(width, 1),
        mSums(3 * (mShrinker.ColumnStarts().size() - 1)),
        mRowDone(static_cast<size_t>(height)) {
    // giflib's row of indices and the background row besides the sums.
    if (lease) lease->Take(mShrinker.HeldPixels() + 2 * std::int64_t{width});
    mBackgroundRow.Fill(background);
    for (size_t i = 0; i < mLanes.size(); ++i) {
      mLanes[i] = colours.Clear[i] ? mBackground : Lanes(colours.Rgb[i]);
    }
  }

  void DrawRow(int y, const GifPixelType* indices, int left, int count) {
    const std::vector<int>& starts = mShrinker.ColumnStarts();
    const int end = left + count;
    for (size_t x = 0; x + 1 < starts.size(); ++x) {
      const int from = std::max(starts[x], left);
      const int to = std::min(starts[x + 1], end);
      std::uint64_t sum[3] = {0, 0, 0};
      int drawn = 0;
      // Chunks of kLaneRun keep each lane below its 21 bits.
      for (int chunk = from; chunk < to; chunk += kLaneRun) {
        std::uint64_t lanes = 0;
        const int stop = std::min(to, chunk + kLaneRun);
        for (int sx = chunk; sx < stop; ++sx) lanes += mLanes[indices[sx - left]];
        Unpack(lanes, sum);
        drawn += stop - chunk;
      }
      const auto background = static_cast<std::uint64_t>(starts[x + 1] - starts[x] - drawn);
      Unpack(mBackground, sum, background);
      std::copy(sum, sum + 3, mSums.begin() + static_cast<std::ptrdiff_t>(x) * 3);
    }
    mShrinker.AddColumnSums(y, y + 1, mSums.data());
    mRowDone[static_cast<size_t>(y)] = true;
  }

  // Rows the image left alone show the background.
  Bitmap24 Finish() {
    const int height = static_cast<int>(mRowDone.size());
    for (int y = 0; y < height;) {
      int end = y;
      while (end < height && !mRowDone[static_cast<size_t>(end)]) ++end;
      mShrinker.AddRows(y, end, mBackgroundRow.Row(0));
      y = end + 1;
    }
    return mShrinker.Finish();
  }

 private:
  // Blue, green and red of a pixel in three 21-bit lanes of one word, so that one addition
  // sums all three: 8192 pixels of 255 stay below 2^21.
  static constexpr int kLaneRun = 8192;
  static std::uint64_t Lanes(std::uint32_t rgb) {
    return (rgb & 0xFF) | static_cast<std::uint64_t>(rgb >> 8 & 0xFF) << 21 |
           static_cast<std::uint64_t>(rgb >> 16 & 0xFF) << 42;
  }
  static void Unpack(std::uint64_t lanes, std::uint64_t* sum, std::uint64_t times = 1) {
    constexpr std::uint64_t kLane = (1u << 21) - 1;
    sum[0] += (lanes & kLane) * times;
    sum[1] += (lanes >> 21 & kLane) * times;
    sum[2] += (lanes >> 42 & kLane) * times;
  }

  RowShrinker mShrinker;
  const std::uint64_t mBackground;
  Bitmap24 mBackgroundRow;
  std::vector<std::uint64_t> mSums;
  std::vector<bool> mRowDone;
  std::array<std::uint64_t, 256> mLanes{};
};

// Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1.
int InterlacedRow(int stored, int height) {
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (stored < rows) return kStart[pass] + stored * kStep[pass];
    stored -= rows;
  }
  return height;
}

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

  // minLongSide 0, or not less than the screen's long side, draws the whole screen.
  ReducedPicture ReadFirstImage(int minLongSide) {
    if (!PictureSizeAllowed(mGif->SWidth, mGif->SHeight)) {
      Fail(PictureSizeProblem(mGif->SWidth, mGif->SHeight));
    }
    if (!PictureSizeFitsFile(mGif->SWidth, mGif->SHeight, mFileBytes)) {
      Fail(PictureBombProblem(mGif->SWidth, mGif->SHeight, mFileBytes));
    }
    Transparency transparency = SkipToFirstImage();
    const ColorMapObject* colours = mGif->Image.ColorMap ? mGif->Image.ColorMap : mGif->SColorMap;
    if (!colours || !colours->Colors || colours->ColorCount <= 0) {
      Fail("no colour table");
    }
    ReducedPicture picture;
    picture.FullWidth = mGif->SWidth;
    picture.FullHeight = mGif->SHeight;
    const ImageColours imageColours(*colours, transparency);
    if (minLongSide > 0 && std::max(mGif->SWidth, mGif->SHeight) > minLongSide) {
      ShrunkScreen screen(mGif->SWidth, mGif->SHeight, minLongSide, BackgroundColour(),
                          imageColours, mLease);
      DrawFirstImage(screen);
      picture.Pixels = screen.Finish();
    } else {
      if (mLease) mLease->Take(std::int64_t{mGif->SWidth} * mGif->SHeight);
      FullScreen screen(mGif->SWidth, mGif->SHeight, BackgroundColour(), imageColours);
      DrawFirstImage(screen);
      picture.Pixels = screen.Finish();
    }
    return picture;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw PictureError("Cannot read the GIF file " + mPath + ": " + why);
  }
  [[noreturn]] void Fail(int error) const {
    const char* text = GifErrorString(error);
    Fail(text ? text : "giflib error " + std::to_string(error));
  }

  // Draws the first image's rows onto `screen` (FullScreen or ShrunkScreen), which shows the
  // background until then.
  template <typename Screen>
  void DrawFirstImage(Screen& screen) {
    const GifImageDesc& image = mGif->Image;
    if (image.Width <= 0 || image.Height <= 0) return;
    if (!PictureSizeAllowed(image.Width, image.Height)) {
      Fail(PictureSizeProblem(image.Width, image.Height));
    }
    std::vector<GifPixelType> line(static_cast<size_t>(image.Width));
    // The image may lie partly or wholly outside the screen: only its visible part is drawn.
    const int firstColumn = std::max(0, -image.Left);
    const int endColumn = std::min(image.Width, mGif->SWidth - image.Left);
    for (int row = 0; row < image.Height; ++row) {
      if (DGifGetLine(mGif.get(), line.data(), image.Width) != GIF_OK) Fail(mGif->Error);
      int y = image.Top + (image.Interlace ? InterlacedRow(row, image.Height) : row);
      if (y < 0 || y >= mGif->SHeight || firstColumn >= endColumn) continue;
      screen.DrawRow(y, line.data() + firstColumn, image.Left + firstColumn,
                     endColumn - firstColumn);
    }
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

  std::string mPath;
  DecodeLease* mLease;
  std::uintmax_t mFileBytes = 0;
  GifHandle mGif;
};

// The frames of a GIF one after the other, each read from the file when it is asked for.
class GifAnimation final : public PictureAnimation {
 public:
  explicit GifAnimation(std::filesystem::path path) : mPath(std::move(path)) { Open(); }

  std::optional<AnimationFrame> Next() override {
    while (mGif) {
      GifRecordType type = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(mGif.get(), &type) != GIF_OK) Fail(mGif->Error);
      if (type == EXTENSION_RECORD_TYPE) {
        ReadExtension();
      } else if (type == IMAGE_DESC_RECORD_TYPE) {
        return DrawFrame();
      } else if (type == TERMINATE_RECORD_TYPE) {
        EndPass();
      } else {
        Fail("damaged record structure");
      }
    }
    return std::nullopt;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw PictureError("Cannot read the GIF file " + mPath.string() + ": " + why);
  }
  [[noreturn]] void Fail(int error) const {
    const char* text = GifErrorString(error);
    Fail(text ? text : "giflib error " + std::to_string(error));
  }

  void Open() {
    int error = 0;
    mGif.reset(DGifOpenFileName(mPath.c_str(), &error));
    if (!mGif) Fail(error);
    if (!PictureSizeAllowed(mGif->SWidth, mGif->SHeight)) {
      Fail(PictureSizeProblem(mGif->SWidth, mGif->SHeight));
    }
    std::error_code sizeError;
    const std::uintmax_t bytes = std::filesystem::file_size(mPath, sizeError);
    if (!sizeError && !PictureSizeFitsFile(mGif->SWidth, mGif->SHeight, bytes)) {
      Fail(PictureBombProblem(mGif->SWidth, mGif->SHeight, bytes));
    }
    const ColorMapObject* global = mGif->SColorMap;
    mBackground = 0;
    if (global && global->Colors && mGif->SBackGroundColor >= 0 &&
        mGif->SBackGroundColor < global->ColorCount) {
      const GifColorType& c = global->Colors[mGif->SBackGroundColor];
      mBackground = static_cast<std::uint32_t>(c.Red) << 16 |
                    static_cast<std::uint32_t>(c.Green) << 8 | c.Blue;
    }
    if (mCanvas.Width() != mGif->SWidth || mCanvas.Height() != mGif->SHeight) {
      mCanvas = Bitmap24(mGif->SWidth, mGif->SHeight);
    }
    mCanvas.Fill(mBackground);
    mControl = {};
    mLastFrame = {};
    mFramesThisPass = 0;
  }

  void ReadExtension() {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(mGif.get(), &code, &block) != GIF_OK) Fail(mGif->Error);
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
      mControl.Disposal = (block[1] >> 2) & 0x07;
      mControl.Transparent = (block[1] & 0x01) != 0;
      mControl.Delay = std::chrono::milliseconds(10 * (block[2] | block[3] << 8));
      mControl.TransparentIndex = block[4];
    }
    const bool netscape = code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
                          std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0;
    while (block) {
      if (DGifGetExtensionNext(mGif.get(), &block) != GIF_OK) Fail(mGif->Error);
      if (netscape && block && block[0] >= 3 && block[1] == 1 && mPlays == 0) {
        mRepeats = block[2] | block[3] << 8;
      }
    }
  }

  AnimationFrame DrawFrame() {
    if (DGifGetImageDesc(mGif.get()) != GIF_OK) Fail(mGif->Error);
    const GifImageDesc& image = mGif->Image;
    if (!PictureSizeAllowed(image.Width, image.Height)) {
      Fail(PictureSizeProblem(image.Width, image.Height));
    }
    DisposeLastFrame();
    const ColorMapObject* colours = image.ColorMap ? image.ColorMap : mGif->SColorMap;
    if (!colours || !colours->Colors || colours->ColorCount <= 0) Fail("no colour table");
    // What this frame covers, on the canvas.
    const int left = std::clamp(image.Left, 0, mCanvas.Width());
    const int top = std::clamp(image.Top, 0, mCanvas.Height());
    const int right = std::clamp(image.Left + image.Width, 0, mCanvas.Width());
    const int bottom = std::clamp(image.Top + image.Height, 0, mCanvas.Height());
    mLastFrame = {left, top, right, bottom, mControl.Disposal};
    if (mControl.Disposal == kRestorePrevious) SaveUnder();
    const ImageColours imageColours(*colours, {mControl.Transparent, mControl.TransparentIndex});
    std::vector<GifPixelType> line(static_cast<size_t>(image.Width));
    for (int row = 0; row < image.Height; ++row) {
      if (DGifGetLine(mGif.get(), line.data(), image.Width) != GIF_OK) Fail(mGif->Error);
      const int y = image.Top + (image.Interlace ? InterlacedRow(row, image.Height) : row);
      if (y < top || y >= bottom || left >= right) continue;
      std::uint8_t* pixel = mCanvas.Row(y) + std::ptrdiff_t{3} * left;
      for (int x = left; x < right; ++x, pixel += 3) {
        const GifPixelType index = line[static_cast<size_t>(x - image.Left)];
        if (imageColours.Clear[index]) continue;
        const std::uint32_t rgb = imageColours.Rgb[index];
        pixel[0] = static_cast<std::uint8_t>(rgb);
        pixel[1] = static_cast<std::uint8_t>(rgb >> 8);
        pixel[2] = static_cast<std::uint8_t>(rgb >> 16);
      }
    }
    const std::chrono::milliseconds delay = ShownFrameTime(mControl.Delay);
    mControl = {};
    ++mFramesThisPass;
    return {&mCanvas, delay, {}};
  }

  // Before the next frame: the last one's area as its disposal asks.
  void DisposeLastFrame() {
    const FrameArea& last = mLastFrame;
    if (last.Disposal == kRestoreBackground) {
      for (int y = last.Top; y < last.Bottom; ++y) {
        for (int x = last.Left; x < last.Right; ++x) mCanvas.SetPixel(x, y, mBackground);
      }
    } else if (last.Disposal == kRestorePrevious && !mUnder.empty()) {
      const std::size_t rowBytes =
          std::size_t{3} * static_cast<std::size_t>(last.Right - last.Left);
      for (int y = last.Top; y < last.Bottom; ++y) {
        std::memcpy(mCanvas.Row(y) + std::ptrdiff_t{3} * last.Left,
                    mUnder.data() + static_cast<std::size_t>(y - last.Top) * rowBytes, rowBytes);
      }
    }
    mLastFrame = {};
  }

  void SaveUnder() {
    const FrameArea& area = mLastFrame;
    const std::size_t rowBytes = std::size_t{3} * static_cast<std::size_t>(area.Right - area.Left);
    mUnder.resize(rowBytes * static_cast<std::size_t>(area.Bottom - area.Top));
    for (int y = area.Top; y < area.Bottom; ++y) {
      std::memcpy(mUnder.data() + static_cast<std::size_t>(y - area.Top) * rowBytes,
                  mCanvas.Row(y) + std::ptrdiff_t{3} * area.Left, rowBytes);
    }
  }

  void EndPass() {
    ++mPlays;
    // One frame is a still picture, whatever its loop count says.
    const bool again = mFramesThisPass > 1 && mRepeats && (*mRepeats == 0 || mPlays <= *mRepeats);
    mGif.reset();
    if (again) Open();
  }

  static constexpr int kRestoreBackground = 2;
  static constexpr int kRestorePrevious = 3;
  struct Control {
    int Disposal = 0;
    bool Transparent = false;
    int TransparentIndex = 0;
    std::chrono::milliseconds Delay{};
  };
  struct FrameArea {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Disposal = 0;
  };

  std::filesystem::path mPath;
  GifHandle mGif;
  Bitmap24 mCanvas;
  std::uint32_t mBackground = 0;
  Control mControl;
  FrameArea mLastFrame;
  std::vector<std::uint8_t> mUnder;  // under the last frame, when it restores the previous
  std::optional<int> mRepeats;       // none: shown once
  int mPlays = 0;
  int mFramesThisPass = 0;
};

}  // namespace

std::unique_ptr<PictureAnimation> OpenGifAnimation(const std::filesystem::path& path) {
  return std::make_unique<GifAnimation>(path);
}

ReducedPicture DecodeGif(const std::filesystem::path& path, int minLongSide, DecodeLease* lease) {
  return GifReader(path, lease).ReadFirstImage(minLongSide);
}

}  // namespace vexilo

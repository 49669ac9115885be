#include "pictures/WebpDecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pictures/OntoWhite.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"

namespace vexilo {

namespace {

// The ICCP chunk of an extended file; empty without one.
std::string WebpColourProfile(const std::uint8_t* bytes, std::size_t size) {
  const WebPData data{bytes, size};
  WebPDemuxer* demux = WebPDemux(&data);
  if (!demux) return {};
  std::string profile;
  WebPChunkIterator chunk;
  if (WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
    profile.assign(reinterpret_cast<const char*>(chunk.chunk.bytes), chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  WebPDemuxDelete(demux);
  return profile;
}

const char* StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_STATUS_INVALID_PARAM:
      return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR:
      return "damaged data";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return "unsupported feature";
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return "the data ended early";
    default:
      return "decoding failed";
  }
}

struct AnimDecoderDeleter {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

class WebpReader {
 public:
  WebpReader(const std::filesystem::path& path, DecodeLease* lease)
      : mPath(path), mBytes(ReadPictureFile(path)), mLease(lease) {}

  ReducedPicture Read(int minLongSide) {
    WebPBitstreamFeatures features{};
    VP8StatusCode status = WebPGetFeatures(Data(), mBytes.size(), &features);
    if (status != VP8_STATUS_OK) Fail(StatusText(status));
    if (!PictureSizeAllowed(features.width, features.height)) {
      Fail(PictureSizeProblem(features.width, features.height));
    }
    if (!PictureSizeFitsFile(features.width, features.height, mBytes.size())) {
      Fail(PictureBombProblem(features.width, features.height, mBytes.size()));
    }
    ReducedPicture picture;
    picture.FullWidth = features.width;
    picture.FullHeight = features.height;
    picture.Pixels = features.has_animation ? FirstFrame(features.width, features.height)
                                            : Still(features, minLongSide);
    picture.ColourProfile = WebpColourProfile(Data(), mBytes.size());
    return picture;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw PictureError("Cannot read the WebP file " + mPath.string() + ": " + why);
  }

  const std::uint8_t* Data() const { return reinterpret_cast<const std::uint8_t*>(mBytes.data()); }

  Bitmap24 Still(const WebPBitstreamFeatures& features, int minLongSide) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) Fail("libwebp version mismatch");
    int width = features.width;
    int height = features.height;
    const int longSide = width > height ? width : height;
    if (minLongSide > 0 && longSide > minLongSide) {
      const auto scale = [&](int side) {
        const std::int64_t scaled = (std::int64_t{side} * minLongSide + longSide / 2) / longSide;
        return scaled < 1 ? 1 : static_cast<int>(scaled);
      };
      width = scale(width);
      height = scale(height);
      config.options.use_scaling = 1;
      config.options.scaled_width = width;
      config.options.scaled_height = height;
    }
    const std::int64_t pixels = std::int64_t{width} * height;
    // A transparent picture is decoded to four bytes a pixel first, then drawn onto white.
    if (mLease) mLease->Take(features.has_alpha ? pixels + (pixels * 4 + 2) / 3 : pixels);
    Bitmap24 bitmap(width, height);
    std::vector<std::uint8_t> bgra;
    config.output.is_external_memory = 1;
    if (features.has_alpha) {
      bgra.resize(static_cast<size_t>(pixels) * 4);
      config.output.colorspace = MODE_BGRA;
      config.output.u.RGBA.rgba = bgra.data();
      config.output.u.RGBA.stride = width * 4;
      config.output.u.RGBA.size = bgra.size();
    } else {
      // Straight into the bitmap, whose rows are stored bottom-up.
      config.output.colorspace = MODE_BGR;
      config.options.flip = 1;
      config.output.u.RGBA.rgba = bitmap.Bits();
      config.output.u.RGBA.stride = bitmap.Stride();
      config.output.u.RGBA.size = bitmap.SizeBytes();
    }
    VP8StatusCode status = WebPDecode(Data(), mBytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) Fail(StatusText(status));
    if (features.has_alpha) CopyOntoWhite(bgra.data(), static_cast<size_t>(width) * 4, bitmap);
    return bitmap;
  }

  Bitmap24 FirstFrame(int width, int height) {
    // The animation decoder holds the canvas and the previous frame, four bytes a pixel each.
    const std::int64_t pixels = std::int64_t{width} * height;
    if (mLease) mLease->Take(pixels + (pixels * 8 + 2) / 3);
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) Fail("libwebp version mismatch");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{Data(), mBytes.size()};
    std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(
        WebPAnimDecoderNew(&data, &options));
    if (!decoder) Fail("damaged animation");
    WebPAnimInfo info{};
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info) ||
        info.canvas_width != static_cast<std::uint32_t>(width) ||
        info.canvas_height != static_cast<std::uint32_t>(height)) {
      Fail("damaged animation");
    }
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) {
      Fail("damaged first frame");
    }
    Bitmap24 bitmap(width, height);
    CopyOntoWhite(canvas, static_cast<size_t>(width) * 4, bitmap);
    return bitmap;
  }

  std::filesystem::path mPath;
  std::string mBytes;
  DecodeLease* mLease;
};

class WebpAnimation final : public PictureAnimation {
 public:
  WebpAnimation(std::filesystem::path path, std::string bytes, const WebPAnimInfo& info,
                std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder)
      : mPath(std::move(path)),
        mBytes(std::move(bytes)),
        mProfile(
            WebpColourProfile(reinterpret_cast<const std::uint8_t*>(mBytes.data()), mBytes.size())),
        mLoops(static_cast<int>(info.loop_count)),
        mDecoder(std::move(decoder)),
        mCanvas(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height)) {}

  std::optional<AnimationFrame> Next() override {
    if (!WebPAnimDecoderHasMoreFrames(mDecoder.get())) {
      ++mPlays;
      if (mLoops != 0 && mPlays >= mLoops) return std::nullopt;
      WebPAnimDecoderReset(mDecoder.get());
      mLastTimestamp = 0;
    }
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(mDecoder.get(), &canvas, &timestamp) || !canvas) {
      throw PictureError("Cannot read the WebP file " + mPath.string() + ": damaged frame");
    }
    CopyOntoWhite(canvas, static_cast<size_t>(mCanvas.Width()) * 4, mCanvas);
    // Timestamps are when each frame ends.
    const auto time = std::chrono::milliseconds(std::max(0, timestamp - mLastTimestamp));
    mLastTimestamp = timestamp;
    return AnimationFrame{&mCanvas, ShownFrameTime(time), mProfile};
  }

 private:
  std::filesystem::path mPath;
  std::string mBytes;  // the decoder reads them
  std::string mProfile;
  int mLoops;  // showings, 0: for ever
  int mPlays = 0;
  int mLastTimestamp = 0;
  std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> mDecoder;
  Bitmap24 mCanvas;
};

}  // namespace

std::unique_ptr<PictureAnimation> OpenWebpAnimation(const std::filesystem::path& path) {
  std::string bytes = ReadPictureFile(path);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  WebPBitstreamFeatures features{};
  if (WebPGetFeatures(data, bytes.size(), &features) != VP8_STATUS_OK || !features.has_animation) {
    return nullptr;
  }
  if (!PictureSizeAllowed(features.width, features.height) ||
      !PictureSizeFitsFile(features.width, features.height, bytes.size())) {
    return nullptr;
  }
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return nullptr;
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  const WebPData webp{data, bytes.size()};
  std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&webp, &options));
  WebPAnimInfo info{};
  if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) || info.frame_count < 2 ||
      info.canvas_width != static_cast<std::uint32_t>(features.width) ||
      info.canvas_height != static_cast<std::uint32_t>(features.height)) {
    return nullptr;
  }
  // The string's bytes stay where they are when it is moved: the decoder keeps reading them.
  return std::make_unique<WebpAnimation>(path, std::move(bytes), info, std::move(decoder));
}

ReducedPicture DecodeWebp(const std::filesystem::path& path, int minLongSide, DecodeLease* lease) {
  return WebpReader(path, lease).Read(minLongSide);
}

}  // namespace vexilo

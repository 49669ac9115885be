#include "pictures/WebpWriter.h"

#include <webp/encode.h>

#include <algorithm>

#include "pictures/PictureError.h"

namespace vexilo {
namespace {

// Frees what the encoder holds on every way out.
struct EncodeState {
  WebPPicture picture{};
  WebPMemoryWriter writer{};

  EncodeState() { WebPMemoryWriterInit(&writer); }
  ~EncodeState() {
    WebPPictureFree(&picture);
    WebPMemoryWriterClear(&writer);
  }
  EncodeState(const EncodeState&) = delete;
  EncodeState& operator=(const EncodeState&) = delete;
};

}  // namespace

std::string EncodeWebp(const Bitmap24& bitmap, int quality, int method) {
  if (bitmap.Empty()) throw PictureError("cannot write an empty picture as WebP");
  WebPConfig config;
  if (!WebPConfigPreset(&config, WEBP_PRESET_DEFAULT,
                        static_cast<float>(std::clamp(quality, 0, 100)))) {
    throw PictureError("cannot write WebP: the encoder does not match its header");
  }
  config.method = std::clamp(method, 0, 6);
  EncodeState state;
  if (!WebPPictureInit(&state.picture)) {
    throw PictureError("cannot write WebP: the encoder does not match its header");
  }
  // Straight to YUV: the lossy encoder never needs the ARGB copy.
  state.picture.use_argb = 0;
  state.picture.width = bitmap.Width();
  state.picture.height = bitmap.Height();
  // Rows are stored bottom-up: the top row and a negative stride read them top-down.
  if (!WebPPictureImportBGR(&state.picture, bitmap.Row(0), -bitmap.Stride())) {
    throw PictureError("cannot write WebP: out of memory");
  }
  state.picture.writer = WebPMemoryWrite;
  state.picture.custom_ptr = &state.writer;
  if (!WebPEncode(&config, &state.picture)) {
    throw PictureError("cannot write WebP: encoder error " +
                       std::to_string(static_cast<int>(state.picture.error_code)));
  }
  return std::string(reinterpret_cast<const char*>(state.writer.mem), state.writer.size);
}

}  // namespace vexilo

#include "pictures/JpegWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "pictures/PictureError.h"

namespace vexilo {
namespace {

struct EncodeErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnEncodeError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<EncodeErrors*>(cinfo->err);
  cinfo->err->format_message(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

// Everything the longjmp may skip lives here, outside the function that calls setjmp.
struct EncodeState {
  jpeg_compress_struct cinfo{};
  EncodeErrors errors{};
  unsigned char* out = nullptr;
  unsigned long outSize = 0;

  ~EncodeState() {
    jpeg_destroy_compress(&cinfo);
    std::free(out);
  }
};

// False with state.errors.message set when libjpeg gave up.
bool Encode(EncodeState& state, const Bitmap24& bitmap, int quality) {
  jpeg_compress_struct& cinfo = state.cinfo;
  cinfo.err = jpeg_std_error(&state.errors.pub);
  state.errors.pub.error_exit = OnEncodeError;
  if (setjmp(state.errors.jump) != 0) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &state.out, &state.outSize);
  cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  cinfo.input_components = 3;
  // Bitmap24 rows are blue, green, red: libjpeg-turbo takes them as they are.
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    // Rows are stored bottom-up; libjpeg only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

std::string EncodeJpeg(const Bitmap24& bitmap, int quality) {
  if (bitmap.Empty()) throw PictureError("cannot write an empty picture as JPEG");
  EncodeState state;
  if (!Encode(state, bitmap, std::clamp(quality, 1, 100))) {
    throw PictureError(std::string("cannot write JPEG: ") + state.errors.message);
  }
  return std::string(reinterpret_cast<const char*>(state.out), state.outSize);
}

}  // namespace vexilo

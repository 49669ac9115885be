#include "pictures/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "pictures/ExifOrientation.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFile.h"
#include "pictures/PictureReading.h"

namespace vexilo {

namespace {

// A real progressive file has around ten scans; crafted ones with thousands only burn time.
constexpr int kMaxScans = 100;
// libjpeg's own working memory (progressive coefficient buffers) beyond the bitmap.
constexpr long kMaxLibjpegMemory = 1L << 30;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailWith(j_common_ptr cinfo, const char* text) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::snprintf(manager->message, sizeof manager->message, "%s", text);
  std::longjmp(manager->jump, 1);
}

[[noreturn]] void OnError(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  cinfo->err->format_message(cinfo, text);
  FailWith(cinfo, text);
}

// A file that ends early is a half-downloaded picture: refuse it rather than show grey.
// Other corrupt-data warnings leave a picture of the full size, so they pass quietly.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnError(cinfo);
}

void OnProgress(j_common_ptr cinfo) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (decompress->input_scan_number > kMaxScans) FailWith(cinfo, "too many scans");
}

// Adobe writes CMYK inverted (0 = full ink); plain CMYK is not.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = static_cast<std::uint8_t>(y * k / 255);
    bgr[1] = static_cast<std::uint8_t>(m * k / 255);
    bgr[2] = static_cast<std::uint8_t>(c * k / 255);
  }
}

// What a decode holds in 3-byte pixels: the output, and with more than one scan the whole
// picture's coefficients (two bytes each), which libjpeg keeps at full size whatever the scale.
std::int64_t DecodeCost(const jpeg_decompress_struct& cinfo) {
  std::int64_t cost = std::int64_t{cinfo.output_width} * cinfo.output_height;
  if (cinfo.progressive_mode || cinfo.comps_in_scan < cinfo.num_components) {
    std::int64_t coefficientBytes = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
      const jpeg_component_info& component = cinfo.comp_info[c];
      coefficientBytes += std::int64_t{component.width_in_blocks} * component.height_in_blocks *
                          DCTSIZE2 * static_cast<std::int64_t>(sizeof(JCOEF));
    }
    cost += coefficientBytes / 3;
  }
  return cost;
}

// Every libjpeg call that can jump back on an error happens in here. Nothing in this frame
// has a destructor, so the jump skips no clean-up; the caller destroys the decompressor.
bool RunDecode(jpeg_decompress_struct& cinfo, ErrorManager& errors, jpeg_progress_mgr& progress,
               const std::string& bytes, int minLongSide, bool turned, DecodeLease* lease,
               ReducedPicture& result) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
  progress.progress_monitor = OnProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);  // the ICC profile's chunks
  jpeg_read_header(&cinfo, TRUE);
  if (!PictureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
    char text[JMSG_LENGTH_MAX];
    std::snprintf(text, sizeof text, "unsupported picture size of %u x %u pixels",
                  cinfo.image_width, cinfo.image_height);
    FailWith(reinterpret_cast<j_common_ptr>(&cinfo), text);
  }
  if (!PictureSizeFitsFile(cinfo.image_width, cinfo.image_height, bytes.size())) {
    char text[JMSG_LENGTH_MAX];
    // The text's string is gone before the jump.
    std::snprintf(text, sizeof text, "%s",
                  PictureBombProblem(cinfo.image_width, cinfo.image_height, bytes.size()).c_str());
    FailWith(reinterpret_cast<j_common_ptr>(&cinfo), text);
  }
  result.FullWidth = static_cast<int>(cinfo.image_width);
  result.FullHeight = static_cast<int>(cinfo.image_height);

  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  JOCTET* profile = nullptr;
  unsigned int profileBytes = 0;
  if (!cmyk && jpeg_read_icc_profile(&cinfo, &profile, &profileBytes)) {
    result.ColourProfile.assign(reinterpret_cast<const char*>(profile), profileBytes);
  }
  std::free(profile);
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  if (minLongSide > 0) {
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        static_cast<unsigned>(JpegScaleFor(result.FullWidth, result.FullHeight, minLongSide));
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
  }
  if (lease) {
    jpeg_calc_output_dimensions(&cinfo);
    // Turning the picture makes a second copy of it.
    const std::int64_t turnCost =
        turned ? std::int64_t{cinfo.output_width} * cinfo.output_height : 0;
    lease->Take(DecodeCost(cinfo) + turnCost);
  }
  jpeg_start_decompress(&cinfo);
  result.Pixels =
      Bitmap24(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  JSAMPARRAY cmykRow = cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                         JPOOL_IMAGE, cinfo.output_width * 4, 1)
                            : nullptr;
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint8_t* target = result.Pixels.Row(static_cast<int>(cinfo.output_scanline));
    JSAMPROW row = cmyk ? cmykRow[0] : target;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
      FailWith(reinterpret_cast<j_common_ptr>(&cinfo), "the data ended early");
    }
    if (cmyk) CmykToBgr(cmykRow[0], target, cinfo.output_width, cinfo.saw_Adobe_marker);
  }
  // Not jpeg_finish_decompress: junk or a second frame after the last row would turn a
  // complete picture into an error. Destroying the decompressor aborts the rest.
  return true;
}

struct DecompressorGuard {
  jpeg_decompress_struct& cinfo;
  ~DecompressorGuard() { jpeg_destroy_decompress(&cinfo); }
};

}  // namespace

int JpegScaleFor(int width, int height, int minLongSide) {
  int longSide = width > height ? width : height;
  for (int denominator : {8, 4, 2}) {
    if ((longSide + denominator - 1) / denominator >= minLongSide) return denominator;
  }
  return 1;
}

ReducedPicture DecodeJpeg(const std::filesystem::path& path, int minLongSide, DecodeLease* lease) {
  // One read of the whole file: cheaper than libjpeg's 4 KB stdio reads.
  std::string bytes = ReadPictureFile(path);
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = OnError;
  errors.pub.emit_message = OnMessage;
  DecompressorGuard guard{cinfo};
  const int orientation = CurrentPictureReading().ExifOrientation ? ReadExifOrientation(bytes) : 1;
  ReducedPicture result;
  if (!RunDecode(cinfo, errors, progress, bytes, minLongSide, orientation != 1, lease, result)) {
    throw PictureError("Cannot read the JPEG file " + path.string() + ": " + errors.message);
  }
  OrientPicture(result.Pixels, orientation);
  // The thumbnail's geometry follows the picture as shown.
  if (OrientationSwapsSides(orientation)) std::swap(result.FullWidth, result.FullHeight);
  return result;
}

}  // namespace vexilo

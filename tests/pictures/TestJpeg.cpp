#include "TestJpeg.h"

#include <jpeglib.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace vexilo::test {

namespace {

// Test-only writer: libjpeg's default error handler exits, which is fine for fixtures.
template <typename FillRow>
void Compress(const std::filesystem::path& file, int width, int height, int components,
              J_COLOR_SPACE space, int quality, FillRow fillRow,
              const std::vector<jpeg_scan_info>& scans = {}) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot write " + file.string());
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (!scans.empty()) {
    cinfo.scan_info = scans.data();
    cinfo.num_scans = static_cast<int>(scans.size());
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * static_cast<size_t>(components));
  while (cinfo.next_scanline < cinfo.image_height) {
    fillRow(static_cast<int>(cinfo.next_scanline), row.data());
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(out);
}

// A colour picture, with the given scan script or libjpeg's own.
void WriteColourJpeg(const std::filesystem::path& file, const Bitmap24& picture, int quality,
                     const std::vector<jpeg_scan_info>& scans = {}) {
  Compress(
      file, picture.Width(), picture.Height(), 3, JCS_EXT_BGR, quality,
      [&](int y, JSAMPLE* row) {
        const std::uint8_t* source = picture.Row(y);
        std::copy(source, source + picture.Width() * 3, row);
      },
      scans);
}

}  // namespace

void WriteJpeg(const std::filesystem::path& file, const Bitmap24& picture, int quality) {
  WriteColourJpeg(file, picture, quality);
}

void WriteManyScanJpeg(const std::filesystem::path& file, const Bitmap24& picture) {
  std::vector<jpeg_scan_info> scans;
  scans.push_back(jpeg_scan_info{3, {0, 1, 2, 0}, 0, 0, 0, 0});
  for (int component = 0; component < 3; ++component) {
    for (int k = 1; k < 64; ++k) scans.push_back(jpeg_scan_info{1, {component}, k, k, 0, 0});
  }
  WriteColourJpeg(file, picture, 90, scans);
}

void WriteProgressiveJpeg(const std::filesystem::path& file, const Bitmap24& picture) {
  std::vector<jpeg_scan_info> scans;
  scans.push_back(jpeg_scan_info{3, {0, 1, 2, 0}, 0, 0, 0, 0});
  for (int component = 0; component < 3; ++component) {
    scans.push_back(jpeg_scan_info{1, {component}, 1, 63, 0, 0});
  }
  WriteColourJpeg(file, picture, 90, scans);
}

void WriteAdobeCmykJpeg(const std::filesystem::path& file, int width, int height,
                        const std::uint8_t (&invertedCmyk)[4]) {
  Compress(file, width, height, 4, JCS_CMYK, 95, [&](int, JSAMPLE* row) {
    for (int x = 0; x < width; ++x) std::copy(invertedCmyk, invertedCmyk + 4, row + 4 * x);
  });
}

}  // namespace vexilo::test

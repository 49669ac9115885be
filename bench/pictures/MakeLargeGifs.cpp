// Writes a folder of large GIFs in small files with giflib, like the 4000 x 4000 pictures of
// 11 KB that real sites serve: flat colour with one block, about 21 KB (giflib's encoder
// clears its table early; a decode's time follows the pixels, not the bytes). Every fourth is
// interlaced, every fourth has a transparent index, every fourth is a smaller frame with its
// own palette placed inside the screen.
//   make_large_gifs <folder> [count, default 200] [side, default 4000]

#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kColours = 8;

ColorMapObject* Palette(int seed) {
  GifColorType colours[kColours];
  for (int c = 0; c < kColours; ++c) {
    colours[c].Red = static_cast<GifByteType>((c * 37 + seed * 11) & 255);
    colours[c].Green = static_cast<GifByteType>((c * 91 + seed * 5) & 255);
    colours[c].Blue = static_cast<GifByteType>((c * 53 + seed * 17) & 255);
  }
  return GifMakeMapObject(kColours, colours);
}

// Row y of a frame: colour 0 with one block of another colour in the middle third.
void FillRow(std::vector<GifPixelType>& row, int y, int seed) {
  const int third = static_cast<int>(row.size()) / 3;
  const bool band = y >= third && y < 2 * third;
  for (size_t x = 0; x < row.size(); ++x) {
    const bool inside = band && static_cast<int>(x) >= third && static_cast<int>(x) < 2 * third;
    row[x] = static_cast<GifPixelType>(inside ? 1 + seed % 7 : 0);
  }
}

// Row order of the frame as stored: the four interlace passes, or top to bottom.
std::vector<int> StoredRows(int height, bool interlaced) {
  std::vector<int> rows;
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  const int start[] = {0, 4, 2, 1};
  const int step[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
  }
  return rows;
}

bool WriteGif(const std::string& file, int side, int seed) {
  const bool interlaced = seed % 4 == 1;
  const bool transparent = seed % 4 == 2;
  const bool inset = seed % 4 == 3;
  int error = 0;
  GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
  if (!gif) return false;
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = Palette(seed);
  bool ok = EGifPutScreenDesc(gif, side, side, 8, 0, global) == GIF_OK;
  if (ok && transparent) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = 3;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
         GIF_OK;
  }
  const int frame = inset ? side * 3 / 4 : side;
  const int offset = inset ? side / 10 : 0;
  ColorMapObject* local = inset ? Palette(seed + 100) : nullptr;
  ok = ok && EGifPutImageDesc(gif, offset, offset, frame, frame, interlaced, local) == GIF_OK;
  std::vector<GifPixelType> row(static_cast<size_t>(frame));
  for (int y : StoredRows(frame, interlaced)) {
    if (!ok) break;
    FillRow(row, y, seed);
    ok = EGifPutLine(gif, row.data(), frame) == GIF_OK;
  }
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  GifFreeMapObject(global);
  if (local) GifFreeMapObject(local);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [count] [side]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 200;
  const int side = argc > 3 ? std::atoi(argv[3]) : 4000;
  std::filesystem::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%03d.gif", i);
    if (!WriteGif((folder / name).string(), side, i)) {
      std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
      return 1;
    }
  }
  return 0;
}

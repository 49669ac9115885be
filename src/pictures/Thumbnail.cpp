#include "pictures/Thumbnail.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vexilo {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGrey = 0x808080;
// The picture area's long side; the bevels sit around it.
constexpr int kArea = 64;

void Plot(Bitmap24& canvas, int x, int y, std::uint32_t rgb) {
  if (x >= 0 && y >= 0 && x < canvas.Width() && y < canvas.Height()) canvas.SetPixel(x, y, rgb);
}

// The bevel's pixels in order, each handed to plot(x, y, colour).
template <typename PlotFn>
void TraceBevel(int x, int y, int a, int b, std::uint32_t first, std::uint32_t second,
                PlotFn plot) {
  for (int i = x + a; i > x; --i) plot(i, y, first);
  for (int j = y; j < y + b; ++j) plot(x, j, first);
  for (int i = x; i < x + a; ++i) plot(i, y + b, second);
  for (int j = y + b; j > y; --j) plot(x + a, j, second);
}

// The cell's pixel edges at a device pixel ratio: logical edge i lies at device pixel
// Edge(i), so every logical line keeps its place and the last one ends at the cell's side.
class ScaledEdges {
 public:
  explicit ScaledEdges(double ratio) : mRatio(ratio), mSide(SharpThumbnailSide(ratio)) {}
  int Side() const { return mSide; }
  int Edge(int i) const {
    if (i >= kThumbnailSize) return mSide;
    return std::clamp(static_cast<int>(std::lround(i * mRatio)), 0, mSide);
  }

 private:
  double mRatio;
  int mSide;
};

// Nearest-neighbour stretch of the whole picture into [left, right) x [top, bottom): each
// target pixel takes the source pixel its position falls on, counted on the full size and
// then found in the (possibly reduced) pixels.
void Stretch(const Bitmap24& pixels, int fullWidth, int fullHeight, Bitmap24& canvas,
             const ThumbnailLayout& layout) {
  const int width = layout.Right - layout.Left;
  const int height = layout.Bottom - layout.Top;
  if (width <= 0 || height <= 0 || pixels.Empty()) return;
  std::vector<int> sourceOffset(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    long long fullX = static_cast<long long>(x) * fullWidth / width;
    sourceOffset[static_cast<size_t>(x)] = static_cast<int>(fullX * pixels.Width() / fullWidth) * 3;
  }
  for (int y = 0; y < height; ++y) {
    long long fullY = static_cast<long long>(y) * fullHeight / height;
    const std::uint8_t* source = pixels.Row(static_cast<int>(fullY * pixels.Height() / fullHeight));
    std::uint8_t* target = canvas.Row(layout.Top + y) + std::ptrdiff_t{3} * layout.Left;
    for (int x = 0; x < width; ++x, target += 3) {
      const std::uint8_t* pixel = source + sourceOffset[static_cast<size_t>(x)];
      target[0] = pixel[0];
      target[1] = pixel[1];
      target[2] = pixel[2];
    }
  }
}

}  // namespace

ThumbnailLayout LayoutThumbnail(int fullWidth, int fullHeight) {
  ThumbnailLayout layout;
  if (fullHeight >= fullWidth) {
    int w = static_cast<int>(static_cast<long long>(fullWidth) * kArea / fullHeight);
    int off = (kArea - w) / 2;
    layout = {off + 7, 7, w + 1, kArea, off + 8, 8, off + 8 + w, 71};
  } else {
    int h = static_cast<int>(static_cast<long long>(fullHeight) * kArea / fullWidth);
    int off = (kArea - h) / 2;
    layout = {7, off + 7, kArea, h + 1, 8, off + 8, 71, off + 8 + h};
  }
  return layout;
}

void DrawBevel(Bitmap24& canvas, int x, int y, int a, int b, std::uint32_t first,
               std::uint32_t second) {
  TraceBevel(x, y, a, b, first, second,
             [&](int i, int j, std::uint32_t rgb) { Plot(canvas, i, j, rgb); });
}

Bitmap24 MakeThumbnail(const Bitmap24& pixels, int fullWidth, int fullHeight,
                       std::uint32_t buttonFace) {
  Bitmap24 canvas(kThumbnailSize, kThumbnailSize);
  canvas.Fill(buttonFace);
  DrawBevel(canvas, 0, 0, kThumbnailSize - 1, kThumbnailSize - 1, kWhite, kGrey);
  if (fullWidth < 1 || fullHeight < 1) return canvas;
  ThumbnailLayout layout = LayoutThumbnail(fullWidth, fullHeight);
  DrawBevel(canvas, layout.BevelX, layout.BevelY, layout.BevelWidth, layout.BevelHeight, kGrey,
            kWhite);
  Stretch(pixels, fullWidth, fullHeight, canvas, layout);
  return canvas;
}

Bitmap24 MakeThumbnail(const Bitmap24& picture, std::uint32_t buttonFace) {
  return MakeThumbnail(picture, picture.Width(), picture.Height(), buttonFace);
}

int SharpThumbnailSide(double ratio) {
  // A hair below, so that 80 * 1.1 is not taken for 89 through its rounding.
  return std::max(kThumbnailSize, static_cast<int>(std::ceil(kThumbnailSize * ratio - 1e-9)));
}

Bitmap24 MakeSharpThumbnail(const Bitmap24& pixels, int fullWidth, int fullHeight,
                            std::uint32_t buttonFace, double ratio) {
  const ScaledEdges edges(ratio);
  Bitmap24 canvas(edges.Side(), edges.Side());
  canvas.Fill(buttonFace);
  // Each logical bevel pixel becomes the block of device pixels between its scaled edges.
  auto block = [&](int x, int y, std::uint32_t rgb) {
    for (int j = edges.Edge(y); j < edges.Edge(y + 1); ++j) {
      for (int i = edges.Edge(x); i < edges.Edge(x + 1); ++i) Plot(canvas, i, j, rgb);
    }
  };
  TraceBevel(0, 0, kThumbnailSize - 1, kThumbnailSize - 1, kWhite, kGrey, block);
  if (fullWidth < 1 || fullHeight < 1) return canvas;
  const ThumbnailLayout layout = LayoutThumbnail(fullWidth, fullHeight);
  TraceBevel(layout.BevelX, layout.BevelY, layout.BevelWidth, layout.BevelHeight, kGrey, kWhite,
             block);
  ThumbnailLayout area;
  area.Left = edges.Edge(layout.Left);
  area.Top = edges.Edge(layout.Top);
  area.Right = edges.Edge(layout.Right);
  area.Bottom = edges.Edge(layout.Bottom);
  Stretch(pixels, fullWidth, fullHeight, canvas, area);
  return canvas;
}

}  // namespace vexilo

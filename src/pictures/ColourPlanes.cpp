#include "pictures/ColourPlanes.h"

#include <algorithm>

namespace vexilo {
namespace {

// How `from` cells are averaged into `to`: target cell i is the sum over the source cells
// First[i] .. End[i] - 1 of Weights[i * from + s], each source cell by the share of it the
// target covers.
struct Coverage {
  std::vector<float> Weights;
  std::vector<int> First;
  std::vector<int> End;
};

Coverage CoverageOf(int from, int to) {
  Coverage coverage{std::vector<float>(static_cast<size_t>(from) * static_cast<size_t>(to), 0.0f),
                    std::vector<int>(static_cast<size_t>(to)),
                    std::vector<int>(static_cast<size_t>(to))};
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * step;
    const double end = begin + step;
    coverage.First[static_cast<size_t>(i)] = static_cast<int>(begin);
    int s = static_cast<int>(begin);
    for (; s < from && s < end; ++s) {
      const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
      coverage.Weights[static_cast<size_t>(i * from + s)] = static_cast<float>(covered / step);
    }
    coverage.End[static_cast<size_t>(i)] = s;
  }
  return coverage;
}

}  // namespace

ColourPlanes SplitColours(const Bitmap24& pixels) {
  const int width = pixels.Width();
  const int height = pixels.Height();
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  ColourPlanes planes{{width, height, std::vector<float>(count)},
                      {width, height, std::vector<float>(count)},
                      {width, height, std::vector<float>(count)}};
  size_t at = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels.Row(y);
    for (int x = 0; x < width; ++x, ++at) {
      const float blue = row[3 * x];
      const float green = row[3 * x + 1];
      const float red = row[3 * x + 2];
      const float grey = 0.299f * red + 0.587f * green + 0.114f * blue;
      planes.Luma.Values[at] = grey;
      planes.BlueDifference.Values[at] = 128.0f + 0.564f * (blue - grey);
      planes.RedDifference.Values[at] = 128.0f + 0.713f * (red - grey);
    }
  }
  return planes;
}

Plane AreaAverage(const Plane& plane, int width, int height) {
  const Coverage across = CoverageOf(plane.Width, width);
  const Coverage down = CoverageOf(plane.Height, height);
  std::vector<float> rows(static_cast<size_t>(plane.Height) * static_cast<size_t>(width));
  for (int y = 0; y < plane.Height; ++y) {
    for (int i = 0; i < width; ++i) {
      float sum = 0;
      for (int x = across.First[static_cast<size_t>(i)]; x < across.End[static_cast<size_t>(i)];
           ++x) {
        sum += across.Weights[static_cast<size_t>(i * plane.Width + x)] * plane.At(x, y);
      }
      rows[static_cast<size_t>(y * width + i)] = sum;
    }
  }
  Plane result{width, height,
               std::vector<float>(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f)};
  for (int j = 0; j < height; ++j) {
    for (int y = down.First[static_cast<size_t>(j)]; y < down.End[static_cast<size_t>(j)]; ++y) {
      const float weight = down.Weights[static_cast<size_t>(j * plane.Height + y)];
      for (int i = 0; i < width; ++i) {
        result.Values[static_cast<size_t>(j * width + i)] +=
            weight * rows[static_cast<size_t>(y * width + i)];
      }
    }
  }
  return result;
}

}  // namespace vexilo

#include "pictures/PictureSignature.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr int kHashSide = 32;
// The hash takes the 8 x 8 lowest frequencies but the constant one, which only says how
// bright the picture is.
constexpr int kHashFrequencies = 8;

constexpr double kMaxAspectPercent = 2.0;
constexpr double kMaxLumaDifference = 2.0;
constexpr double kMaxToneDifference = 1.5;

struct Plane {
  int Width = 0;
  int Height = 0;
  std::vector<float> Values;  // top row first
  float At(int x, int y) const { return Values[static_cast<size_t>(y * Width + x)]; }
};

struct ColourPlanes {
  Plane Luma;
  Plane BlueDifference;
  Plane RedDifference;
};

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

// weights[i * from + s]: how much source cell s counts in target cell i when `from` cells are
// averaged into `to`, each source cell by the share of it the target covers.
std::vector<float> AreaWeights(int from, int to) {
  std::vector<float> weights(static_cast<size_t>(from) * static_cast<size_t>(to), 0.0f);
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * step;
    const double end = begin + step;
    for (int s = static_cast<int>(begin); s < from && s < end; ++s) {
      const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
      weights[static_cast<size_t>(i * from + s)] = static_cast<float>(covered / step);
    }
  }
  return weights;
}

// The plane stretched or shrunk to side x side, each target cell the mean of what it covers.
Plane AreaAverage(const Plane& plane, int side) {
  const std::vector<float> across = AreaWeights(plane.Width, side);
  const std::vector<float> down = AreaWeights(plane.Height, side);
  std::vector<float> rows(static_cast<size_t>(plane.Height) * static_cast<size_t>(side));
  for (int y = 0; y < plane.Height; ++y) {
    for (int i = 0; i < side; ++i) {
      float sum = 0;
      for (int x = 0; x < plane.Width; ++x) {
        sum += across[static_cast<size_t>(i * plane.Width + x)] * plane.At(x, y);
      }
      rows[static_cast<size_t>(y * side + i)] = sum;
    }
  }
  Plane result{side, side, std::vector<float>(static_cast<size_t>(side) * side, 0.0f)};
  for (int j = 0; j < side; ++j) {
    for (int y = 0; y < plane.Height; ++y) {
      const float weight = down[static_cast<size_t>(j * plane.Height + y)];
      if (weight == 0) continue;
      for (int i = 0; i < side; ++i) {
        result.Values[static_cast<size_t>(j * side + i)] +=
            weight * rows[static_cast<size_t>(y * side + i)];
      }
    }
  }
  return result;
}

std::uint64_t DctHash(const Plane& grey) {
  // cosines[u][x] of the DCT-II over kHashSide samples, frequencies 0 to kHashFrequencies.
  static const auto cosines = [] {
    std::array<std::array<double, kHashSide>, kHashFrequencies + 1> table{};
    for (int u = 0; u <= kHashFrequencies; ++u) {
      for (int x = 0; x < kHashSide; ++x) {
        table[u][x] = std::cos((2 * x + 1) * u * std::numbers::pi / (2 * kHashSide));
      }
    }
    return table;
  }();
  std::array<std::array<double, kHashFrequencies + 1>, kHashSide> rowFrequencies{};
  for (int y = 0; y < kHashSide; ++y) {
    for (int u = 1; u <= kHashFrequencies; ++u) {
      double sum = 0;
      for (int x = 0; x < kHashSide; ++x) sum += cosines[u][x] * grey.At(x, y);
      rowFrequencies[y][u] = sum;
    }
  }
  std::array<double, kHashFrequencies * kHashFrequencies> coefficients{};
  for (int v = 1; v <= kHashFrequencies; ++v) {
    for (int u = 1; u <= kHashFrequencies; ++u) {
      double sum = 0;
      for (int y = 0; y < kHashSide; ++y) sum += cosines[v][y] * rowFrequencies[y][u];
      coefficients[(v - 1) * kHashFrequencies + (u - 1)] = sum;
    }
  }
  std::array<double, coefficients.size()> sorted = coefficients;
  std::sort(sorted.begin(), sorted.end());
  const double median = (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2;
  std::uint64_t hash = 0;
  for (size_t i = 0; i < coefficients.size(); ++i) {
    if (coefficients[i] > median) hash |= std::uint64_t{1} << i;
  }
  return hash;
}

double Mean(const Plane& plane) {
  double sum = 0;
  for (float value : plane.Values) sum += value;
  return sum / static_cast<double>(plane.Values.size());
}

// The colourfulness is taken over cells, not pixels: a smaller copy has blurred away the
// colour noise of single pixels, but not the colour of its parts.
double Colourfulness(const ColourPlanes& planes) {
  const Plane blue = AreaAverage(planes.BlueDifference, kSignatureLumaSide);
  const Plane red = AreaAverage(planes.RedDifference, kSignatureLumaSide);
  double sum = 0;
  for (size_t i = 0; i < blue.Values.size(); ++i) {
    sum += std::hypot(blue.Values[i] - 128.0, red.Values[i] - 128.0);
  }
  return sum / static_cast<double>(blue.Values.size());
}

std::array<std::uint16_t, kToneValues> ToneOf(const ColourPlanes& planes) {
  const std::array<double, kToneValues> levels{Mean(planes.Luma), Mean(planes.BlueDifference),
                                               Mean(planes.RedDifference), Colourfulness(planes)};
  std::array<std::uint16_t, kToneValues> tone{};
  for (size_t i = 0; i < tone.size(); ++i) {
    tone[i] = static_cast<std::uint16_t>(
        std::clamp(std::lround(levels[i] * kToneUnit), 0L, 255L * kToneUnit));
  }
  return tone;
}

template <size_t N>
void StoreCells(const Plane& plane, std::uint8_t* cells) {
  for (size_t i = 0; i < N; ++i) {
    cells[i] = static_cast<std::uint8_t>(std::clamp(std::lround(plane.Values[i]), 0L, 255L));
  }
}

template <size_t N>
double MeanDifference(const std::uint8_t* a, const std::uint8_t* b) {
  int sum = 0;
  for (size_t i = 0; i < N; ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return static_cast<double>(sum) / N;
}

void AppendHex(std::string& text, const std::uint8_t* bytes, size_t count) {
  constexpr char kHexDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < count; ++i) {
    text += kHexDigits[bytes[i] >> 4];
    text += kHexDigits[bytes[i] & 15];
  }
}

std::optional<std::uint8_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

// The next field of `line` up to a single space or the end; false past the last field.
bool NextField(std::string_view& line, std::string_view& field) {
  if (line.empty()) return false;
  const size_t space = line.find(' ');
  field = line.substr(0, space);
  line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  return !field.empty() && (space == std::string_view::npos || !line.empty());
}

bool ParseHexBytes(std::string_view hex, std::uint8_t* bytes, size_t count) {
  if (hex.size() != 2 * count) return false;
  for (size_t i = 0; i < count; ++i) {
    std::optional<std::uint8_t> high = HexDigit(hex[2 * i]);
    std::optional<std::uint8_t> low = HexDigit(hex[2 * i + 1]);
    if (!high || !low) return false;
    bytes[i] = static_cast<std::uint8_t>(*high << 4 | *low);
  }
  return true;
}

// A plain decimal without sign or leading zeros, as SignatureText writes it.
std::optional<int> ParseCount(std::string_view text) {
  if (text == "0") return 0;
  if (text.empty() || text.front() < '1' || text.front() > '9') return std::nullopt;
  return ParseWholeNumber(text);
}

}  // namespace

PictureSignature MakePictureSignature(const ReducedPicture& picture) {
  const ColourPlanes planes = SplitColours(picture.Pixels);
  PictureSignature signature;
  signature.Hash = DctHash(AreaAverage(planes.Luma, kHashSide));
  signature.FullWidth = picture.FullWidth;
  signature.FullHeight = picture.FullHeight;
  StoreCells<kSignatureLumaCells>(AreaAverage(planes.Luma, kSignatureLumaSide),
                                  signature.Luma.data());
  signature.Tone = ToneOf(planes);
  return signature;
}

std::string SignatureDistance::Text() const {
  char text[96];
  std::snprintf(text, sizeof text, "hash %d, aspect %.1f %%, grey %.1f, tone %.2f", HashBits,
                AspectPercent, LumaDifference, ToneDifference);
  return text;
}

SignatureDistance CompareSignatures(const PictureSignature& a, const PictureSignature& b) {
  SignatureDistance distance;
  distance.HashBits = std::popcount(a.Hash ^ b.Hash);
  const double aspectA = static_cast<double>(a.FullWidth) / a.FullHeight;
  const double aspectB = static_cast<double>(b.FullWidth) / b.FullHeight;
  distance.AspectPercent = (std::max(aspectA, aspectB) / std::min(aspectA, aspectB) - 1) * 100;
  distance.LumaDifference = MeanDifference<kSignatureLumaCells>(a.Luma.data(), b.Luma.data());
  for (size_t i = 0; i < a.Tone.size(); ++i) {
    distance.ToneDifference = std::max(
        distance.ToneDifference, std::abs(int{a.Tone[i]} - int{b.Tone[i]}) / double{kToneUnit});
  }
  return distance;
}

bool SamePicture(const SignatureDistance& distance) {
  return distance.HashBits <= kSameHashBits && distance.AspectPercent <= kMaxAspectPercent &&
         distance.LumaDifference <= kMaxLumaDifference &&
         distance.ToneDifference <= kMaxToneDifference;
}

bool SamePicture(const PictureSignature& a, const PictureSignature& b) {
  return SamePicture(CompareSignatures(a, b));
}

std::string SignatureText(const PictureSignature& signature) {
  char head[64];
  std::snprintf(head, sizeof head, "%016llx %d %d ",
                static_cast<unsigned long long>(signature.Hash), signature.FullWidth,
                signature.FullHeight);
  std::string text = head;
  AppendHex(text, signature.Luma.data(), signature.Luma.size());
  for (std::uint16_t value : signature.Tone) text += " " + std::to_string(value);
  return text;
}

std::optional<PictureSignature> ParseSignature(std::string_view line) {
  std::string_view hash, width, height, cells;
  if (!NextField(line, hash) || !NextField(line, width) || !NextField(line, height) ||
      !NextField(line, cells)) {
    return std::nullopt;
  }
  PictureSignature signature;
  std::array<std::uint8_t, 8> hashBytes{};
  if (!ParseHexBytes(hash, hashBytes.data(), hashBytes.size())) return std::nullopt;
  for (std::uint8_t byte : hashBytes) signature.Hash = signature.Hash << 8 | byte;
  std::optional<int> fullWidth = ParseCount(width);
  std::optional<int> fullHeight = ParseCount(height);
  if (!fullWidth || !fullHeight || !PictureSizeAllowed(*fullWidth, *fullHeight)) {
    return std::nullopt;
  }
  signature.FullWidth = *fullWidth;
  signature.FullHeight = *fullHeight;
  if (!ParseHexBytes(cells, signature.Luma.data(), signature.Luma.size())) return std::nullopt;
  for (std::uint16_t& value : signature.Tone) {
    std::string_view field;
    std::optional<int> number;
    if (!NextField(line, field) || !(number = ParseCount(field)) || *number > 255 * kToneUnit) {
      return std::nullopt;
    }
    value = static_cast<std::uint16_t>(*number);
  }
  if (!line.empty()) return std::nullopt;
  return signature;
}

}  // namespace vexilo

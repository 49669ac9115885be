#include "pictures/PictureSignature.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "core/TextRules.h"
#include "pictures/ColourPlanes.h"

namespace vexilo {
namespace {

constexpr int kHashSide = 32;
// The hash takes the 8 x 8 lowest frequencies but the constant one, which only says how
// bright the picture is.
constexpr int kHashFrequencies = 8;

constexpr double kMaxAspectPercent = 2.0;
constexpr double kMaxToneDifference = 1.5;

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

// The colourfulness is taken over 8 x 8 cells, not pixels: a smaller copy has blurred away the
// colour noise of single pixels, but not the colour of its parts.
double Colourfulness(const ColourPlanes& planes) {
  constexpr int kCellsAcross = 8;
  const Plane blue = AreaAverage(planes.BlueDifference, kCellsAcross, kCellsAcross);
  const Plane red = AreaAverage(planes.RedDifference, kCellsAcross, kCellsAcross);
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
  signature.Hash = DctHash(AreaAverage(planes.Luma, kHashSide, kHashSide));
  signature.FullWidth = picture.FullWidth;
  signature.FullHeight = picture.FullHeight;
  signature.Tone = ToneOf(planes);
  return signature;
}

std::string SignatureDistance::Text() const {
  char text[96];
  std::snprintf(text, sizeof text, "hash %d, aspect %.1f %%, tone %.2f", HashBits, AspectPercent,
                ToneDifference);
  return text;
}

SignatureDistance CompareSignatures(const PictureSignature& a, const PictureSignature& b) {
  SignatureDistance distance;
  distance.HashBits = std::popcount(a.Hash ^ b.Hash);
  const double aspectA = static_cast<double>(a.FullWidth) / a.FullHeight;
  const double aspectB = static_cast<double>(b.FullWidth) / b.FullHeight;
  distance.AspectPercent = (std::max(aspectA, aspectB) / std::min(aspectA, aspectB) - 1) * 100;
  for (size_t i = 0; i < a.Tone.size(); ++i) {
    distance.ToneDifference = std::max(
        distance.ToneDifference, std::abs(int{a.Tone[i]} - int{b.Tone[i]}) / double{kToneUnit});
  }
  return distance;
}

bool SamePicture(const SignatureDistance& distance) {
  return distance.HashBits <= kSameHashBits && distance.AspectPercent <= kMaxAspectPercent &&
         distance.ToneDifference <= kMaxToneDifference;
}

bool SamePicture(const PictureSignature& a, const PictureSignature& b) {
  return SamePicture(CompareSignatures(a, b));
}

std::string SignatureText(const PictureSignature& signature) {
  char text[96];
  std::snprintf(text, sizeof text, "%016llx %d %d %u %u %u %u",
                static_cast<unsigned long long>(signature.Hash), signature.FullWidth,
                signature.FullHeight, signature.Tone[0], signature.Tone[1], signature.Tone[2],
                signature.Tone[3]);
  return text;
}

std::optional<PictureSignature> ParseSignature(std::string_view line) {
  std::string_view hash, width, height;
  if (!NextField(line, hash) || !NextField(line, width) || !NextField(line, height)) {
    return std::nullopt;
  }
  PictureSignature signature;
  if (hash.size() != 16) return std::nullopt;
  for (char digit : hash) {
    std::optional<std::uint8_t> value = HexDigit(digit);
    if (!value) return std::nullopt;
    signature.Hash = signature.Hash << 4 | *value;
  }
  std::optional<int> fullWidth = ParseCount(width);
  std::optional<int> fullHeight = ParseCount(height);
  if (!fullWidth || !fullHeight || !PictureSizeAllowed(*fullWidth, *fullHeight)) {
    return std::nullopt;
  }
  signature.FullWidth = *fullWidth;
  signature.FullHeight = *fullHeight;
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

#pragma once
// A perceptual signature of a picture, made from the reduced decode its thumbnail comes from,
// so that the same photo at another size or JPEG quality is recognised without a second
// decode. A 64-bit DCT hash of a 32 x 32 grey reduction finds the candidates; the aspect ratio
// of the full size and the tone of the whole picture sort out most of the rest. It is the
// first of two stages: the candidates it lets through are compared pixel by pixel
// (PixelComparison.h) before two pictures count as one. Plain values; any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pictures/Bitmap24.h"

namespace vexilo {

// The tone of the whole picture in kToneUnit-ths of a level: mean grey, mean blue and red
// difference (offset by 128), and mean colourfulness (the two differences' size).
inline constexpr int kToneUnit = 64;
inline constexpr int kToneValues = 4;

struct PictureSignature {
  std::uint64_t Hash = 0;
  int FullWidth = 0;
  int FullHeight = 0;
  std::array<std::uint16_t, kToneValues> Tone{};

  // Which of two copies is the larger.
  std::int64_t PixelCount() const { return static_cast<std::int64_t>(FullWidth) * FullHeight; }
  bool operator==(const PictureSignature&) const = default;
};

// The signature of a picture from its pixels (any reduction of it that keeps the aspect
// ratio, such as the 128-pixel thumbnail-cache copy) and its full size. REQUIRES: the pixels
// are not empty and the full size is allowed by PictureSizeAllowed.
PictureSignature MakePictureSignature(const ReducedPicture& picture);

// How far two signatures are apart, measure by measure, for the decision and its messages.
struct SignatureDistance {
  int HashBits = 0;           // differing bits of the two hashes, 0 to 64
  double AspectPercent = 0;   // how much the wider aspect ratio exceeds the narrower
  double ToneDifference = 0;  // the largest difference of the tone values, in levels
  std::string Text() const;   // "hash 4, aspect 0.4 %, tone 0.30"
};

SignatureDistance CompareSignatures(const PictureSignature& a, const PictureSignature& b);

// The largest hash distance two copies of one picture are allowed: the index looks up the
// candidates within it.
inline constexpr int kSameHashBits = 8;

// True when a and b may be the same picture at another size or encoding: within
// kSameHashBits, the aspect and the tone limits. The pixels have the last word.
bool SamePicture(const SignatureDistance& distance);
bool SamePicture(const PictureSignature& a, const PictureSignature& b);

// One line for a state file: the hash in 16 hex digits, the full width and height and the
// tone values in decimal, separated by single spaces.
std::string SignatureText(const PictureSignature& signature);
// The signature of a line SignatureText wrote; nothing for any other text (a hand-edited or
// truncated line, a size PictureSizeAllowed refuses, upper-case or missing digits).
std::optional<PictureSignature> ParseSignature(std::string_view line);

}  // namespace vexilo

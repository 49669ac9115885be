// Precision and recall of the two stages of CopyFinder over the pairs of
// make-signature-pairs.sh, by kind of pair: how many the signature lets through and how many
// the pixels then merge. --all prints every pair's distances too.
// Usage: signature_pairs <folder with pairs.txt> [--all]

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "pictures/PixelComparison.h"
#include "pictures/ThumbnailMaker.h"

namespace {

struct KindCount {
  bool ShouldMerge = false;
  int Pairs = 0;
  int Candidates = 0;  // let through by the signature
  int Merged = 0;      // and by the pixels
};

struct Signed {
  vexilo::PictureSignature Signature;
  vexilo::ReducedPicture Normal;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder with pairs.txt> [--all]\n", argv[0]);
    return 2;
  }
  const bool all = argc > 2 && std::string(argv[2]) == "--all";
  std::ifstream list(std::string(argv[1]) + "/pairs.txt");
  if (!list) {
    std::fprintf(stderr, "no pairs.txt in %s: run make-signature-pairs.sh\n", argv[1]);
    return 1;
  }
  std::map<std::string, Signed> made;
  auto signedOf = [&](const std::string& file) -> const Signed* {
    auto found = made.find(file);
    if (found == made.end()) {
      vexilo::ThumbnailResult result = vexilo::MakeSignedThumbnailResult(file, 0);
      if (!result.Signature || !result.Normal) {
        std::fprintf(stderr, "%s\n", result.Error.c_str());
        return nullptr;
      }
      found = made.emplace(file, Signed{*result.Signature, std::move(*result.Normal)}).first;
    }
    return &found->second;
  };
  std::map<std::string, KindCount> kinds;
  std::string line;
  while (std::getline(list, line)) {
    std::istringstream fields(line);
    std::string expect, kind, a, b;
    if (!(fields >> expect >> kind >> a >> b)) continue;
    const Signed* kept = signedOf(a);
    const Signed* added = signedOf(b);
    if (!kept || !added) return 1;
    const vexilo::SignatureDistance signature =
        vexilo::CompareSignatures(added->Signature, kept->Signature);
    const vexilo::PixelDistance pixels =
        vexilo::ComparePixels(added->Normal.Pixels, kept->Normal.Pixels);
    const bool candidate = vexilo::SamePicture(signature);
    const bool merged =
        candidate && vexilo::SamePixels(pixels, std::min(vexilo::LongSide(added->Normal),
                                                         vexilo::LongSide(kept->Normal)));
    KindCount& count = kinds[kind];
    count.ShouldMerge = expect == "same";
    ++count.Pairs;
    count.Candidates += candidate ? 1 : 0;
    count.Merged += merged ? 1 : 0;
    if (all) {
      std::printf("%s %s %d %.2f %.2f | %d %d %.3f %.3f %.2f %.2f %.2f %.2f %.2f %.2f | %d %d %s\n",
                  expect.c_str(), kind.c_str(), signature.HashBits, signature.AspectPercent,
                  signature.ToneDifference, pixels.BestX, pixels.BestY, pixels.OffsetX,
                  pixels.OffsetY, pixels.GreyDifference, pixels.ColourDifference, pixels.Steepness,
                  pixels.GreyShift, pixels.ColourShift, pixels.HueTurn, candidate ? 1 : 0,
                  merged ? 1 : 0, b.c_str());
    }
  }
  int truePositives = 0, falsePositives = 0, shouldMerge = 0;
  for (const auto& [kind, count] : kinds) {
    std::printf("%-22s %-9s %4d pairs, %4d candidates, %4d merged\n", kind.c_str(),
                count.ShouldMerge ? "same" : "different", count.Pairs, count.Candidates,
                count.Merged);
    if (count.ShouldMerge) {
      shouldMerge += count.Pairs;
      truePositives += count.Merged;
    } else {
      falsePositives += count.Merged;
    }
  }
  const int merged = truePositives + falsePositives;
  std::printf("precision %.4f (%d of %d merges right), recall %.4f (%d of %d copies found)\n",
              merged > 0 ? static_cast<double>(truePositives) / merged : 1.0, truePositives, merged,
              shouldMerge > 0 ? static_cast<double>(truePositives) / shouldMerge : 1.0,
              truePositives, shouldMerge);
  return 0;
}

// Precision and recall of SamePicture over the pairs of make-signature-pairs.sh, by kind of
// pair, with the widest distance of the pairs that must merge and the narrowest of those that
// must not. --all prints every pair's distance too.
// Usage: signature_pairs <folder with pairs.txt> [--all]

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "pictures/ThumbnailMaker.h"

namespace {

using vexilo::PictureSignature;
using vexilo::SignatureDistance;

struct KindCount {
  bool ShouldMerge = false;
  int Pairs = 0;
  int Merged = 0;
  SignatureDistance Extreme;  // widest (same) or narrowest (different) hash distance
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
  std::map<std::string, PictureSignature> signatures;
  auto signatureOf = [&](const std::string& file) -> const PictureSignature* {
    auto found = signatures.find(file);
    if (found == signatures.end()) {
      vexilo::ThumbnailResult made = vexilo::MakeSignedThumbnailResult(file, 0);
      if (!made.Signature) {
        std::fprintf(stderr, "%s\n", made.Error.c_str());
        return nullptr;
      }
      found = signatures.emplace(file, *made.Signature).first;
    }
    return &found->second;
  };
  std::map<std::string, KindCount> kinds;
  std::string line;
  while (std::getline(list, line)) {
    std::istringstream fields(line);
    std::string expect, kind, a, b;
    if (!(fields >> expect >> kind >> a >> b)) continue;
    const PictureSignature* first = signatureOf(a);
    const PictureSignature* second = signatureOf(b);
    if (!first || !second) return 1;
    const SignatureDistance distance = vexilo::CompareSignatures(*first, *second);
    const bool merged = vexilo::SamePicture(distance);
    KindCount& count = kinds[kind];
    count.ShouldMerge = expect == "same";
    if (count.Pairs == 0 || (count.ShouldMerge ? distance.HashBits > count.Extreme.HashBits
                                               : distance.HashBits < count.Extreme.HashBits)) {
      count.Extreme = distance;
    }
    ++count.Pairs;
    count.Merged += merged ? 1 : 0;
    if (all) {
      std::printf("%s %s %d %.2f %.2f %.2f %d %s", expect.c_str(), kind.c_str(), distance.HashBits,
                  distance.AspectPercent, distance.LumaDifference, distance.ToneDifference,
                  merged ? 1 : 0, b.c_str());
      for (size_t i = 0; i < first->Tone.size(); ++i) {
        std::printf(" %.2f", (second->Tone[i] - first->Tone[i]) / double{vexilo::kToneUnit});
      }
      std::printf("\n");
    }
  }
  int truePositives = 0, falsePositives = 0, shouldMerge = 0;
  for (const auto& [kind, count] : kinds) {
    std::printf("%-22s %-9s %5d pairs, %5d merged; %s %s\n", kind.c_str(),
                count.ShouldMerge ? "same" : "different", count.Pairs, count.Merged,
                count.ShouldMerge ? "widest" : "nearest", count.Extreme.Text().c_str());
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

#include "pictures/CopyFinder.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "pictures/PixelComparison.h"
#include "pictures/ThumbnailMaker.h"

namespace vexilo {
namespace {

// Past the nearest few, candidates cost a decode each and are ever less likely: a task of
// many near-identical pictures must not make every new one read them all.
constexpr std::size_t kMostCandidates = 8;

bool SignatureUsable(const PictureSignature& signature) {
  return PictureSizeAllowed(signature.FullWidth, signature.FullHeight);
}

}  // namespace

std::optional<CopyFinder::Copy> CopyFinder::FindSame(const PictureSignature& signature,
                                                     const ReducedPicture& normal,
                                                     DecodeBudget& budget) {
  if (!SignatureUsable(signature) || normal.Pixels.Empty()) return std::nullopt;
  std::vector<Copy> candidates;
  {
    std::lock_guard lock(mMutex);
    for (const SignatureIndex::Match& match : mIndex.Candidates(signature)) {
      if (candidates.size() == kMostCandidates) break;
      candidates.push_back({mPaths.PathOf(match.Id), match.Signature, match.Distance.Text()});
    }
  }
  // The pixels are compared without the lock: reading the kept picture may take a decode.
  for (Copy& candidate : candidates) {
    ReducedPicture kept;
    try {
      // The kept picture's normal reduction comes from the thumbnail cache, where its own
      // thumbnail put it; without the cache it is decoded reduced again. Either happens only
      // for a candidate that passed the signature, which is rare.
      kept = NormalReduction(candidate.KeptPath, budget);
    } catch (const std::exception&) {
      continue;  // removed or replaced meanwhile, or unreadable now: not a copy of it
    }
    if (kept.Pixels.Empty()) continue;
    const PixelDistance pixels = ComparePixels(normal.Pixels, kept.Pixels);
    if (!SamePixels(pixels, std::min(LongSide(normal), LongSide(kept)))) continue;
    candidate.Why += "; " + pixels.Text();
    return std::move(candidate);
  }
  return std::nullopt;
}

void CopyFinder::Keep(const std::string& path, const PictureSignature& signature) {
  if (!SignatureUsable(signature)) return;
  std::lock_guard lock(mMutex);
  if (std::optional<PathTable::Id> old = mPaths.Find(path)) {
    mIndex.Remove(*old);
    mPaths.Remove(*old);
  }
  mPaths.Put(mIndex.Add(signature), path);
}

void CopyFinder::Forget(const std::string& path) {
  std::lock_guard lock(mMutex);
  if (std::optional<PathTable::Id> id = mPaths.Find(path)) {
    mIndex.Remove(*id);
    mPaths.Remove(*id);
  }
}

std::size_t CopyFinder::Size() const {
  std::lock_guard lock(mMutex);
  return mIndex.Size();
}

std::size_t CopyFinder::MemoryBytes() const {
  std::lock_guard lock(mMutex);
  return sizeof(*this) + mIndex.MemoryBytes() + mPaths.MemoryBytes();
}

}  // namespace vexilo

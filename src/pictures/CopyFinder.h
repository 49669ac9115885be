#pragma once
// Finds whether a new picture is the same picture as one a task keeps, at another size or
// encoding, in two stages: the signature index gives the kept pictures whose hash, aspect
// ratio and tone are near, and the candidates are then compared pixel by pixel with the new
// picture's normal reduction (PixelComparison.h). Memory holds only the first stage: the
// signature and the path of each kept picture. Any thread: the download completions call it
// on several at once.

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"
#include "pictures/PathTable.h"
#include "pictures/PictureSignature.h"
#include "pictures/SignatureIndex.h"

namespace vexilo {

class CopyFinder {
 public:
  struct Copy {
    std::string KeptPath;
    PictureSignature KeptSignature;
    std::string Why;  // both stages' distances, for the log
  };

  // The kept picture the new one (its signature and its 128-px normal reduction) is the
  // same picture as, if any.
  std::optional<Copy> FindSame(const PictureSignature& signature, const ReducedPicture& normal,
                               DecodeBudget& budget = DecodeBudget::Shared());
  // Keeps the picture at `path`, replacing what was kept there. A signature without a size
  // PictureSizeAllowed takes is ignored.
  void Keep(const std::string& path, const PictureSignature& signature);
  // A replaced smaller copy leaves it. A path not kept is ignored.
  void Forget(const std::string& path);
  std::size_t Size() const;
  std::size_t MemoryBytes() const;

 private:
  mutable std::mutex mMutex;
  SignatureIndex mIndex;
  PathTable mPaths;  // by the index's entry ids
};

}  // namespace vexilo

#pragma once
// "Keep only the largest copy of each picture": of the pictures a task downloads that are one
// photo at other sizes or encodings, only the one with the most pixels stays. Each picture
// kept is remembered with its signature in the task's state folder, so that the copies met
// after a Stop, a Resume or a restart are recognised too; a task without that file starts
// with none. One object per start of a task's downloads.

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "core/FileLayer.h"
#include "pictures/CopyFinder.h"
#include "pictures/PictureSignature.h"

namespace vexilo {

inline constexpr const char* kSignaturesFile = "signatures.dat";

struct CopyDecision {
  // "smaller copy of <name>" when the new picture's file was removed; "" keeps it.
  std::string RemovedBecause;
  // The smaller copy whose file was removed for the new picture, or "".
  std::string ReplacedPath;
};

class LargestCopies {
 public:
  // Main thread: reads the signatures of stateFolder's file; lines that do not read, and
  // pictures whose file is gone, are left out. A state folder that is a link is neither read
  // nor written. layer must outlive the object.
  LargestCopies(std::filesystem::path stateFolder, FileLayer& layer = DiskFileLayer());

  // Any thread, after the picture's decode (normal is its 128-pixel reduction): a copy
  // no larger than the kept one is removed; a larger one removes the kept one and is kept.
  // A file that cannot be removed stays, and the picture counts as a picture of its own.
  CopyDecision Check(const std::string& savedPath, const PictureSignature& signature,
                     const ReducedPicture& normal);

  // Main thread: writes the signatures kept since the last call. Raises FileError.
  void SaveKept();

  std::size_t KeptCount();

 private:
  void Keep(const std::string& savedPath, const PictureSignature& signature);

  std::filesystem::path mFile;  // empty: nothing is saved
  FileLayer& mLayer;
  std::mutex mLock;
  CopyFinder mFinder;
  std::string mUnsaved;   // lines not written yet
  bool mEndLine = false;  // the file's last line was cut short
};

}  // namespace vexilo

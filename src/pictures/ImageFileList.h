#pragma once
// TImageFileList: the one ordered list of picture file paths the grid shows, with a current
// position. Entry i always stands for grid item i. Main thread only.

#include <stdexcept>
#include <string>
#include <vector>

namespace vexilo {

// Reading an entry at a position outside 0..Count()-1: "List index out of bounds (%d)".
class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(int index);
};

class TImageFileList {
 public:
  // Appends; the current position is unchanged.
  void Add(const std::string& path);
  // Removes every entry; the current position becomes -1.
  void Clear();
  // The entries become a copy of `paths`; the current position is unchanged, even when it
  // now lies past the end.
  void ReplaceAll(const std::vector<std::string>& paths);
  // Lists the pictures of `folder` (no trailing "/"): every entry whose name ends in .bmp,
  // .gif, .jpg or .jpeg in any letter case (and .png, .webp, .avif with the modern kinds of
  // PictureReading.h on), folders included, as folder + "/" + name, sorted by name without
  // regard to case (ties by the exact name). A missing or unreadable folder gives an empty
  // list. Current becomes -1.
  void ScanFolder(const std::string& folder);

  int Count() const { return static_cast<int>(mPaths.size()); }
  const std::vector<std::string>& Paths() const { return mPaths; }
  int CurrentIndex() const { return mCurrent; }
  // No range test: reads check the position instead.
  void SetCurrentIndex(int index) { mCurrent = index; }

  // The entry at the current position, or ListIndexError.
  const std::string& CurrentPath() const;
  // The part of CurrentPath() after its last "/".
  std::string CurrentFileName() const;
  // Move forward (backward) with wrap-around, then return CurrentPath(). From -1 the first
  // Next lands on 0; an empty list raises ListIndexError after the move.
  const std::string& Next();
  const std::string& Previous();

 private:
  std::vector<std::string> mPaths;
  int mCurrent = -1;
};

}  // namespace vexilo

#pragma once
// TImageFileList: the pictures the grid shows, one ordered list of entries that each carry
// the picture's path and its grid thumbnail (packed: a folder of tens of thousands keeps them
// all), with a current position. Entry i always stands for grid item i, outside a listing's
// grid build; the grid, the viewer and the gallery all read it. Main thread only.

#include <stdexcept>
#include <string>
#include <vector>

#include "pictures/PackedBitmap.h"

namespace vexilo {

// Reading an entry at a position outside 0..Count()-1: "List index out of bounds (%d)".
class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(int index);
};

struct PictureItem {
  std::string Path;
  PackedBitmap Thumbnail;  // empty until the grid build makes it (and in lists without a grid)
};

class TImageFileList {
 public:
  // Appends; the current position is unchanged.
  void Add(std::string path, PackedBitmap thumbnail = {});
  // The position of the entry of that path, or -1.
  int IndexOf(const std::string& path) const;
  // Entry index becomes another picture; ListIndexError when there is no such entry.
  void Replace(int index, std::string path, PackedBitmap thumbnail);
  // Gives entry from its thumbnail and swaps it to position at (at <= from): a grid build
  // keeps the entries it shows first, so that grid item i reads entry i while it runs.
  void ShowAt(int from, int at, PackedBitmap thumbnail);
  // Removes every entry; the current position becomes -1.
  void Clear();
  // Removes entry index (ListIndexError when there is none). A current position past it
  // moves back one, so it keeps its entry; on it, it now stands for the entry that followed.
  void RemoveAt(int index);
  // Entry index's picture was renamed or moved: the same thumbnail, another path.
  void SetPath(int index, std::string path);
  // Entry i becomes the entry that was at place[i]; place holds every position once. The
  // current position follows its entry.
  void Reorder(const std::vector<std::size_t>& place);
  // Removes the entries without a thumbnail (those a grid build could not show); the current
  // position is unchanged, even when it now lies past the end.
  void RemoveWithoutThumbnail();
  // Lists the pictures of `folder` (no trailing "/"): every entry whose name ends in .bmp,
  // .gif, .jpg or .jpeg in any letter case (and .png, .webp, .avif with the modern kinds of
  // PictureReading.h on), folders included, as folder + "/" + name, sorted by name without
  // regard to case (ties by the exact name). A missing or unreadable folder gives an empty
  // list. Current becomes -1.
  void ScanFolder(const std::string& folder);

  int Count() const { return static_cast<int>(mItems.size()); }
  const std::vector<PictureItem>& Items() const { return mItems; }
  // A copy of the entries' paths, in order.
  std::vector<std::string> Paths() const;
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
  std::vector<PictureItem> mItems;
  int mCurrent = -1;
};

}  // namespace vexilo

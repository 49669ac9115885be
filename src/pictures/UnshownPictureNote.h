#pragma once
// Pictures a task saved that the grid cannot show: with the modern kinds off, a PNG, WebP or
// AVIF picture keeps the name its page gave it (".jpg" mostly), and the decoder that name
// asks for fails on it. The downloads count them; the task's completion tells the user once
// how to see them.

#include <mutex>
#include <set>
#include <string>

#include "core/PictureHeader.h"

namespace vexilo {

class UnshownPictureNote {
 public:
  // Main thread: a task's downloads start; its earlier count is dropped.
  void Start(const std::string& folderName);
  // Any thread: savedPath could not be made a thumbnail of. Counted when its bytes are a
  // modern kind and the modern kinds are off.
  void CountIfModern(const std::string& savedPath);
  // Main thread, at the completion of the task's downloads: "17 pictures are PNG files saved
  // as .jpg: turn on ..." the first time a task has such pictures, then "".
  std::string TakeNote();

 private:
  std::mutex mLock;
  std::string mFolderName;
  int mCount = 0;
  std::set<PictureFormat> mKinds;
  std::set<std::string> mEndings;
  std::set<std::string> mTold;  // tasks' folder names
};

}  // namespace vexilo

#pragma once
// The modern gallery's folder: index.html (ModernGalleryPage.h), thumbs/ with each picture's
// thumbnails at 1x and 2x as WebP and as JPEG for browsers without WebP, and pictures/ with
// the pictures copied as the classic gallery copies them. The thumbnails are made on every
// core from the picture model's reduced decode under the shared decode budget. Called on the
// main thread; the work runs on threads of its own.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pictures/DecodeBudget.h"

namespace vexilo {

struct ModernGalleryPicture {
  std::string Path;
  std::string Address{};  // a task's picture: where it came from, and the page it was on
  std::string Page{};
};

struct ModernGalleryParts {
  std::vector<ModernGalleryPicture> Pictures;  // in the order the page shows them
  std::string Title;
  // Called on the calling thread while the workers run, with the pictures done so far.
  std::function<void(int done)> Waiting{};
  unsigned Threads = 0;            // 0: one per core
  DecodeBudget* Budget = nullptr;  // nullptr: the shared one
  bool Webp = true;                // false: JPEG thumbnails only, to measure what WebP costs
};

struct ModernGalleryResult {
  std::filesystem::path Index;  // folder/index.html
  int Thumbnails = 0;           // pictures with both thumbnails written
  int Copied = 0;               // pictures copied now (not there before)
};

// "Making the gallery: 12 of 300 pictures", the progress panel's text while it is made.
std::string MakingGalleryText(int done, int count);

// Writes the gallery into folder (made when missing). Thumbnails and index.html are replaced;
// a picture copy never replaces a file and never follows a link, and one that fails is left
// out. A picture that cannot be read or whose thumbnails cannot be written shows its name
// instead of a thumbnail. Raises FileError when a folder cannot be made, thumbs/ or
// pictures/ is a link, or index.html cannot be written.
ModernGalleryResult WriteModernGallery(const ModernGalleryParts& parts,
                                       const std::filesystem::path& folder);

}  // namespace vexilo

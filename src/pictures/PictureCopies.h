#pragma once
// Thumbnails > "Find Copies of Pictures": the pictures of a listing that are one picture at
// other sizes or encodings, grouped, the one with the most pixels first, and the box that
// offers to move the smaller copies to the Trash.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexilo {

inline constexpr const char* kNoCopiesText = "No picture here has a smaller copy.";
inline constexpr const char* kFindingCopiesText = "Looking for copies of the pictures...";

struct CopyGroup {
  std::string Largest;  // the path of the copy with the most pixels
  int Width = 0;        // its full size
  int Height = 0;
  std::vector<std::string> Smaller;  // the other copies' paths, by name
  std::uintmax_t SmallerBytes = 0;   // the space they take
};

// Decodes the pictures on a thread per core (each once; the thumbnail cache spares most
// decodes) while `waiting` runs on the calling thread, which should let the window's
// events run. Pictures that cannot be read are left out. Groups by the largest copy's path.
std::vector<CopyGroup> FindPictureCopies(const std::vector<std::string>& paths,
                                         const std::function<void()>& waiting);

// "Move the 7 smaller copies of 3 pictures (4.2 MB) to the Trash?" with a line per group
// (the first 20 of them) before it.
std::string CopyGroupsQuestion(const std::vector<CopyGroup>& groups);

}  // namespace vexilo

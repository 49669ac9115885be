#pragma once
// One row of the picture list: stored as four lines in listview.dat, and its page as a line
// of pages.dat.

#include <string>

namespace vexilo {

struct PictureEntry {
  std::string Name;   // the file-name part of the picture's address
  std::string Link;   // the picture's address
  std::string Width;  // pixels in decimal, any text the harvest found, or empty
  std::string Height;
  std::string Page{};  // the address of the page the picture was found on, or empty
  // Where a followed redirection ended, or empty. Never stored: the row is found again by
  // Link, but the list shows, copies and exports the address the picture came from.
  std::string FinalLink{};

  const std::string& ShownLink() const { return FinalLink.empty() ? Link : FinalLink; }

  bool operator==(const PictureEntry&) const = default;
};

}  // namespace vexilo

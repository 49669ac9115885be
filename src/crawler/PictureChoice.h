#pragma once
// Which address of an image element a browser would show: lazy-loading pages keep one tiny
// placeholder in src and the real picture in an attribute, galleries link the full-size
// picture from a thumbnail, and srcset offers several sizes of one picture.

#include <string>
#include <unordered_set>

#include "crawler/PageBrowser.h"

namespace vexilo {

// A src that this many image elements share while each also names another address is a
// placeholder, not a picture.
inline constexpr int kPlaceholderUses = 3;

class PictureChoice {
 public:
  // Counts the placeholders of the document's images and extra images.
  explicit PictureChoice(const PageDocument& document);

  // The linked picture, else the full size, else the largest candidate, else the lazy
  // source, else src: the first that is neither a data: address nor a placeholder. Empty
  // when there is none.
  std::string AddressOf(const PageImage& image) const;
  // Some image or extra image of the document has address among its addresses: a picture the
  // page asked for that is one of them was chosen already or passed over.
  bool Names(const std::string& address) const { return mNamed.contains(address); }

 private:
  std::unordered_set<std::string> mPlaceholders;
  std::unordered_set<std::string> mNamed;
};

}  // namespace vexilo

#include "crawler/PictureChoice.h"

#include <unordered_map>
#include <vector>

#include "core/TextRules.h"

namespace vexilo {
namespace {

bool HasAlternative(const PageImage& image) {
  return !image.LinkedPicture.empty() || !image.FullSize.empty() ||
         !image.LargestCandidate.empty() || !image.LazySource.empty();
}

bool IsDataAddress(const std::string& address) {
  return LowerAscii(Trim(address)).starts_with("data:");
}

}  // namespace

PictureChoice::PictureChoice(const PageDocument& document) {
  std::unordered_map<std::string, int> uses;
  for (const std::vector<PageImage>* list : {&document.Images, &document.ExtraImages}) {
    for (const PageImage& image : *list) {
      for (const std::string* address :
           {&image.Href, &image.LinkedPicture, &image.FullSize, &image.LargestCandidate,
            &image.LazySource, &image.Shown}) {
        if (!address->empty()) mNamed.insert(*address);
      }
      if (image.Href.empty() || !HasAlternative(image)) continue;
      if (++uses[image.Href] == kPlaceholderUses) mPlaceholders.insert(image.Href);
    }
  }
}

std::string PictureChoice::AddressOf(const PageImage& image) const {
  for (const std::string* address : {&image.LinkedPicture, &image.FullSize, &image.LargestCandidate,
                                     &image.LazySource, &image.Href}) {
    if (address->empty() || IsDataAddress(*address) || mPlaceholders.contains(*address)) continue;
    return *address;
  }
  return "";
}

}  // namespace vexilo

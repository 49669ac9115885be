#pragma once
// What a gallery page says: the image fragment of a picture, the page link bar, and the
// expansion of a template tag on page p. The texts are fixed to the byte, "\r\n" included,
// because pages made before stay linked to pages made now. Any thread.

#include <functional>
#include <string>

#include "gallery/TemplateExpander.h"

namespace vexilo {

inline constexpr int kGalleryPageSize = 36;

// The last page number for count pictures: count div 36. A count that fills its pages
// exactly still has an empty last page.
int LastGalleryPage(int count);

// The link and thumbnail of picture n. The file name is percent-encoded in the link and
// HTML-escaped in the alt text, so that no name breaks the page; a plain name stands as it is.
std::string GalleryImageFragment(const std::string& fileName, int n);

// Previous, the numbers of every page (page's own in bold) and Next.
std::string GalleryLinkBar(int page, int lastPage);

// The replacement of tag on page `page` of a gallery of count pictures. "IMAGE" gives the
// fragment of picture 36 x page + k, k from its "ImageID" parameter, or nothing when that
// picture does not exist (a negative k included); fileNameOf(n) names picture n. "LinkPage"
// (exactly so) gives the link bar; any other tag nothing. Raises ConversionError when an
// "IMAGE" tag's "ImageID" is missing or not a whole number.
std::string ExpandGalleryTag(const TemplateTag& tag, int page, int count,
                             const std::function<std::string(int n)>& fileNameOf);

}  // namespace vexilo

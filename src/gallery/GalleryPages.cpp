#include "gallery/GalleryPages.h"

#include "core/TextRules.h"
#include "gallery/HtmlText.h"

namespace vexilo {
namespace {

constexpr const char* kCrLf = "\r\n";

std::string PageLink(int m) {
  const std::string number = std::to_string(m);
  return "<a href=\"page" + number + ".html\"><u>" + number + "</u></a>" + kCrLf;
}

}  // namespace

int LastGalleryPage(int count) { return count < 0 ? 0 : count / kGalleryPageSize; }

std::string GalleryImageFragment(const std::string& fileName, int n) {
  return "<a href=\"large/" + AddressSegment(fileName) + "\">" + kCrLf +
         "<IMG border=\"0\" alt=\"" + HtmlEscaped(fileName) + "\" src=\"small/" +
         std::to_string(n) + ".bmp\" width=\"80\" height=\"80\"></a>";
}

std::string GalleryLinkBar(int page, int lastPage) {
  std::string bar;
  if (page > 0) {
    bar += std::string(kCrLf) + "<p align=\"center\"><span ><a href=\"page" +
           std::to_string(page - 1) + ".html\">[Previous]</a></span>" + kCrLf;
  } else {
    bar += std::string(kCrLf) + "<p align=\"center\"><span >[Previous]</span>" + kCrLf;
  }
  for (int m = 0; m < page; ++m) bar += PageLink(m);
  bar += "<b> " + std::to_string(page) + "</b>" + kCrLf;
  for (int m = page + 1; m <= lastPage; ++m) bar += PageLink(m);
  if (page >= lastPage) {
    bar += std::string("<span>[Next]</span></p>") + kCrLf;
  } else {
    bar += "<span> <a href=\"page" + std::to_string(page + 1) + ".html\">[Next]</a></span></p>" +
           kCrLf;
  }
  return bar;
}

std::string ExpandGalleryTag(const TemplateTag& tag, int page, int count,
                             const std::function<std::string(int n)>& fileNameOf) {
  if (tag.IsImage) {
    const std::string* id = tag.Parameter("ImageID");
    const std::int32_t k = ToWholeNumber(id != nullptr ? *id : "");
    if (k < 0 || k > count - kGalleryPageSize * page - 1) return "";
    const int n = kGalleryPageSize * page + k;
    return GalleryImageFragment(fileNameOf(n), n);
  }
  if (tag.Name == "LinkPage") return GalleryLinkBar(page, LastGalleryPage(count));
  return "";
}

}  // namespace vexilo

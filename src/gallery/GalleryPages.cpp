#include "gallery/GalleryPages.h"

#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr const char* kCrLf = "\r\n";

// The name in an attribute or text: the four characters that could end or open markup.
std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// The name as one path segment of an address: what a segment may hold stays as it is (so a
// plain name, "(1)" prefixes included, comes out unchanged), everything else is
// percent-encoded, "&" too so that nothing needs escaping in the attribute.
std::string AddressSegment(std::string_view name) {
  static constexpr std::string_view kKept = "-._~!$'()*+,;=:@";
  std::string segment;
  segment.reserve(name.size());
  for (unsigned char c : name) {
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      kKept.find(static_cast<char>(c)) != std::string_view::npos;
    if (kept) {
      segment += static_cast<char>(c);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      segment += '%';
      segment += kHex[c >> 4];
      segment += kHex[c & 0xF];
    }
  }
  return segment;
}

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

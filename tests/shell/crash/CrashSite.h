#pragma once
// The site the crash test crawls, known to both of its processes: a starting page, two levels
// of pages below it, and the pictures on them, each of which the server serves slowly.

#include <map>
#include <string>
#include <vector>

#include "crawler/PageBrowser.h"

namespace vexilo::test {

// The path of every page, with the pages it links to and the pictures it shows.
struct CrashPage {
  std::vector<std::string> Links;
  std::vector<std::string> Pictures;
};

inline std::map<std::string, CrashPage> CrashSitePages() {
  std::map<std::string, CrashPage> pages;
  int picture = 0;
  auto pictures = [&picture](int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
      paths.push_back("/pics/photo" + std::to_string(picture++) + ".jpg");
    return paths;
  };
  pages["/"] = {{"/a", "/b", "/c", "/d"}, pictures(4)};
  for (const char* page : {"/a", "/b", "/c", "/d"}) {
    pages[page] = {{std::string(page) + "/1", std::string(page) + "/2"}, pictures(8)};
    for (const char* below : {"/1", "/2"}) pages[std::string(page) + below] = {{}, pictures(3)};
  }
  return pages;
}

// Every picture path of the site, in no particular order.
inline std::vector<std::string> CrashSitePictures() {
  std::vector<std::string> all;
  for (const auto& [path, page] : CrashSitePages()) {
    all.insert(all.end(), page.Pictures.begin(), page.Pictures.end());
  }
  return all;
}

// The document of the page at base + path; none for an address off the site.
inline std::optional<PageDocument> CrashSiteDocument(const std::string& base,
                                                     const std::string& address) {
  if (!address.starts_with(base)) return std::nullopt;
  const auto pages = CrashSitePages();
  const auto found = pages.find(address.substr(base.size()));
  if (found == pages.end()) return std::nullopt;
  PageDocument document;
  for (const std::string& link : found->second.Links) document.Links.push_back(base + link);
  for (const std::string& picture : found->second.Pictures) {
    document.Images.push_back({base + picture, 640, 480});
  }
  return document;
}

}  // namespace vexilo::test

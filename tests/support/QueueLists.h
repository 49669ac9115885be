#pragma once
// The addresses and the save paths of a crawl's download queue, each as one list, for
// comparisons in tests.

#include <string>
#include <vector>

#include "core/CrawlState.h"

namespace vexilo::test {

inline std::vector<std::string> QueuedUrls(const CrawlState& state) {
  std::vector<std::string> urls;
  for (const QueuedPicture& picture : state.Queue) urls.push_back(picture.Url);
  return urls;
}

inline std::vector<std::string> QueuedSavePaths(const CrawlState& state) {
  std::vector<std::string> paths;
  for (const QueuedPicture& picture : state.Queue) paths.push_back(picture.SavePath);
  return paths;
}

}  // namespace vexilo::test

#pragma once
// A size probe that answers from a table and records what it was asked; it can also wait
// through the caller's keepWaiting until told to stop.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "crawler/PictureSizeProbe.h"

namespace vexilo::test {

class ScriptedSizeProbe : public PictureSizeProbe {
 public:
  std::map<std::string, PictureDimensions> Sizes;  // an address missing here is unknown
  bool WaitUntilStopped = false;
  std::vector<std::vector<std::string>> Calls;

  std::vector<std::optional<PictureDimensions>> ReadSizes(const std::vector<std::string>& addresses,
                                                          const KeepWaiting& keepWaiting) override {
    Calls.push_back(addresses);
    std::vector<std::optional<PictureDimensions>> sizes(addresses.size());
    if (WaitUntilStopped) {
      while (keepWaiting()) {
      }
      return sizes;
    }
    for (size_t i = 0; i < addresses.size(); ++i) {
      if (auto found = Sizes.find(addresses[i]); found != Sizes.end()) sizes[i] = found->second;
    }
    return sizes;
  }
};

}  // namespace vexilo::test

#pragma once
// A size probe that answers from a table after waiting Waits times through keepWaiting (or
// until that says no), and records what it was asked.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/PictureSizeProbe.h"

namespace vexilo::test {

class ScriptedSizeProbe : public PictureSizeProbe {
 public:
  std::map<std::string, PictureDimensions> Sizes;  // an address missing here is unknown
  int Waits = 0;
  std::vector<std::vector<std::string>> Calls;

  std::vector<std::optional<PictureDimensions>> ReadSizes(const std::vector<std::string>& addresses,
                                                          const std::string& /*page*/,
                                                          const KeepWaiting& keepWaiting) override {
    Calls.push_back(addresses);
    std::vector<std::optional<PictureDimensions>> sizes(addresses.size());
    for (int i = 0; i < Waits; ++i) {
      if (!keepWaiting()) return sizes;
    }
    for (size_t i = 0; i < addresses.size(); ++i) {
      if (auto found = Sizes.find(addresses[i]); found != Sizes.end()) sizes[i] = found->second;
    }
    return sizes;
  }
};

}  // namespace vexilo::test

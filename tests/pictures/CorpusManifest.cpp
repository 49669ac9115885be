#include "CorpusManifest.h"

#include <fstream>

#include "core/TextRules.h"

namespace vexilo::test {

std::vector<std::vector<std::string>> ManifestRows(const std::filesystem::path& readme,
                                                   const std::string& suffix) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(readme);
  for (std::string line; std::getline(in, line);) {
    if (line.size() < 2 || line[0] != '|') continue;
    std::vector<std::string> cells;
    size_t start = 1;
    for (size_t bar = line.find('|', start); bar != std::string::npos;
         start = bar + 1, bar = line.find('|', start)) {
      cells.push_back(Trim(line.substr(start, bar - start)));
    }
    if (!cells.empty() && cells[0].size() > suffix.size() &&
        cells[0].compare(cells[0].size() - suffix.size(), suffix.size(), suffix) == 0) {
      rows.push_back(std::move(cells));
    }
  }
  return rows;
}

}  // namespace vexilo::test

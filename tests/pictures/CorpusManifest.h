#pragma once
// The rows of a corpus README's tables: "| file | column | column | ... |".

#include <filesystem>
#include <string>
#include <vector>

namespace vexilo::test {

// Every table row whose first cell ends in `suffix`, split into trimmed cells.
std::vector<std::vector<std::string>> ManifestRows(const std::filesystem::path& readme,
                                                   const std::string& suffix);

}  // namespace vexilo::test

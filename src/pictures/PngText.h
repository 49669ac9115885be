#pragma once
// The tEXt chunks of a PNG held in memory: read them all, or add some after the header, so
// that a PNG written by libpng's simplified writer can carry them.

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vexilo {

// Keyword to text of every well-formed tEXt chunk (the first of a repeated keyword wins);
// empty when `png` is no PNG chunk stream. Never reads past the bytes given.
std::map<std::string, std::string> ReadPngText(const std::string& png);

// `png` with a tEXt chunk for each pair right after its IHDR chunk. Keywords are 1 to 79
// Latin-1 characters without NUL, texts without NUL; raises std::invalid_argument otherwise,
// or when `png` does not start with a PNG signature and IHDR.
std::string WithPngText(const std::string& png,
                        const std::vector<std::pair<std::string, std::string>>& texts);

}  // namespace vexilo

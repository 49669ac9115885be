#include "core/ContentHash.h"

#include <xxhash.h>

#include <fstream>
#include <memory>
#include <vector>

namespace vexilo {

std::optional<std::uint64_t> ContentHashOf(const std::string& path) {
  constexpr std::size_t kHashChunk = 256 * 1024;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                 &XXH3_freeState);
  if (!state || XXH3_64bits_reset(state.get()) != XXH_OK) return std::nullopt;
  std::vector<char> buffer(kHashChunk);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    XXH3_64bits_update(state.get(), buffer.data(), static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) return std::nullopt;
  return XXH3_64bits_digest(state.get());
}

}  // namespace vexilo

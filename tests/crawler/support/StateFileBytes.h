#pragma once
// Every file of a task's state folder with its bytes, for comparing whole crawls.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace vexilo::test {

inline std::map<std::string, std::string> StateFileBytes(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream file(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    files[entry.path().filename().string()] = bytes.str();
  }
  return files;
}

}  // namespace vexilo::test

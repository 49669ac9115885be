#include "crawler/SavePaths.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "core/TextRules.h"
#include "core/UrlUtils.h"

namespace vexilo {
namespace {

constexpr std::array<std::string_view, 4> kPictureEndings = {".bmp", ".jpg", ".gif", "jpeg"};
constexpr std::array<std::string_view, 3> kModernEndings = {".png", "webp", "avif"};
// ".jpeg" is the longest ending a name keeps.
constexpr size_t kKeptEnding = 5;

std::string Shortened(std::string name) {
  if (name.size() <= kLongestSaveName) return name;
  size_t keepFront = kLongestSaveName - kKeptEnding;
  // Never end the front inside a UTF-8 sequence.
  while (keepFront > 0 && (static_cast<unsigned char>(name[keepFront]) & 0xC0) == 0x80) {
    --keepFront;
  }
  return name.substr(0, keepFront) + name.substr(name.size() - kKeptEnding);
}

}  // namespace

std::string TaskFolderOf(const std::string& taskFolder) {
  if (!taskFolder.empty() && taskFolder.back() == '/') {
    return taskFolder.substr(0, taskFolder.size() - 1);
  }
  return taskFolder;
}

std::string SaveNameOf(std::string_view address, bool keepModernEndings) {
  std::string ending =
      LowerAscii(address.size() > 4 ? address.substr(address.size() - 4) : address);
  auto endsIn = [&ending](const auto& endings) {
    return std::find(endings.begin(), endings.end(), ending) != endings.end();
  };
  if (endsIn(kPictureEndings) || (keepModernEndings && endsIn(kModernEndings))) {
    return Shortened(FileNameOf(address));
  }
  return SafeFileName(address);
}

std::string MakeSavePath(const std::string& folder, std::string_view address,
                         const std::function<bool(const std::string& path)>& isQueued,
                         SaveNumbers& nextNumbers, bool keepModernEndings) {
  std::string name = SaveNameOf(address, keepModernEndings);
  std::string path = folder + "/" + name;
  if (!IsFile(path) && !isQueued(path)) return path;
  int& number = nextNumbers[path];
  std::string unique =
      UniqueFileNameFrom(folder, name, number, [&](const std::filesystem::path& candidate) {
        return isQueued(folder + "/" + candidate.filename().string());
      });
  ++number;
  return folder + "/" + unique;
}

}  // namespace vexilo

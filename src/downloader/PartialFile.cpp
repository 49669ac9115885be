#include "downloader/PartialFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <vector>

namespace vexilo {
namespace {

constexpr std::string_view kSuffix = ".part";
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
// Names are random: a clash with a file there is rare, many in a row mean something else.
constexpr int kMostTries = 100;

std::string RandomPart() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::string part(kRandomLength, ' ');
  for (char& c : part) c = kAlphabet[pick(generator)];
  return part;
}

bool IsLetterOrDigit(char c) { return kAlphabet.find(c) != std::string_view::npos; }

}  // namespace

std::optional<PartialFile> CreatePartialFile(const std::string& savePath) {
  const std::filesystem::path path(savePath);
  const std::string front = (path.parent_path() / ("." + path.filename().string() + ".")).string();
  for (int i = 0; i < kMostTries; ++i) {
    std::string candidate = front + RandomPart() + std::string(kSuffix);
    // O_EXCL also refuses a link of that name, dangling or not.
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) return PartialFile{fd, std::move(candidate)};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

bool IsPartialFileName(std::string_view name) {
  // "." + at least one character + "." + random + suffix
  if (name.size() < 3 + kRandomLength + kSuffix.size() || name.front() != '.' ||
      !name.ends_with(kSuffix)) {
    return false;
  }
  name.remove_suffix(kSuffix.size());
  const std::string_view random = name.substr(name.size() - kRandomLength);
  name.remove_suffix(kRandomLength);
  return name.back() == '.' && std::all_of(random.begin(), random.end(), IsLetterOrDigit);
}

void RemovePartialFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> stale;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    if (IsPartialFileName(it->path().filename().string()) &&
        it->symlink_status(typeError).type() == std::filesystem::file_type::regular) {
      stale.push_back(it->path());
    }
  }
  for (const std::filesystem::path& file : stale) std::filesystem::remove(file, ec);
}

}  // namespace vexilo

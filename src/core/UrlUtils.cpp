#include "core/UrlUtils.h"

#include <algorithm>
#include <climits>

#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr std::string_view kUnsafeCharacters = ":/.?\\&%'*\"<>|";
constexpr size_t kSafeNameKeep = 40;

// number: where to start, then the n found.
std::optional<std::string> FirstFree(
    const std::filesystem::path& folder, const std::string& name, int& number, int lastNumber,
    const std::function<bool(const std::filesystem::path&)>& taken) {
  for (int n = std::max(number, 1); n <= lastNumber; ++n) {
    std::string candidate = "(" + std::to_string(n) + ")" + name;
    if (!taken(folder / candidate)) {
      number = n;
      return candidate;
    }
  }
  return std::nullopt;
}

std::optional<std::string> FirstFree(
    const std::filesystem::path& folder, const std::string& name, int lastNumber,
    const std::function<bool(const std::filesystem::path&)>& taken) {
  int number = 1;
  return FirstFree(folder, name, number, lastNumber, taken);
}

}  // namespace

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

namespace {

bool IsFolder(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

}  // namespace

std::string SafeFileName(std::string_view address) {
  std::string name(address);
  for (char& c : name) {
    if (kUnsafeCharacters.find(c) != std::string_view::npos) c = '-';
  }
  if (name.size() > kSafeNameKeep) {
    size_t start = name.size() - kSafeNameKeep;
    // Never start inside a UTF-8 sequence: skip its continuation bytes.
    while (start < name.size() && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) {
      ++start;
    }
    name.erase(0, start);
  }
  return name + ".jpg";
}

std::string SiteOf(std::string_view address) {
  if (size_t at = address.find('@'); at != std::string_view::npos) {
    return std::string(address.substr(at + 1));
  }
  std::string_view host = address;
  size_t scheme = host.find("://");
  if (scheme == std::string_view::npos) scheme = host.find(":\\\\");
  if (scheme != std::string_view::npos) host.remove_prefix(scheme + 3);
  size_t slash = host.find('/');
  if (slash == std::string_view::npos) slash = host.find('\\');
  if (slash != std::string_view::npos) host = host.substr(0, slash);
  auto dots = std::count(host.begin(), host.end(), '.');
  for (; dots > 1; --dots) host.remove_prefix(host.find('.') + 1);
  return std::string(host);
}

std::string HostOf(std::string_view address) {
  std::string_view host = address;
  size_t scheme = host.find("://");
  if (scheme == std::string_view::npos) scheme = host.find(":\\\\");
  if (scheme != std::string_view::npos) host.remove_prefix(scheme + 3);
  host = host.substr(0, host.find_first_of("/\\?#"));
  if (size_t at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  return std::string(host);
}

std::string WithoutCredentials(std::string_view address) {
  size_t start = address.find("://");
  if (start == std::string_view::npos) start = address.find(":\\\\");
  if (start == std::string_view::npos) return std::string(address);
  start += 3;
  // Unlike HostOf, a backslash does not end the host here: libcurl sends what comes before an
  // "@" past it as user name and password.
  const std::string_view host = address.substr(start, address.find_first_of("/?#", start) - start);
  const size_t at = host.rfind('@');
  if (at == std::string_view::npos) return std::string(address);
  std::string bare(address.substr(0, start));
  bare.append(address.substr(start + at + 1));
  return bare;
}

std::string DirOf(std::string_view address) {
  std::string_view t = address;
  if (size_t scheme = t.find("://"); scheme != std::string_view::npos) {
    t.remove_prefix(scheme + 3);
  }
  if (size_t slash = t.rfind('/'); slash != std::string_view::npos) {
    if (Contains(t.substr(slash + 1), ".")) t = t.substr(0, slash + 1);
  }
  if (!t.empty() && t.back() == '/') t.remove_suffix(1);
  return std::string(t);
}

std::string FileNameOf(std::string_view address) {
  if (size_t slash = address.rfind('/'); slash != std::string_view::npos) {
    return std::string(address.substr(slash + 1));
  }
  if (size_t slash = address.rfind('\\'); slash != std::string_view::npos) {
    return std::string(address.substr(slash + 1));
  }
  return "Unknown";
}

std::string UniqueFileName(const std::filesystem::path& folder, const std::string& name) {
  return *FirstFree(folder, name, INT_MAX, IsFile);
}

std::string UniqueFileName(const std::filesystem::path& folder, const std::string& name,
                           const std::function<bool(const std::filesystem::path&)>& alsoTaken) {
  int number = 1;
  return UniqueFileNameFrom(folder, name, number, alsoTaken);
}

std::string UniqueFileNameFrom(const std::filesystem::path& folder, const std::string& name,
                               int& number,
                               const std::function<bool(const std::filesystem::path&)>& alsoTaken) {
  return *FirstFree(folder, name, number, INT_MAX,
                    [&](const std::filesystem::path& p) { return IsFile(p) || alsoTaken(p); });
}

std::string UniqueFolderName(const std::filesystem::path& folder, const std::string& name) {
  return *FirstFree(folder, name, INT_MAX, IsFolder);
}

std::optional<std::string> UniqueFolderNameUpTo(
    const std::filesystem::path& folder, const std::string& name, int lastNumber,
    const std::function<bool(const std::filesystem::path&)>& alsoTaken) {
  return FirstFree(folder, name, lastNumber, [&](const std::filesystem::path& p) {
    return IsFolder(p) || (alsoTaken && alsoTaken(p));
  });
}

}  // namespace vexilo

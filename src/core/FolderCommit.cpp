#include "core/FolderCommit.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <random>
#include <set>
#include <string_view>

#include "core/Errors.h"
#include "core/LineFile.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNewTag = ".new.";
constexpr std::string_view kOldTag = ".old.";
constexpr std::string_view kLetters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kRandomLength = 6;
// Names are drawn again when taken; that many taken in a row means something else is wrong.
constexpr int kNameTries = 100;

std::string RandomPart() {
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
  std::string part;
  for (std::size_t i = 0; i < kRandomLength; ++i) part += kLetters[pick(generator)];
  return part;
}

fs::path SetName(const fs::path& folder, std::string_view tag, const std::string& random) {
  return folder.parent_path() / ("." + folder.filename().string() + std::string(tag) + random);
}

struct Leftover {
  std::string Owner;
  bool Old = false;
};

std::optional<Leftover> ParseSetName(std::string_view entry) {
  const std::size_t tail = kNewTag.size() + kRandomLength;
  if (entry.size() < tail + 2 || entry.front() != '.') return std::nullopt;
  const std::string_view random = entry.substr(entry.size() - kRandomLength);
  if (random.find_first_not_of(kLetters) != std::string_view::npos) return std::nullopt;
  const std::string_view tag = entry.substr(entry.size() - tail, kNewTag.size());
  if (tag != kNewTag && tag != kOldTag) return std::nullopt;
  return Leftover{std::string(entry.substr(1, entry.size() - 1 - tail)), tag == kOldTag};
}

// lstat: a link is itself, never its target. Missing gives none; any other failure raises.
std::optional<struct stat> EntryAt(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) return info;
  if (errno == ENOENT) return std::nullopt;
  throw FileError("Cannot open folder \"" + path.string() + "\". " + std::strerror(errno));
}

bool IsRealFolder(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<fs::path> EntriesOf(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(it->path());
  }
  return entries;
}

// Removes a set's own files and their temporaries and carries the rest into carryTo (when
// given); the set's folder goes once empty. Failures leave things for the next recovery.
void DisposeOfSet(FileLayer& layer, const fs::path& set, const fs::path* carryTo,
                  std::span<const std::string> names) {
  for (const fs::path& entry : EntriesOf(set)) {
    const std::string name = entry.filename().string();
    const bool own =
        std::find(names.begin(), names.end(), name) != names.end() || IsTemporaryOf(name, names);
    try {
      if (own && !IsRealFolder(entry)) {
        layer.RemoveFile(entry);
      } else if (!own && carryTo != nullptr) {
        layer.Rename(entry, *carryTo / name);
      }
    } catch (const FileError&) {
    }
  }
  try {
    layer.RemoveFolder(set);
  } catch (const FileError&) {
  }
}

// The permissions each new file takes from the file it replaces; 0644 for a new one.
std::vector<mode_t> ModesFor(const fs::path& folder, const std::vector<NamedText>& files) {
  std::vector<mode_t> modes;
  modes.reserve(files.size());
  for (const NamedText& file : files) {
    const fs::path path = folder / file.Name;
    const std::optional<struct stat> old = EntryAt(path);
    mode_t mode = 0644;
    if (old && S_ISDIR(old->st_mode)) {
      throw FileError("Cannot create file \"" + path.string() + "\". It is a folder.");
    }
    // Root may write anything, so the read-only test looks at the permission bits themselves.
    if (old && S_ISREG(old->st_mode)) {
      if ((old->st_mode & S_IWUSR) == 0) {
        throw FileError("Cannot create file \"" + path.string() + "\". The file is read-only.");
      }
      mode = old->st_mode & 07777;
    }
    modes.push_back(mode);
  }
  return modes;
}

}  // namespace

void CommitFolder(FileLayer& layer, const fs::path& folder, const std::vector<NamedText>& files) {
  std::vector<std::string> names;
  names.reserve(files.size());
  for (const NamedText& file : files) names.push_back(file.Name);
  std::optional<struct stat> live = EntryAt(folder);
  if (!live) {
    RecoverFolder(layer, folder, names);
    live = EntryAt(folder);
  }
  if (live && !S_ISDIR(live->st_mode)) {
    throw FileError("Cannot write to folder \"" + folder.string() + "\". It is not a folder.");
  }
  if (!live) {
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    if (ec) {
      throw FileError("Cannot create folder \"" + folder.parent_path().string() + "\". " +
                      ec.message());
    }
  }
  const std::vector<mode_t> modes =
      live ? ModesFor(folder, files) : std::vector<mode_t>(files.size(), 0644);
  const std::optional<mode_t> folderMode =
      live ? std::optional<mode_t>(live->st_mode & 07777) : std::nullopt;

  std::string random;
  fs::path staging;
  for (int tries = 0;; ++tries) {
    if (tries == kNameTries) {
      throw FileError("Cannot create a folder beside \"" + folder.string() + "\".");
    }
    random = RandomPart();
    staging = SetName(folder, kNewTag, random);
    if (layer.CreateFolder(staging, folderMode)) break;
  }

  fs::path old = staging;
  try {
    for (std::size_t i = 0; i < files.size(); ++i) {
      layer.WriteNewFile(staging / files[i].Name, files[i].Text, modes[i]);
    }
    if (!live) {
      layer.Rename(staging, folder);
      return;
    }
    if (!layer.Exchange(staging, folder)) {
      old = SetName(folder, kOldTag, random);
      layer.Rename(folder, old);
      try {
        layer.Rename(staging, folder);
      } catch (const FileError&) {
        // When even this fails, the old set stays where RecoverFolder finds it.
        try {
          layer.Rename(old, folder);
        } catch (const FileError&) {
        }
        throw;
      }
    }
  } catch (const FileError&) {
    DisposeOfSet(layer, staging, nullptr, names);
    throw;
  }
  DisposeOfSet(layer, old, &folder, names);
}

void RecoverFolder(FileLayer& layer, const fs::path& folder, std::span<const std::string> names) {
  std::vector<fs::path> sets = LeftoverSets(folder);
  bool live = IsRealFolder(folder);
  std::error_code ec;
  if (!live && !fs::exists(fs::symlink_status(folder, ec))) {
    const auto old = std::find_if(sets.begin(), sets.end(), [](const fs::path& set) {
      return ParseSetName(set.filename().string())->Old;
    });
    if (old != sets.end()) {
      try {
        layer.Rename(*old, folder);
        sets.erase(old);
        live = true;
      } catch (const FileError&) {
      }
    }
  }
  for (const fs::path& set : sets) DisposeOfSet(layer, set, live ? &folder : nullptr, names);
}

void RecoverFoldersIn(FileLayer& layer, const fs::path& parent,
                      std::span<const std::string> names) {
  std::set<std::string> owners;
  for (const fs::path& entry : EntriesOf(parent)) {
    const std::optional<Leftover> set = ParseSetName(entry.filename().string());
    if (set && IsRealFolder(entry)) owners.insert(set->Owner);
  }
  for (const std::string& owner : owners) RecoverFolder(layer, parent / owner, names);
}

std::vector<fs::path> LeftoverSets(const fs::path& folder) {
  std::vector<fs::path> sets;
  const std::string owner = folder.filename().string();
  for (const fs::path& entry : EntriesOf(folder.parent_path())) {
    const std::optional<Leftover> set = ParseSetName(entry.filename().string());
    if (set && set->Owner == owner && IsRealFolder(entry)) sets.push_back(entry);
  }
  return sets;
}

}  // namespace vexilo

#include "core/FileMoves.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/CopyNewFile.h"
#include "core/TextRules.h"

namespace vexilo {
namespace {

// More copies of one name than anyone sorts out by hand: something else is wrong.
constexpr int kMostNumberedNames = 10'000;

bool Taken(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

// rename(2) that fails with EEXIST instead of replacing. File systems without
// RENAME_NOREPLACE get a hard link and an unlink, which cannot replace either.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  if (::unlink(from.c_str()) != 0) {
    const int error = errno;
    ::unlink(to.c_str());
    return error;
  }
  return 0;
}

// Whether from is a file that can be sorted out; why not otherwise.
std::string NotAFile(const std::filesystem::path& from) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(from, error);
  if (error || !std::filesystem::exists(status)) return "it is gone";
  if (!std::filesystem::is_regular_file(status)) return "it is no plain file";
  return {};
}

bool AlreadyInFolder(const std::filesystem::path& from, const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::equivalent(from.parent_path().empty() ? "." : from.parent_path(), folder,
                                     error);
}

}  // namespace

std::string NumberedName(const std::string& fileName, int n) {
  if (n <= 1) return fileName;
  const std::string::size_type dot = fileName.rfind('.');
  const bool ending = dot != std::string::npos && dot > 0;
  const std::string stem = ending ? fileName.substr(0, dot) : fileName;
  const std::string tail = ending ? fileName.substr(dot) : "";
  return stem + " (" + std::to_string(n) + ")" + tail;
}

FileMoveResult MoveIntoFolder(const std::filesystem::path& from,
                              const std::filesystem::path& folder) {
  const auto failed = [&](const std::string& why) {
    return FileMoveResult{
        {}, Quoted(from) + " could not be moved to " + Quoted(folder) + ": " + why + "."};
  };
  if (const std::string why = NotAFile(from); !why.empty()) return failed(why);
  if (AlreadyInFolder(from, folder)) return failed("it is in that folder already");
  const std::string name = from.filename().string();
  for (int n = 1; n <= kMostNumberedNames; ++n) {
    const std::filesystem::path to = folder / NumberedName(name, n);
    if (Taken(to)) continue;
    const int error = RenameNoReplace(from, to);
    if (error == 0) return {to, {}};
    if (error == EEXIST) continue;
    if (error != EXDEV) return failed(std::strerror(error));
    // Another file system: a whole copy first, so that a failure loses nothing.
    if (!CopyNewFile(from, to)) {
      if (Taken(to)) continue;
      return failed("it could not be copied there");
    }
    if (::unlink(from.c_str()) != 0) {
      const std::string why = std::strerror(errno);
      ::unlink(to.c_str());
      return failed(why);
    }
    return {to, {}};
  }
  return failed("every free name is taken");
}

FileMoveResult CopyIntoFolder(const std::filesystem::path& from,
                              const std::filesystem::path& folder) {
  const auto failed = [&](const std::string& why) {
    return FileMoveResult{
        {}, Quoted(from) + " could not be copied to " + Quoted(folder) + ": " + why + "."};
  };
  if (const std::string why = NotAFile(from); !why.empty()) return failed(why);
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return failed("that folder is gone");
  const std::string name = from.filename().string();
  for (int n = 1; n <= kMostNumberedNames; ++n) {
    const std::filesystem::path to = folder / NumberedName(name, n);
    if (Taken(to)) continue;
    if (CopyNewFile(from, to)) return {to, {}};
    if (Taken(to)) continue;  // made meanwhile by someone else
    return failed(errno != 0 ? std::strerror(errno) : "the copy failed");
  }
  return failed("every free name is taken");
}

FileMoveResult RenamedName(const std::string& oldName, const std::string& typed) {
  const std::string name = Trim(typed);
  if (name.empty()) return {{}, "The new name is empty."};
  if (name.find('/') != std::string::npos) return {{}, "A name cannot hold \"/\"."};
  if (name == "." || name == "..") return {{}, "\"" + name + "\" cannot be a file's name."};
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) return {name, {}};
  const std::string::size_type oldDot = oldName.rfind('.');
  const std::string ending =
      oldDot != std::string::npos && oldDot > 0 ? oldName.substr(oldDot) : std::string();
  std::string withEnding = name;
  if (!withEnding.empty() && withEnding.back() == '.') withEnding.pop_back();
  return {withEnding + ending, {}};
}

FileMoveResult RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  const auto failed = [&](const std::string& why) {
    return FileMoveResult{
        {},
        Quoted(from) + " could not be renamed to \"" + to.filename().string() + "\": " + why + "."};
  };
  if (const std::string why = NotAFile(from); !why.empty()) return failed(why);
  if (to == from) return {to, {}};
  if (Taken(to)) return failed("a file of that name is there already");
  const int error = RenameNoReplace(from, to);
  if (error == EEXIST) return failed("a file of that name is there already");
  if (error != 0) return failed(std::strerror(error));
  return {to, {}};
}

}  // namespace vexilo

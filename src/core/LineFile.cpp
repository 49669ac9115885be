#include "core/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "core/Errors.h"
#include "core/UniqueFd.h"
#include "core/WriteAll.h"

namespace vexilo {
namespace {

// mkstemp's template: six characters it replaces with letters and digits.
constexpr std::string_view kTemporarySuffix = "XXXXXX";

std::string TemporaryPattern(const std::filesystem::path& file) {
  return (file.parent_path() /
          ("." + file.filename().string() + "." + std::string(kTemporarySuffix)))
      .string();
}

bool IsAsciiLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string SystemReason() { return std::strerror(errno); }

[[noreturn]] void FailCreate(const std::filesystem::path& file, const std::string& reason) {
  throw FileError("Cannot create file \"" + file.string() + "\". " + reason);
}

bool ReadAll(int fd, std::string& text) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace

std::string ReadText(const std::filesystem::path& file) {
  // Non-blocking, so that a FIFO in the file's place cannot hang the open; only a regular
  // file is read.
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw FileError("Cannot open file \"" + file.string() + "\". " + SystemReason());
  const UniqueFd closer(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    throw FileError("Cannot open file \"" + file.string() + "\". " + SystemReason());
  }
  if (!S_ISREG(info.st_mode)) {
    throw FileError("Cannot open file \"" + file.string() + "\". " +
                    (S_ISDIR(info.st_mode) ? "It is a folder." : "It is not a regular file."));
  }
  std::string text;
  text.reserve(static_cast<size_t>(info.st_size));
  if (!ReadAll(fd, text)) throw FileError("Cannot read file \"" + file.string() + "\".");
  return text;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  return SplitLines(ReadText(file));
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

void AppendLine(std::string& text, std::string_view line) {
  const size_t start = text.size();
  text += line;
  std::replace_if(
      text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
      [](char c) { return c == '\r' || c == '\n'; }, ' ');
  text += "\r\n";
}

std::string LinesText(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) AppendLine(text, line);
  return text;
}

void ReplaceFileText(const std::filesystem::path& file, std::string_view text) {
  // Root may write anything, so the read-only test looks at the permission bits themselves.
  mode_t mode = 0644;
  struct stat existing {};
  if (::stat(file.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) FailCreate(file, "It is a folder.");
    if ((existing.st_mode & S_IWUSR) == 0) FailCreate(file, "The file is read-only.");
    mode = existing.st_mode & 07777;
  }

  std::string pattern = TemporaryPattern(file);
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) FailCreate(file, SystemReason());
  // No fsync: the rename already keeps a crash of the program from leaving a torn file, and
  // the scheduler rewrites counti.dat after every hand-out, where a sync per write would
  // cost more than the download.
  bool ok = WriteAll(fd, text.data(), text.size()) && ::fchmod(fd, mode) == 0;
  std::string reason = ok ? "" : SystemReason();
  if (::close(fd) != 0 && ok) {
    ok = false;
    reason = SystemReason();
  }
  if (ok && ::rename(pattern.c_str(), file.c_str()) != 0) {
    ok = false;
    reason = SystemReason();
  }
  if (!ok) {
    ::unlink(pattern.c_str());
    FailCreate(file, reason);
  }
}

void WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
  ReplaceFileText(file, LinesText(lines));
}

bool IsTemporaryOf(std::string_view entry, std::span<const std::string> names) {
  if (entry.size() < kTemporarySuffix.size() + 3 || entry.front() != '.') return false;
  std::string_view random = entry.substr(entry.size() - kTemporarySuffix.size());
  if (!std::all_of(random.begin(), random.end(), IsAsciiLetterOrDigit)) return false;
  std::string_view name = entry.substr(1, entry.size() - 1 - random.size());
  if (name.back() != '.') return false;
  name.remove_suffix(1);
  return std::find(names.begin(), names.end(), name) != names.end();
}

void RemoveStaleTemporaries(const std::filesystem::path& folder,
                            std::span<const std::string> names) {
  std::vector<std::filesystem::path> stale;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    if (IsTemporaryOf(it->path().filename().string(), names) &&
        it->symlink_status(typeError).type() == std::filesystem::file_type::regular) {
      stale.push_back(it->path());
    }
  }
  for (const std::filesystem::path& file : stale) std::filesystem::remove(file, ec);
}

}  // namespace vexilo

#include "core/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/Errors.h"

namespace vexilo {
namespace {

std::string SystemReason() { return std::strerror(errno); }

[[noreturn]] void FailCreate(const std::filesystem::path& file, const std::string& reason) {
  throw FileError("Cannot create file \"" + file.string() + "\". " + reason);
}

std::string Serialise(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    for (char c : line) text.push_back(c == '\r' || c == '\n' ? ' ' : c);
    text += "\r\n";
  }
  return text;
}

bool WriteAll(int fd, const std::string& text) {
  const char* data = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw FileError("Cannot open file \"" + file.string() + "\". " + SystemReason());
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw FileError("Cannot read file \"" + file.string() + "\".");

  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text, start, i - start);
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text, start, text.size() - start);
  return lines;
}

void WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
  // Root may write anything, so the read-only test looks at the permission bits themselves.
  mode_t mode = 0644;
  struct stat existing {};
  if (::stat(file.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) FailCreate(file, "It is a folder.");
    if ((existing.st_mode & S_IWUSR) == 0) FailCreate(file, "The file is read-only.");
    mode = existing.st_mode & 07777;
  }

  std::string pattern = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) FailCreate(file, SystemReason());
  std::string text = Serialise(lines);
  // No fsync: the rename already keeps a crash of the program from leaving a torn file, and
  // the scheduler rewrites counti.dat after every hand-out, where a sync per write would
  // cost more than the download.
  bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0;
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

}  // namespace vexilo

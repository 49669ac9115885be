#include "core/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
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

// Reads a regular file piece by piece. Non-blocking, so that a FIFO in the file's place
// cannot hang the open; only a regular file is read.
void ReadPieces(const std::filesystem::path& file,
                const std::function<void(std::string_view piece)>& take) {
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
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got == 0) return;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError("Cannot read file \"" + file.string() + "\".");
    }
    take(std::string_view(buffer.data(), static_cast<size_t>(got)));
  }
}

// Splits text handed over in pieces into lines, at CR LF, LF or CR, also where a piece ends
// between CR and LF. A line longer than the bound is listed, and its bytes are dropped as they
// come.
class LineSplitter {
 public:
  explicit LineSplitter(size_t longestLine) : mLongest(longestLine) {}

  void Take(std::string_view piece) {
    while (!piece.empty()) {
      if (mAfterCr) {
        mAfterCr = false;
        if (piece.front() == '\n') {
          piece.remove_prefix(1);
          continue;
        }
      }
      const size_t end = piece.find_first_of("\r\n");
      Append(piece.substr(0, end));
      if (end == std::string_view::npos) return;
      EndLine();
      mAfterCr = piece[end] == '\r';
      piece.remove_prefix(end + 1);
    }
  }

  BoundedLines Finish() {
    if (mOpen) EndLine();
    return std::move(mRead);
  }

 private:
  void Append(std::string_view part) {
    if (part.empty()) return;
    mOpen = true;
    if (mTooLong) return;
    if (part.size() > mLongest - mLine.size()) {
      mTooLong = true;
      std::string().swap(mLine);
      return;
    }
    mLine.append(part);
  }

  void EndLine() {
    if (mTooLong) mRead.TooLong.push_back(mRead.Lines.size());
    mRead.Lines.push_back(std::move(mLine));
    mLine.clear();
    mTooLong = false;
    mOpen = false;
  }

  size_t mLongest;
  BoundedLines mRead;
  std::string mLine;
  bool mOpen = false;  // bytes of a line have come since the last line end
  bool mTooLong = false;
  bool mAfterCr = false;
};

}  // namespace

std::string ReadText(const std::filesystem::path& file) {
  std::string text;
  ReadPieces(file, [&text](std::string_view piece) { text.append(piece); });
  return text;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  BoundedLines read = ReadBoundedLines(file, kLongestLine);
  if (!read.TooLong.empty()) {
    throw FileError("Cannot read file \"" + file.string() + "\": its line " +
                    std::to_string(read.TooLong.front() + 1) + " is longer than " +
                    std::to_string(kLongestLine) + " bytes.");
  }
  return std::move(read.Lines);
}

BoundedLines ReadBoundedLines(const std::filesystem::path& file, size_t longestLine) {
  LineSplitter splitter(longestLine);
  ReadPieces(file, [&splitter](std::string_view piece) { splitter.Take(piece); });
  return splitter.Finish();
}

std::vector<std::string> SplitLines(std::string_view text) {
  LineSplitter splitter(std::numeric_limits<size_t>::max());
  splitter.Take(text);
  return splitter.Finish().Lines;
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

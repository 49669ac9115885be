#pragma once
// The program's own files are lists of lines. This is the one place that reads and writes
// them: CR LF after every line on write; CR LF, LF or CR accepted on read; bytes unchanged.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

// The longest line ReadLines takes: twice the 2 MiB the web engine allows an address, so a
// real crawl's addresses always fit, while a hand-edited giant line is refused before any
// list or window has to hold it.
inline constexpr std::size_t kLongestLine = std::size_t{4} << 20;

// A file's lines read with a bound on a line's length.
struct BoundedLines {
  std::vector<std::string> Lines;    // a line longer than the bound is kept empty
  std::vector<std::size_t> TooLong;  // the positions (from 0) of such lines, in order
};

// Reads the lines of a file. A last line without an end counts; a line end at the very
// end adds no empty line. Raises FileError when the file cannot be read, is not a regular
// file (a folder, a FIFO, a device) or has a line longer than kLongestLine bytes.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

// Reads the lines as ReadLines does, but a line longer than longestLine bytes is only
// listed, never held in memory, so that the caller can say which lines are too long.
BoundedLines ReadBoundedLines(const std::filesystem::path& file, std::size_t longestLine);

// The bytes of a file, with the same checks as ReadLines.
std::string ReadText(const std::filesystem::path& file);

// The lines of a text, split as ReadLines splits a file's.
std::vector<std::string> SplitLines(std::string_view text);

// Adds a line to a file's text as WriteLines writes it: a CR or LF inside the line becomes a
// blank, so that no line can shift the ones after it, and CR LF ends it.
void AppendLine(std::string& text, std::string_view line);

// The text of a file of the lines (an empty list gives an empty text).
std::string LinesText(const std::vector<std::string>& lines);

// Replaces the file with the text. The text is written to a temporary file in the same folder
// and renamed over the old one, so a failure never leaves a half-written file. An existing
// file keeps its permissions; one without write permission is left alone and the write fails.
// Raises FileError on any failure.
void ReplaceFileText(const std::filesystem::path& file, std::string_view text);

// ReplaceFileText with LinesText(lines).
void WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Removes the temporary files ReplaceFileText leaves behind when the program is killed between
// writing and renaming: the regular files in folder named "." + one of names + "." + six
// letters or digits. Nothing else is touched (no other name, no link, no folder, nothing
// below folder); failures are ignored. Only for folders no other program writes to at once.
void RemoveStaleTemporaries(const std::filesystem::path& folder,
                            std::span<const std::string> names);

// True for the name of such a temporary file of one of names.
bool IsTemporaryOf(std::string_view entry, std::span<const std::string> names);

}  // namespace vexilo

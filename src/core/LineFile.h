#pragma once
// The program's own files are lists of lines. This is the one place that reads and writes
// them: CR LF after every line on write; CR LF, LF or CR accepted on read; bytes unchanged.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

// Reads the lines of a file. A last line without an end counts; a line end at the very
// end adds no empty line. Raises FileError when the file cannot be read or is not a regular
// file (a folder, a FIFO, a device).
std::vector<std::string> ReadLines(const std::filesystem::path& file);

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

#pragma once
// The writes, renames and removals by which a task's state files are saved, behind a seam so
// that a test can make any one of them fail or stop the program there. Paths are whole;
// no operation follows a symbolic link in the place of the entry it makes, renames or removes.
// Every failure raises FileError and leaves the entry as it was. Main thread only.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string_view>

namespace vexilo {

class FileLayer {
 public:
  virtual ~FileLayer() = default;

  // Makes the folder; false, with nothing changed, when its name is taken. Without a mode it
  // gets what the umask leaves of 0777, as create_directories gives.
  virtual bool CreateFolder(const std::filesystem::path& folder, std::optional<mode_t> mode) = 0;
  // Makes a file that did not exist and writes text into it.
  virtual void WriteNewFile(const std::filesystem::path& file, std::string_view text,
                            mode_t mode) = 0;
  // Adds text at the end of a file, making it (0666 less the umask) when missing. A write cut
  // short leaves part of the text at the end.
  virtual void AppendToFile(const std::filesystem::path& file, std::string_view text) = 0;
  // Replaces a file's content at once (ReplaceFileText).
  virtual void ReplaceFile(const std::filesystem::path& file, std::string_view text) = 0;
  // Swaps two entries of one file system at once; false, with nothing changed, when the file
  // system cannot do it.
  virtual bool Exchange(const std::filesystem::path& a, const std::filesystem::path& b) = 0;
  // Renames an entry, never over another where the file system can refuse that.
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Removes a file or a link; a missing one is no error.
  virtual void RemoveFile(const std::filesystem::path& file) = 0;
  // Removes an empty folder.
  virtual void RemoveFolder(const std::filesystem::path& folder) = 0;
};

// The real file system; lives for the whole process.
FileLayer& DiskFileLayer();

}  // namespace vexilo

#pragma once
// The files in which a task keeps the state of its last crawl, in the folder
// programFolder/task/<folder name>: the picture list, the five crawl lists, the counters and
// the downloads that were cut off and those that failed, and the page of each queued picture.
// A task saved before these existed has no such files and loads with none cut off or failed and
// no pages. Each save first removes the temporary files an earlier save cut short left in the
// folder. Main thread only. Every failure raises FileError.

#include <filesystem>
#include <string>
#include <vector>

#include "core/CrawlState.h"
#include "core/PictureEntry.h"

namespace vexilo {

class TaskStateFiles {
 public:
  static constexpr const char* kStateFolder = "task";

  explicit TaskStateFiles(std::filesystem::path programFolder);

  // Raises FileError for a folder name that is not plain (IsPlainFolderName).
  std::filesystem::path StateFolder(const std::string& folderName) const;

  // Writes all ten files, creating the state folder when it is missing.
  void SaveCrawlState(const std::string& folderName, const std::vector<PictureEntry>& rows,
                      const CrawlState& state) const;
  // Writes counti.dat only; the state folder must exist.
  void SaveCounters(const std::string& folderName, const CrawlState& state) const;
  // Writes the cut-off downloads only, creating the state folder when it is missing.
  void SaveCutOff(const std::string& folderName, const CrawlState& state) const;
  // Puts pictures in front of the cut-off downloads saved for a task that is not loaded.
  void PrependCutOff(const std::string& folderName,
                     const std::vector<QueuedPicture>& pictures) const;
  // Writes the failed downloads only, creating the state folder when it is missing.
  void SaveFailed(const std::string& folderName, const CrawlState& state) const;
  // Adds failed downloads to those saved for a task that is not loaded.
  void AppendFailed(const std::string& folderName,
                    const std::vector<FailedPicture>& pictures) const;
  // Reads the files back. A missing file leaves its part of rows and state as it is; the
  // queue pairs the lines of pictureurl.dat and savedname.dat, and a queued picture whose
  // save path line is missing gets an empty SavePath (the crawl start gives it one); a cut-off
  // download takes the page of its entry in the queue. The
  // counters are brought into range: CrawlLevel and CrawlIndex at least 1, DispatchedCount
  // from 0 to the length of the queue; a counti.dat that does not hold three whole
  // numbers gives 1, 1, 0.
  void LoadCrawlState(const std::string& folderName, std::vector<PictureEntry>& rows,
                      CrawlState& state) const;
  // The part of LoadCrawlState that the downloads need: the queue with its pages, the
  // counters, and the cut-off and failed downloads.
  void LoadQueueState(const std::string& folderName, CrawlState& state) const;
  // The picture list of listview.dat: one row per whole four lines; none when it is missing.
  // Row i takes line i of pages.dat as its page.
  std::vector<PictureEntry> ReadPictureRows(const std::string& folderName) const;
  // The saved failed downloads, as LoadCrawlState reads them; none when missing.
  std::vector<FailedPicture> ReadFailed(const std::string& folderName) const;

  // At start-up: removes the temporary files killed saves left in every state folder. Never
  // fails; nothing but such files is removed.
  void RemoveStaleTemporaries() const;

 private:
  std::filesystem::path mProgramFolder;
};

}  // namespace vexilo

#pragma once
// The files in which a task keeps the state of its last crawl, in the folder
// programFolder/task/<folder name>: the picture list, the five crawl lists, the counters and
// the downloads that were cut off, those that failed and those a check removed again, and the
// page of each queued picture. A task saved before these existed has no such files and loads
// with none cut off, failed or removed and no pages. SaveCrawlState replaces the whole set at once
// (CommitFolder): a save the program is killed in leaves the set before it or the new one, never a
// mix, once RecoverKilledSaves has run. The other saves replace one file each and first remove the
// temporary files an earlier save cut short left in the folder. A state folder that is a symbolic
// link is never written through. Main thread only. Every failure raises FileError.

#include <filesystem>
#include <string>
#include <vector>

#include "core/CrawlState.h"
#include "core/FileLayer.h"
#include "core/PictureEntry.h"

namespace vexilo {

class TaskStateFiles {
 public:
  static constexpr const char* kStateFolder = "task";

  // layer must outlive this object and its copies.
  explicit TaskStateFiles(std::filesystem::path programFolder, FileLayer& layer = DiskFileLayer());

  // Raises FileError for a folder name that is not plain (IsPlainFolderName).
  std::filesystem::path StateFolder(const std::string& folderName) const;

  // Writes all eleven files as one set, creating the state folder when it is missing. Other
  // entries of the folder are kept.
  void SaveCrawlState(const std::string& folderName, const std::vector<PictureEntry>& rows,
                      const CrawlState& state) const;
  // Writes counti.dat only; the state folder must exist.
  void SaveCounters(const std::string& folderName, const CrawlState& state) const;
  // Writes the cut-off downloads only, creating the state folder when it is missing.
  void SaveCutOff(const std::string& folderName, const CrawlState& state) const;
  // Puts pictures in front of the cut-off downloads saved for a task that is not loaded.
  void PrependCutOff(const std::string& folderName,
                     const std::vector<QueuedPicture>& pictures) const;
  // Writes the failed downloads and those a check removed again only, creating the state
  // folder when it is missing.
  void SaveFailed(const std::string& folderName, const CrawlState& state) const;
  // Adds failed and removed downloads to those saved for a task that is not loaded.
  void AppendFailed(const std::string& folderName, const std::vector<FailedPicture>& failed,
                    const std::vector<FailedPicture>& removed = {}) const;
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
  // counters, and the cut-off, failed and removed downloads.
  void LoadQueueState(const std::string& folderName, CrawlState& state) const;
  // The picture list of listview.dat: one row per whole four lines; none when it is missing.
  // Row i takes line i of pages.dat as its page.
  std::vector<PictureEntry> ReadPictureRows(const std::string& folderName) const;
  // The saved failed downloads, as LoadCrawlState reads them; none when missing.
  std::vector<FailedPicture> ReadFailed(const std::string& folderName) const;

  // At start-up: finishes or undoes the saves the program was killed in, in every state
  // folder: each gets back a whole set (RecoverFolder), and the temporary files of the
  // one-file saves are removed. Never fails; nothing but the program's own leftovers is
  // removed.
  void RecoverKilledSaves() const;

  // The sets of files a save cut short left beside the task's state folder, for Delete and
  // Restart to remove with it.
  std::vector<std::filesystem::path> LeftoverSets(const std::string& folderName) const;

 private:
  void ReplaceStateFile(const std::string& folderName, const char* name, const std::string& text,
                        bool createFolder) const;
  // failed.dat and removed.dat, those that are there.
  void LoadEndedDownloads(const std::filesystem::path& folder, CrawlState& state) const;

  std::filesystem::path mProgramFolder;
  FileLayer* mLayer;
};

}  // namespace vexilo

#include "core/TaskStateFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/Errors.h"
#include "core/FolderCommit.h"
#include "core/LineFile.h"
#include "core/TaskRecord.h"
#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr const char* kListView = "listview.dat";
constexpr const char* kVisited = "visitedurl.dat";
constexpr const char* kWant = "wanturls.dat";
constexpr const char* kTemp = "tempurls.dat";
constexpr const char* kPictures = "pictureurl.dat";
constexpr const char* kSavedNames = "savedname.dat";
constexpr const char* kCounters = "counti.dat";
constexpr const char* kCutOff = "cutoff.dat";  // an address line, then its save path line
// The page each queued picture was found on, in queue order; the picture list's rows share
// the queue's positions.
constexpr const char* kPages = "pages.dat";
constexpr const char* kFailed = "failed.dat";    // address, save path and reason lines
constexpr const char* kRemoved = "removed.dat";  // as failed.dat

// The lines a record is kept in, in file order.
template <typename Record, std::size_t N>
using RecordLines = std::array<std::string Record::*, N>;

constexpr RecordLines<PictureEntry, 4> kRowLines{&PictureEntry::Name, &PictureEntry::Link,
                                                 &PictureEntry::Width, &PictureEntry::Height};
constexpr RecordLines<QueuedPicture, 2> kCutOffLines{&QueuedPicture::Url, &QueuedPicture::SavePath};
constexpr RecordLines<FailedPicture, 3> kFailedLines{&FailedPicture::Url, &FailedPicture::SavePath,
                                                     &FailedPicture::Reason};
constexpr RecordLines<QueuedPicture, 1> kAddressLine{&QueuedPicture::Url};
constexpr RecordLines<QueuedPicture, 1> kSavePathLine{&QueuedPicture::SavePath};
constexpr RecordLines<QueuedPicture, 1> kPageLine{&QueuedPicture::Page};

template <typename Record, std::size_t N>
std::string RecordsText(const std::vector<Record>& records, const RecordLines<Record, N>& fields) {
  std::size_t size = 0;
  for (const Record& record : records) {
    for (std::string Record::*field : fields) size += (record.*field).size() + 2;
  }
  std::string text;
  text.reserve(size);
  for (const Record& record : records) {
    for (std::string Record::*field : fields) AppendLine(text, record.*field);
  }
  return text;
}

std::string CountersText(const CrawlState& state) {
  return LinesText({std::to_string(state.CrawlLevel), std::to_string(state.CrawlIndex),
                    std::to_string(state.DispatchedCount)});
}

using Rows = std::vector<PictureEntry>;

// Every file of a state folder with what it holds: a new state file is one more line here,
// and its reading below.
struct StateFile {
  const char* Name;
  std::string (*Text)(const Rows& rows, const CrawlState& state);
};
const StateFile kStateFiles[] = {
    {kListView, [](const Rows& r, const CrawlState&) { return RecordsText(r, kRowLines); }},
    {kVisited, [](const Rows&, const CrawlState& s) { return LinesText(s.VisitedUrls); }},
    {kWant, [](const Rows&, const CrawlState& s) { return LinesText(s.WantUrls); }},
    {kTemp, [](const Rows&, const CrawlState& s) { return LinesText(s.TempUrls); }},
    {kPictures,
     [](const Rows&, const CrawlState& s) { return RecordsText(s.Queue, kAddressLine); }},
    {kSavedNames,
     [](const Rows&, const CrawlState& s) { return RecordsText(s.Queue, kSavePathLine); }},
    {kPages, [](const Rows&, const CrawlState& s) { return RecordsText(s.Queue, kPageLine); }},
    {kCutOff, [](const Rows&, const CrawlState& s) { return RecordsText(s.CutOff, kCutOffLines); }},
    {kFailed, [](const Rows&, const CrawlState& s) { return RecordsText(s.Failed, kFailedLines); }},
    {kRemoved,
     [](const Rows&, const CrawlState& s) { return RecordsText(s.Removed, kFailedLines); }},
    {kCounters, [](const Rows&, const CrawlState& s) { return CountersText(s); }},
};

const std::vector<std::string>& StateFileNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const StateFile& file : kStateFiles) all.emplace_back(file.Name);
    return all;
  }();
  return names;
}

// One record per whole N lines: a short last record is dropped.
template <typename Record, std::size_t N>
std::vector<Record> ReadRecords(const std::filesystem::path& file,
                                const RecordLines<Record, N>& fields) {
  std::vector<std::string> lines = ReadLines(file);
  std::vector<Record> records(lines.size() / N);
  for (std::size_t r = 0; r < records.size(); ++r) {
    for (std::size_t f = 0; f < N; ++f) records[r].*fields[f] = std::move(lines[r * N + f]);
  }
  return records;
}

bool FileExists(const std::filesystem::path& file) {
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec);
}

void LoadListIfPresent(const std::filesystem::path& file, std::vector<std::string>& list) {
  if (FileExists(file)) list = ReadLines(file);
}

// One entry per address line; a save path line past the last address is dropped, and an
// address without one (a missing or short savedname.dat) gets an empty save path.
std::vector<QueuedPicture> ReadQueueFiles(const std::filesystem::path& addressFile,
                                          const std::filesystem::path& savePathFile) {
  std::vector<std::string> addresses = ReadLines(addressFile);
  std::vector<std::string> savePaths;
  if (FileExists(savePathFile)) savePaths = ReadLines(savePathFile);
  savePaths.resize(addresses.size());
  std::vector<QueuedPicture> queue;
  queue.reserve(addresses.size());
  for (size_t i = 0; i < addresses.size(); ++i) {
    queue.push_back({std::move(addresses[i]), std::move(savePaths[i])});
  }
  return queue;
}

// pages.dat's lines, one per queued picture; none for a task saved before it existed.
std::vector<std::string> ReadPages(const std::filesystem::path& folder) {
  if (!FileExists(folder / kPages)) return {};
  return ReadLines(folder / kPages);
}

// A cut-off download's page is that of its entry in the queue: cutoff.dat keeps its two lines.
void GiveCutOffPages(CrawlState& state) {
  std::unordered_map<std::string, const QueuedPicture*> bySavePath;
  for (const QueuedPicture& picture : state.Queue) bySavePath.emplace(picture.SavePath, &picture);
  for (QueuedPicture& picture : state.CutOff) {
    auto found = bySavePath.find(picture.SavePath);
    if (found != bySavePath.end() && found->second->Url == picture.Url) {
      picture.Page = found->second->Page;
    }
  }
}

// A state folder that is a link or a file is never written through.
bool RealFolderAt(const std::filesystem::path& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode)) {
    throw FileError("Cannot write to folder \"" + folder.string() + "\". It is not a folder.");
  }
  return true;
}

}  // namespace

TaskStateFiles::TaskStateFiles(std::filesystem::path programFolder, FileLayer& layer)
    : mProgramFolder(std::move(programFolder)), mLayer(&layer) {}

std::filesystem::path TaskStateFiles::StateFolder(const std::string& folderName) const {
  // Every state file's path starts here: no stored name may lead out of the state folders.
  if (!IsPlainFolderName(folderName)) {
    throw FileError("\"" + folderName + "\" is not a task's folder name.");
  }
  return mProgramFolder / kStateFolder / folderName;
}

void TaskStateFiles::SaveCrawlState(const std::string& folderName,
                                    const std::vector<PictureEntry>& rows,
                                    const CrawlState& state) const {
  std::vector<NamedText> files;
  files.reserve(std::size(kStateFiles));
  for (const StateFile& file : kStateFiles) files.push_back({file.Name, file.Text(rows, state)});
  CommitFolder(*mLayer, StateFolder(folderName), files);
}

void TaskStateFiles::SaveCounters(const std::string& folderName, const CrawlState& state) const {
  ReplaceStateFile(folderName, kCounters, CountersText(state), false);
}

void TaskStateFiles::SaveCutOff(const std::string& folderName, const CrawlState& state) const {
  ReplaceStateFile(folderName, kCutOff, RecordsText(state.CutOff, kCutOffLines), true);
}

void TaskStateFiles::PrependCutOff(const std::string& folderName,
                                   const std::vector<QueuedPicture>& pictures) const {
  const std::filesystem::path file = StateFolder(folderName) / kCutOff;
  CrawlState state;
  state.CutOff = pictures;
  if (FileExists(file)) {
    std::vector<QueuedPicture> saved = ReadRecords(file, kCutOffLines);
    state.CutOff.insert(state.CutOff.end(), saved.begin(), saved.end());
  }
  SaveCutOff(folderName, state);
}

void TaskStateFiles::SaveFailed(const std::string& folderName, const CrawlState& state) const {
  ReplaceStateFile(folderName, kFailed, RecordsText(state.Failed, kFailedLines), true);
  ReplaceStateFile(folderName, kRemoved, RecordsText(state.Removed, kFailedLines), true);
}

void TaskStateFiles::AppendFailed(const std::string& folderName,
                                  const std::vector<FailedPicture>& failed,
                                  const std::vector<FailedPicture>& removed) const {
  CrawlState state;
  LoadEndedDownloads(StateFolder(folderName), state);
  state.Failed.insert(state.Failed.end(), failed.begin(), failed.end());
  state.Removed.insert(state.Removed.end(), removed.begin(), removed.end());
  SaveFailed(folderName, state);
}

void TaskStateFiles::ReplaceStateFile(const std::string& folderName, const char* name,
                                      const std::string& text, bool createFolder) const {
  const std::filesystem::path folder = StateFolder(folderName);
  if (!RealFolderAt(folder)) {
    // A save cut short may have left the folder's last set beside it.
    RecoverFolder(*mLayer, folder, StateFileNames());
    if (!RealFolderAt(folder) && createFolder) {
      std::error_code ec;
      std::filesystem::create_directories(folder, ec);
      if (ec) throw FileError("Cannot create folder \"" + folder.string() + "\". " + ec.message());
    }
  }
  vexilo::RemoveStaleTemporaries(folder, StateFileNames());
  mLayer->ReplaceFile(folder / name, text);
}

void TaskStateFiles::RecoverKilledSaves() const {
  const std::filesystem::path stateFolders = mProgramFolder / kStateFolder;
  RecoverFoldersIn(*mLayer, stateFolders, StateFileNames());
  std::error_code ec;
  for (std::filesystem::directory_iterator it(stateFolders, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    // A link is not followed: only the task folders themselves are cleaned.
    if (it->symlink_status(typeError).type() == std::filesystem::file_type::directory) {
      vexilo::RemoveStaleTemporaries(it->path(), StateFileNames());
    }
  }
}

std::vector<std::filesystem::path> TaskStateFiles::LeftoverSets(
    const std::string& folderName) const {
  return vexilo::LeftoverSets(StateFolder(folderName));
}

void TaskStateFiles::LoadCrawlState(const std::string& folderName, std::vector<PictureEntry>& rows,
                                    CrawlState& state) const {
  std::filesystem::path folder = StateFolder(folderName);
  rows = ReadPictureRows(folderName);
  LoadListIfPresent(folder / kVisited, state.VisitedUrls);
  LoadListIfPresent(folder / kWant, state.WantUrls);
  LoadListIfPresent(folder / kTemp, state.TempUrls);
  LoadQueueState(folderName, state);
}

void TaskStateFiles::LoadQueueState(const std::string& folderName, CrawlState& state) const {
  std::filesystem::path folder = StateFolder(folderName);
  if (FileExists(folder / kPictures)) {
    state.Queue = ReadQueueFiles(folder / kPictures, folder / kSavedNames);
    const std::vector<std::string> pages = ReadPages(folder);
    for (size_t i = 0; i < pages.size() && i < state.Queue.size(); ++i) {
      state.Queue[i].Page = pages[i];
    }
  }
  if (FileExists(folder / kCutOff)) state.CutOff = ReadRecords(folder / kCutOff, kCutOffLines);
  GiveCutOffPages(state);
  LoadEndedDownloads(folder, state);

  if (FileExists(folder / kCounters)) {
    std::vector<std::string> lines = ReadLines(folder / kCounters);
    std::optional<std::int32_t> level, index, dispatched;
    if (lines.size() >= 3) {
      level = ParseWholeNumber(lines[0]);
      index = ParseWholeNumber(lines[1]);
      dispatched = ParseWholeNumber(lines[2]);
    }
    if (level && index && dispatched) {
      state.CrawlLevel = *level;
      state.CrawlIndex = *index;
      state.DispatchedCount = *dispatched;
    } else {
      state.CrawlLevel = 1;
      state.CrawlIndex = 1;
      state.DispatchedCount = 0;
    }
  }
  // A hand-edited file must not send the crawl or the scheduler outside the lists.
  state.CrawlLevel = std::max(state.CrawlLevel, 1);
  state.CrawlIndex = std::max(state.CrawlIndex, 1);
  state.DispatchedCount = std::clamp<std::int32_t>(state.DispatchedCount, 0,
                                                   static_cast<std::int32_t>(state.Queue.size()));
}

std::vector<PictureEntry> TaskStateFiles::ReadPictureRows(const std::string& folderName) const {
  std::filesystem::path file = StateFolder(folderName) / kListView;
  if (!FileExists(file)) return {};
  std::vector<PictureEntry> rows = ReadRecords(file, kRowLines);
  std::vector<std::string> pages = ReadPages(StateFolder(folderName));
  for (size_t i = 0; i < pages.size() && i < rows.size(); ++i) rows[i].Page = std::move(pages[i]);
  return rows;
}

std::vector<FailedPicture> TaskStateFiles::ReadFailed(const std::string& folderName) const {
  std::filesystem::path file = StateFolder(folderName) / kFailed;
  if (!FileExists(file)) return {};
  return ReadRecords(file, kFailedLines);
}

void TaskStateFiles::LoadEndedDownloads(const std::filesystem::path& folder,
                                        CrawlState& state) const {
  if (FileExists(folder / kFailed)) state.Failed = ReadRecords(folder / kFailed, kFailedLines);
  if (FileExists(folder / kRemoved)) state.Removed = ReadRecords(folder / kRemoved, kFailedLines);
}

}  // namespace vexilo

#pragma once
// The archive that remembers every picture each task ever queued, so that a check for new
// pictures fetches only what the task never had and never again what the user deleted. A
// SQLite database in WAL mode in the program folder; a run killed mid-write loses at most the
// write it was in. One connection, used from the main thread only. Every failure to read or
// write raises FileError.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/KnownPictures.h"

struct sqlite3;

namespace vexilo {

// What the archive knows of one picture of one task. A time that is empty never happened.
struct ArchivedPicture {
  std::string Url{};
  std::string SavePath{};
  std::optional<std::uint64_t> ContentHash{};  // ContentHashOf the file once fetched
  std::optional<std::int64_t> Bytes{};
  std::optional<int> Width{};
  std::optional<int> Height{};
  WallClock::TimePoint FirstSeen{};
  std::optional<WallClock::TimePoint> Fetched{};
  std::optional<WallClock::TimePoint> RemovedByUser{};
};

// What a download left of a picture: the file's content and size.
struct FetchedFacts {
  std::optional<std::uint64_t> ContentHash;
  std::optional<std::int64_t> Bytes;
  std::optional<int> Width;
  std::optional<int> Height;
};

class PictureArchive {
 public:
  static constexpr const char* kFileName = "archive.db";

  // The archive of the program folder, made when missing. A file that is no sound database
  // is renamed beside it (SetAsideName) and a fresh one made; notice then says so, and is
  // empty otherwise. Raises FileError when no archive can be opened at all.
  static std::unique_ptr<PictureArchive> Open(const std::filesystem::path& programFolder,
                                              const WallClock& clock, std::string& notice);
  ~PictureArchive();
  PictureArchive(const PictureArchive&) = delete;
  PictureArchive& operator=(const PictureArchive&) = delete;

  // Whether the task (by its folder name) has been entered, from its state files or by a
  // crawl, so that what it had is known.
  bool HasTask(const std::string& task) const;
  void MarkTaskEntered(const std::string& task);
  // Everything of the task, when its state goes (Delete, Restart): a later task of the same
  // folder name starts with nothing.
  void ForgetTask(const std::string& task);

  // A picture the task queued; a picture it had before keeps its first time and facts.
  void Queued(const std::string& task, const std::string& url, const std::string& savePath);
  // The picture was downloaded (now, or at when known); a picture fetched again is no longer
  // counted as removed.
  void Fetched(const std::string& task, const std::string& url, const FetchedFacts& facts,
               std::optional<WallClock::TimePoint> at = std::nullopt);
  void RemovedByUser(const std::string& task, const std::string& url);
  // The task's picture saved at oldPath was renamed by the user: it is at newPath now, and
  // not gone.
  void Renamed(const std::string& task, const std::string& oldPath, const std::string& newPath);
  // Several changes as one write, much faster than one write each; undone as a whole when
  // work raises.
  template <typename Work>
  void InOneWrite(Work&& work) {
    Begin();
    try {
      work();
    } catch (...) {
      Rollback();
      throw;
    }
    Commit();
  }

  std::vector<ArchivedPicture> TaskPictures(const std::string& task) const;
  // The addresses and contents of the pictures other tasks than task have: fetched and not
  // removed by the user.
  KnownPictures OtherTasksPictures(const std::string& task) const;

  // The name a corrupt archive at file gets beside it: the first of "archive.db.corrupt",
  // "archive.db.corrupt-2", ... that is free.
  static std::filesystem::path SetAsideName(const std::filesystem::path& file);

 private:
  PictureArchive(sqlite3* db, const WallClock& clock);
  void Begin();
  void Commit();
  void Rollback();

  sqlite3* mDb;
  const WallClock& mClock;
};

}  // namespace vexilo

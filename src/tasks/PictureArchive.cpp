#include "tasks/PictureArchive.h"

#include <sqlite3.h>

#include <chrono>
#include <system_error>
#include <utility>

#include "core/Errors.h"

namespace vexilo {
namespace {

// Times are kept as milliseconds of the calendar clock; NULL is "never", so no time of the
// clock can be mistaken for it.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS tasks (
  task TEXT PRIMARY KEY NOT NULL,
  entered INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS pictures (
  task TEXT NOT NULL,
  url TEXT NOT NULL,
  save_path TEXT NOT NULL,
  content_hash INTEGER,
  bytes INTEGER,
  width INTEGER,
  height INTEGER,
  first_seen INTEGER NOT NULL,
  fetched INTEGER,
  removed_by_user INTEGER,
  PRIMARY KEY (task, url)
);
PRAGMA user_version = 1;
)sql";

std::int64_t MillisOf(WallClock::TimePoint time) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

WallClock::TimePoint TimeOf(std::int64_t millis) {
  return WallClock::TimePoint(std::chrono::duration_cast<WallClock::TimePoint::duration>(
      std::chrono::milliseconds(millis)));
}

[[noreturn]] void RaiseArchiveError(sqlite3* db, const std::string& what) {
  throw FileError("The picture archive cannot be " + what + ": " + sqlite3_errmsg(db) + ".");
}

// One prepared statement, finalised on every path out.
class ArchiveStatement {
 public:
  ArchiveStatement(sqlite3* db, const char* sql) : mDb(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &mStatement, nullptr) != SQLITE_OK) {
      RaiseArchiveError(db, "read");
    }
  }
  ~ArchiveStatement() { sqlite3_finalize(mStatement); }
  ArchiveStatement(const ArchiveStatement&) = delete;
  ArchiveStatement& operator=(const ArchiveStatement&) = delete;

  ArchiveStatement& Text(int index, const std::string& text) {
    sqlite3_bind_text(mStatement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  ArchiveStatement& Integer(int index, std::optional<std::int64_t> value) {
    if (value) {
      sqlite3_bind_int64(mStatement, index, *value);
    } else {
      sqlite3_bind_null(mStatement, index);
    }
    return *this;
  }
  // true while a row is there to read.
  bool Step() {
    const int result = sqlite3_step(mStatement);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    RaiseArchiveError(mDb, "written");
  }
  void Run() {
    while (Step()) {
    }
  }
  std::string ColumnText(int column) const {
    const auto* text = sqlite3_column_text(mStatement, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(mStatement, column)))
                : std::string();
  }
  std::optional<std::int64_t> ColumnInteger(int column) const {
    if (sqlite3_column_type(mStatement, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(mStatement, column);
  }

 private:
  sqlite3* mDb;
  sqlite3_stmt* mStatement = nullptr;
};

void RunScript(sqlite3* db, const char* sql, const std::string& what) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) RaiseArchiveError(db, what);
}

// An open, checked and set-up database, or nullptr with why in error and whether the file
// itself is at fault (not the folder, say) in corrupt.
sqlite3* OpenSound(const std::filesystem::path& file, std::string& error, bool& corrupt) {
  sqlite3* db = nullptr;
  int result =
      sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  auto fail = [&](int code) -> sqlite3* {
    error = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int primary = (db ? sqlite3_errcode(db) : code) & 0xff;
    corrupt = primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
    sqlite3_close(db);
    return nullptr;
  };
  if (result != SQLITE_OK) return fail(result);
  // Another Vexilo writing a moment is waited for, not taken for damage.
  sqlite3_busy_timeout(db, 2000);
  if ((result = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr)) !=
      SQLITE_OK) {
    return fail(result);
  }
  sqlite3_stmt* check = nullptr;
  result = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr);
  if (result != SQLITE_OK) return fail(result);
  bool sound = sqlite3_step(check) == SQLITE_ROW &&
               std::string(reinterpret_cast<const char*>(sqlite3_column_text(check, 0))) == "ok";
  sqlite3_finalize(check);
  if (!sound) {
    error = "it fails its check";
    corrupt = true;
    sqlite3_close(db);
    return nullptr;
  }
  // In WAL mode a commit is safe from a killed program without waiting for the disk; only
  // a power cut can lose the last commits.
  if ((result = sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr)) !=
          SQLITE_OK ||
      (result = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr)) != SQLITE_OK) {
    return fail(result);
  }
  return db;
}

void RenameIfThere(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ignored;
  if (std::filesystem::exists(std::filesystem::symlink_status(from, ignored))) {
    std::filesystem::rename(from, to, ignored);
  }
}

}  // namespace

std::unique_ptr<PictureArchive> PictureArchive::Open(const std::filesystem::path& programFolder,
                                                     const WallClock& clock, std::string& notice) {
  notice.clear();
  const std::filesystem::path file = programFolder / kFileName;
  std::string error;
  bool corrupt = false;
  if (sqlite3* db = OpenSound(file, error, corrupt)) {
    return std::unique_ptr<PictureArchive>(new PictureArchive(db, clock));
  }
  if (!corrupt)
    throw FileError("The picture archive \"" + file.string() + "\" cannot be opened: " + error +
                    ".");
  // Its journal goes with it: replayed into a fresh file it would bring the damage back.
  const std::filesystem::path aside = SetAsideName(file);
  std::error_code renamed;
  std::filesystem::rename(file, aside, renamed);
  if (renamed) {
    throw FileError("The picture archive \"" + file.string() + "\" is damaged (" + error +
                    ") and cannot be set aside: " + renamed.message() + ".");
  }
  RenameIfThere(file.string() + "-wal", aside.string() + "-wal");
  RenameIfThere(file.string() + "-shm", aside.string() + "-shm");
  notice = "The picture archive was damaged (" + error + ") and has been set aside as \"" +
           aside.string() +
           "\". A new one has been started: checks for new pictures know again only what the "
           "tasks' folders hold.";
  if (sqlite3* db = OpenSound(file, error, corrupt)) {
    return std::unique_ptr<PictureArchive>(new PictureArchive(db, clock));
  }
  throw FileError("The picture archive \"" + file.string() + "\" cannot be made: " + error + ".");
}

std::filesystem::path PictureArchive::SetAsideName(const std::filesystem::path& file) {
  std::error_code ignored;
  std::filesystem::path aside = file.string() + ".corrupt";
  for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(aside, ignored)); ++n) {
    aside = file.string() + ".corrupt-" + std::to_string(n);
  }
  return aside;
}

PictureArchive::PictureArchive(sqlite3* db, const WallClock& clock) : mDb(db), mClock(clock) {}

PictureArchive::~PictureArchive() { sqlite3_close(mDb); }

bool PictureArchive::HasTask(const std::string& task) const {
  ArchiveStatement query(mDb, "SELECT 1 FROM tasks WHERE task = ?1");
  return query.Text(1, task).Step();
}

void PictureArchive::MarkTaskEntered(const std::string& task) {
  ArchiveStatement(mDb, "INSERT OR IGNORE INTO tasks (task, entered) VALUES (?1, ?2)")
      .Text(1, task)
      .Integer(2, MillisOf(mClock.Now()))
      .Run();
}

void PictureArchive::ForgetTask(const std::string& task) {
  InOneWrite([&] {
    ArchiveStatement(mDb, "DELETE FROM pictures WHERE task = ?1").Text(1, task).Run();
    ArchiveStatement(mDb, "DELETE FROM tasks WHERE task = ?1").Text(1, task).Run();
  });
}

void PictureArchive::Queued(const std::string& task, const std::string& url,
                            const std::string& savePath) {
  ArchiveStatement(
      mDb,
      "INSERT INTO pictures (task, url, save_path, first_seen) VALUES (?1, ?2, ?3, ?4) "
      "ON CONFLICT (task, url) DO UPDATE SET save_path = excluded.save_path")
      .Text(1, task)
      .Text(2, url)
      .Text(3, savePath)
      .Integer(4, MillisOf(mClock.Now()))
      .Run();
}

void PictureArchive::Fetched(const std::string& task, const std::string& url,
                             const FetchedFacts& facts, std::optional<WallClock::TimePoint> at) {
  auto hash = facts.ContentHash
                  ? std::optional<std::int64_t>(static_cast<std::int64_t>(*facts.ContentHash))
                  : std::nullopt;
  ArchiveStatement(mDb,
                   "UPDATE pictures SET content_hash = ?3, bytes = ?4, width = ?5, height = ?6, "
                   "fetched = ?7, removed_by_user = NULL WHERE task = ?1 AND url = ?2")
      .Text(1, task)
      .Text(2, url)
      .Integer(3, hash)
      .Integer(4, facts.Bytes)
      .Integer(5, facts.Width)
      .Integer(6, facts.Height)
      .Integer(7, MillisOf(at.value_or(mClock.Now())))
      .Run();
}

void PictureArchive::RemovedByUser(const std::string& task, const std::string& url) {
  ArchiveStatement(mDb,
                   "UPDATE pictures SET removed_by_user = ?3 WHERE task = ?1 AND url = ?2 AND "
                   "removed_by_user IS NULL")
      .Text(1, task)
      .Text(2, url)
      .Integer(3, MillisOf(mClock.Now()))
      .Run();
}

void PictureArchive::Renamed(const std::string& task, const std::string& oldPath,
                             const std::string& newPath) {
  ArchiveStatement(mDb, "UPDATE pictures SET save_path = ?3 WHERE task = ?1 AND save_path = ?2")
      .Text(1, task)
      .Text(2, oldPath)
      .Text(3, newPath)
      .Run();
}

std::vector<ArchivedPicture> PictureArchive::TaskPictures(const std::string& task) const {
  ArchiveStatement query(mDb,
                         "SELECT url, save_path, content_hash, bytes, width, height, first_seen, "
                         "fetched, removed_by_user FROM pictures WHERE task = ?1 ORDER BY rowid");
  query.Text(1, task);
  std::vector<ArchivedPicture> pictures;
  while (query.Step()) {
    ArchivedPicture picture;
    picture.Url = query.ColumnText(0);
    picture.SavePath = query.ColumnText(1);
    if (auto hash = query.ColumnInteger(2)) picture.ContentHash = static_cast<std::uint64_t>(*hash);
    picture.Bytes = query.ColumnInteger(3);
    if (auto width = query.ColumnInteger(4)) picture.Width = static_cast<int>(*width);
    if (auto height = query.ColumnInteger(5)) picture.Height = static_cast<int>(*height);
    picture.FirstSeen = TimeOf(query.ColumnInteger(6).value_or(0));
    if (auto fetched = query.ColumnInteger(7)) picture.Fetched = TimeOf(*fetched);
    if (auto removed = query.ColumnInteger(8)) picture.RemovedByUser = TimeOf(*removed);
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

KnownPictures PictureArchive::OtherTasksPictures(const std::string& task) const {
  ArchiveStatement query(mDb,
                         "SELECT url, content_hash FROM pictures WHERE task <> ?1 AND "
                         "fetched IS NOT NULL AND removed_by_user IS NULL");
  query.Text(1, task);
  KnownPictures known;
  while (query.Step()) {
    known.Urls.insert(query.ColumnText(0));
    if (auto hash = query.ColumnInteger(1))
      known.Contents.insert(static_cast<std::uint64_t>(*hash));
  }
  return known;
}

void PictureArchive::Begin() { RunScript(mDb, "BEGIN IMMEDIATE", "written"); }

void PictureArchive::Commit() { RunScript(mDb, "COMMIT", "written"); }

void PictureArchive::Rollback() { sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr); }

}  // namespace vexilo

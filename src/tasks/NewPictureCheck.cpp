#include "tasks/NewPictureCheck.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unordered_set>

#include "core/ContentHash.h"
#include "core/PictureHeader.h"

namespace vexilo {
namespace {

// As much of a file as its size is read from.
constexpr std::size_t kSizeHeaderBytes = 64 * 1024;

std::optional<WallClock::TimePoint> FileTimeOf(const std::string& path) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  return std::chrono::time_point_cast<WallClock::TimePoint::duration>(
      std::chrono::file_clock::to_sys(written));
}

}  // namespace

bool RemovedByUserReason(const std::string& reason) {
  return reason == kDeletedByUserReason || reason == kRemovedByYouReason ||
         reason.starts_with(kMovedByUserReason);
}

std::string FetchDeletedQuestion(std::size_t count) {
  return count == 1 ? "Also fetch the 1 picture you deleted?"
                    : "Also fetch the " + std::to_string(count) + " pictures you deleted?";
}

FetchedFacts FactsOfFile(const std::string& path) {
  FetchedFacts facts;
  facts.ContentHash = ContentHashOf(path);
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  if (!error) facts.Bytes = static_cast<std::int64_t>(bytes);
  std::ifstream file(path, std::ios::binary);
  std::string head(kSizeHeaderBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
  if (auto size = ReadPictureDimensions(head)) {
    facts.Width = size->Width;
    facts.Height = size->Height;
  }
  return facts;
}

void EnterTaskOnce(PictureArchive& archive, const std::string& task, const CrawlState& saved,
                   const FileThere& fileThere) {
  if (archive.HasTask(task)) return;
  std::unordered_set<std::string> accounted;
  for (const FailedPicture& failed : saved.Failed) accounted.insert(failed.SavePath);
  for (const FailedPicture& removed : saved.Removed) accounted.insert(removed.SavePath);
  for (const QueuedPicture& cut : saved.CutOff) accounted.insert(cut.SavePath);
  const auto handedOut = static_cast<std::size_t>(
      std::clamp<std::int64_t>(saved.DispatchedCount, 0, std::ssize(saved.Queue)));
  archive.InOneWrite([&] {
    for (std::size_t i = 0; i < saved.Queue.size(); ++i) {
      const QueuedPicture& picture = saved.Queue[i];
      archive.Queued(task, picture.Url, picture.SavePath);
      if (i >= handedOut || picture.SavePath.empty() || accounted.contains(picture.SavePath)) {
        continue;
      }
      if (fileThere(picture.SavePath)) {
        archive.Fetched(task, picture.Url, FactsOfFile(picture.SavePath),
                        FileTimeOf(picture.SavePath));
      } else {
        archive.RemovedByUser(task, picture.Url);
      }
    }
    archive.MarkTaskEntered(task);
  });
}

std::vector<ArchivedPicture> DeletedPictures(PictureArchive& archive, const std::string& task,
                                             const FileThere& fileThere) {
  std::vector<ArchivedPicture> deleted;
  std::vector<ArchivedPicture> pictures = archive.TaskPictures(task);
  archive.InOneWrite([&] {
    for (ArchivedPicture& picture : pictures) {
      if (!picture.RemovedByUser && picture.Fetched && !fileThere(picture.SavePath)) {
        archive.RemovedByUser(task, picture.Url);
        picture.RemovedByUser = picture.Fetched;  // any time: it is only told apart from none
      }
      if (picture.RemovedByUser) deleted.push_back(std::move(picture));
    }
  });
  return deleted;
}

KnownPictures KnownPicturesOf(const std::vector<ArchivedPicture>& pictures,
                              const std::vector<ArchivedPicture>& deleted, bool fetchDeleted) {
  std::unordered_set<std::string> again;
  if (fetchDeleted) {
    for (const ArchivedPicture& picture : deleted) again.insert(picture.Url);
  }
  KnownPictures known;
  for (const ArchivedPicture& picture : pictures) {
    if (again.contains(picture.Url)) continue;
    known.Urls.insert(picture.Url);
    if (picture.ContentHash) known.Contents.insert(*picture.ContentHash);
  }
  return known;
}

void MakeCheckStart(CrawlState& state, const std::string& startUrl,
                    const std::vector<ArchivedPicture>& deleted, bool fetchDeleted) {
  state.WantUrls = {startUrl};
  state.TempUrls.clear();
  state.VisitedUrls = {startUrl};
  state.CrawlLevel = 1;
  state.CrawlIndex = 1;
  state.DispatchedCount = std::clamp<std::int32_t>(
      state.DispatchedCount, 0,
      static_cast<std::int32_t>(std::min<std::size_t>(state.Queue.size(), INT32_MAX)));
  for (const FailedPicture& failed : state.Failed) {
    state.CutOff.push_back({failed.Url, failed.SavePath});
  }
  state.Failed.clear();

  std::unordered_set<std::string> deletedUrls;
  for (const ArchivedPicture& picture : deleted) deletedUrls.insert(picture.Url);
  // A picture the user took away keeps what it was told (where it was moved to, say) until
  // it is fetched again or its file came back.
  std::erase_if(state.Removed, [&](const FailedPicture& removed) {
    return RemovedByUserReason(removed.Reason) &&
           (fetchDeleted || !deletedUrls.contains(removed.Url));
  });
  std::unordered_set<std::string> told;
  for (const FailedPicture& removed : state.Removed) told.insert(removed.Url);
  // Only what was handed out: a picture still waiting in the queue is fetched in its turn.
  for (std::size_t i = 0; i < static_cast<std::size_t>(state.DispatchedCount); ++i) {
    const QueuedPicture& picture = state.Queue[i];
    if (!deletedUrls.contains(picture.Url)) continue;
    if (fetchDeleted) {
      state.CutOff.push_back(picture);
    } else if (!told.contains(picture.Url)) {
      state.Removed.push_back({picture.Url, picture.SavePath, kDeletedByUserReason});
    }
  }
}

}  // namespace vexilo

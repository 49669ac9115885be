#include "downloader/PictureOrigin.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>

#include "core/UrlUtils.h"

namespace vexilo {
namespace {

constexpr std::chrono::hours kMostAhead{24};

void WriteAttribute(int fd, const char* name, std::string_view url) {
  if (url.empty()) return;
  const std::string bare = WithoutCredentials(url);
  // ENOTSUP, E2BIG, ENOSPC and the like leave the file unmarked and the download as it was.
  (void)::fsetxattr(fd, name, bare.data(), bare.size(), 0);
}

}  // namespace

void WriteOriginAttributes(int fd, std::string_view pictureUrl, std::string_view pageUrl) {
  WriteAttribute(fd, kOriginAttribute, pictureUrl);
  WriteAttribute(fd, kReferrerAttribute, pageUrl);
}

std::optional<WallClock::TimePoint> ServerDateOf(std::int64_t fileTime, WallClock::TimePoint now) {
  // Compared in seconds: a date centuries ahead would overflow the clock's finer ticks.
  const std::int64_t latest =
      std::chrono::floor<std::chrono::seconds>(now + kMostAhead).time_since_epoch().count();
  if (fileTime < 0 || fileTime > latest) return std::nullopt;
  return WallClock::TimePoint(std::chrono::seconds(fileTime));
}

bool SetModificationTime(int fd, WallClock::TimePoint when) {
  const auto seconds = std::chrono::time_point_cast<std::chrono::seconds>(when);
  const auto nanoseconds =
      std::chrono::duration_cast<std::chrono::nanoseconds>(when - seconds).count();
  const timespec times[2] = {
      {0, UTIME_OMIT},
      {static_cast<time_t>(seconds.time_since_epoch().count()), static_cast<long>(nanoseconds)}};
  return ::futimens(fd, times) == 0;
}

}  // namespace vexilo

#pragma once
// What a saved picture's file tells of where it came from, as browsers and wget mark their
// downloads: the freedesktop.org attributes below, and, when asked for, the server's date as
// its modification time. Any thread.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/Clock.h"

namespace vexilo {

inline constexpr const char* kOriginAttribute = "user.xdg.origin.url";
inline constexpr const char* kReferrerAttribute = "user.xdg.referrer.url";

// Sets the picture's and its page's address on the open file fd, each without user name and
// password; an empty address sets none. A file system without user attributes, or one that
// refuses an address this long, gets none, quietly: the picture matters more than its label.
void WriteOriginAttributes(int fd, std::string_view pictureUrl, std::string_view pageUrl);

// The modification time for a response whose Last-Modified libcurl read as fileTime (seconds
// since the epoch, -1 when there was none or it could not be read). None when it lies more
// than a day past now: a server clock that wrong says nothing of the picture.
std::optional<WallClock::TimePoint> ServerDateOf(std::int64_t fileTime, WallClock::TimePoint now);

// Sets fd's modification time, leaving its access time; false when refused.
bool SetModificationTime(int fd, WallClock::TimePoint when);

}  // namespace vexilo

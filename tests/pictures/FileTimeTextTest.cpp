#include <gtest/gtest.h>

#include "pictures/FileTimeText.h"

namespace vexilo {
namespace {

TEST(FormatPictureTime, ShowsLocalTimeWithEvenSeconds) {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 1;
  local.tm_mday = 29;
  local.tm_hour = 13;
  local.tm_min = 5;
  local.tm_sec = 7;
  local.tm_isdst = -1;
  std::time_t time = std::mktime(&local);
  EXPECT_EQ(FormatPictureTime(time), "2024-02-29 13:05:06");
  EXPECT_EQ(FormatPictureTime(time + 1), "2024-02-29 13:05:08");
}

}  // namespace
}  // namespace vexilo

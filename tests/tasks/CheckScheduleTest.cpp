#include <gtest/gtest.h>

#include "core/LineFile.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"
#include "tasks/CheckSchedule.h"

namespace vexilo {
namespace {

using std::chrono::hours;

TEST(CheckScheduleTest, ReadsBackWhatWasWrittenAndAGarbledFileAsNever) {
  test::TempDir dir;
  const test::FakeWallClock clock;
  EXPECT_EQ(ReadCheckSchedule(dir.Path() / "none"), CheckSchedule{});
  WriteCheckSchedule(dir.Path() / "new", {24, clock.Now()});
  const CheckSchedule read = ReadCheckSchedule(dir.Path() / "new");
  EXPECT_EQ(read.Hours, 24);
  ASSERT_TRUE(read.LastCheck);
  EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(*read.LastCheck), clock.Now());
  WriteCheckSchedule(dir.Path(), {3, std::nullopt});
  EXPECT_EQ(ReadCheckSchedule(dir.Path()), (CheckSchedule{3, std::nullopt}));

  const struct {
    const char* text;
    CheckSchedule read;
  } kGarbled[] = {
      {"", {}},
      {"x\n", {}},
      {"-3\n", {}},
      {"99999999\n", {}},
      {"5\nyesterday\n", {5, std::nullopt}},
      {"5\n99999999999999999999\n", {5, std::nullopt}},
      {"5\n-1\n", {5, std::nullopt}},
  };
  for (const auto& garbled : kGarbled) {
    ReplaceFileText(dir.Path() / kCheckScheduleFile, garbled.text);
    EXPECT_EQ(ReadCheckSchedule(dir.Path()), garbled.read) << garbled.text;
  }
}

TEST(CheckScheduleTest, ADueCheckIsNeverLost) {
  const test::FakeWallClock clock;
  const auto now = clock.Now();
  const struct {
    CheckSchedule schedule;
    bool due;
  } kCases[] = {
      {{0, std::nullopt}, false},  {{6, std::nullopt}, true},   {{6, now - hours(5)}, false},
      {{6, now - hours(6)}, true}, {{6, now + hours(1)}, true},  // the clock was set back
  };
  for (const auto& c : kCases) EXPECT_EQ(CheckDue(c.schedule, now), c.due);
}

}  // namespace
}  // namespace vexilo

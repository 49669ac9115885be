#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

#include "support/FakeClock.h"
#include "viewer/SlideShow.h"

namespace vexilo {
namespace {

using std::chrono::milliseconds;

TEST(SlideShow, InOrderItWaitsItsTimeAndWrapsAtTheEnd) {
  test::FakeClock clock;
  SlideShow show(clock);
  show.Start(3, 1, milliseconds(4000), false);
  ASSERT_TRUE(show.Running());
  clock.Advance(milliseconds(3999));
  EXPECT_EQ(show.Due(3), std::nullopt);
  std::vector<int> shown;
  for (int i = 0; i < 4; ++i) {
    clock.Advance(milliseconds(4000));
    shown.push_back(show.Due(3).value_or(-1));
  }
  EXPECT_EQ(shown, (std::vector<int>{2, 0, 1, 2}));
  // A picture that took long to show does not make the next ones come at once.
  clock.Advance(milliseconds(20000));
  EXPECT_TRUE(show.Due(3));
  EXPECT_FALSE(show.Due(3));
  show.Stop();
  clock.Advance(milliseconds(9000));
  EXPECT_FALSE(show.Due(3));
}

TEST(SlideShow, ShuffledEveryRoundShowsEachPictureOnceAndNoneTwiceInARow) {
  test::FakeClock clock;
  SlideShow show(clock);
  show.Start(7, 3, milliseconds(1000), true, 42);
  std::vector<int> shown;
  for (int i = 0; i < 70; ++i) {
    clock.Advance(milliseconds(1000));
    shown.push_back(show.Due(7).value_or(-1));
  }
  for (std::size_t round = 0; round < 10; ++round) {
    const std::set<int> once(shown.begin() + static_cast<long>(round * 7),
                             shown.begin() + static_cast<long>(round * 7 + 7));
    EXPECT_EQ(once.size(), 7u) << "round " << round;
  }
  EXPECT_EQ(std::adjacent_find(shown.begin(), shown.end()), shown.end());
  EXPECT_NE(shown[0], 3);
  // The list shrank under the show: only positions it still has come.
  clock.Advance(milliseconds(1000));
  EXPECT_LT(show.Due(2).value_or(-1), 2);
}

TEST(SlideShow, OnePictureHasNoShow) {
  test::FakeClock clock;
  SlideShow show(clock);
  show.Start(1, 0, milliseconds(1000), false);
  EXPECT_FALSE(show.Running());
}

}  // namespace
}  // namespace vexilo

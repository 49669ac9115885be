#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "pictures/DecodeBudget.h"

namespace vexilo {
namespace {

// Starts Acquire(pixels) on a thread of its own and waits until the budget has it queued
// (or admitted, when it fits at once).
class Requester {
 public:
  Requester(DecodeBudget& budget, std::int64_t pixels, int waitingBefore)
      : mThread([&budget, pixels, this] {
          budget.Acquire(pixels);
          mAdmitted.store(true);
        }) {
    while (!mAdmitted.load() && budget.Waiting() <= waitingBefore) std::this_thread::yield();
  }
  ~Requester() { mThread.join(); }
  bool Admitted() const { return mAdmitted.load(); }

 private:
  std::atomic<bool> mAdmitted{false};
  std::thread mThread;
};

TEST(DecodeBudgetTest, ARequestWaitsUntilItFitsBesideWhatIsHeld) {
  DecodeBudget budget(10);
  budget.Acquire(8);
  {
    Requester second(budget, 5, 0);
    EXPECT_FALSE(second.Admitted());
    EXPECT_EQ(budget.Held(), 8);
    budget.Release(8);
  }
  EXPECT_EQ(budget.Held(), 5);
  EXPECT_EQ(budget.PeakHeld(), 8);
}

// Larger than the whole budget: it waits for everything else to go, then holds the budget
// alone until it is done.
TEST(DecodeBudgetTest, ARequestLargerThanTheBudgetRunsAlone) {
  DecodeBudget budget(10);
  budget.Acquire(3);
  {
    Requester huge(budget, 25, 0);
    EXPECT_FALSE(huge.Admitted());
    budget.Release(3);
  }
  EXPECT_EQ(budget.Held(), 25);
  {
    Requester small(budget, 1, 0);
    EXPECT_FALSE(small.Admitted());
    budget.Release(25);
  }
  EXPECT_EQ(budget.Held(), 1);
  EXPECT_EQ(budget.PeakHeld(), 25);
}

// A small request that would fit waits behind an earlier large one, so a stream of small
// decodes cannot starve a large one.
TEST(DecodeBudgetTest, RequestsAreAdmittedInTheirOrder) {
  DecodeBudget budget(10);
  budget.Acquire(8);
  {
    Requester large(budget, 5, 0);
    Requester small(budget, 1, 1);
    EXPECT_FALSE(small.Admitted());
    EXPECT_EQ(budget.Held(), 8);
    budget.Release(8);
  }
  EXPECT_EQ(budget.Held(), 6);
}

TEST(DecodeBudgetTest, ALeaseGivesBackWhatItTook) {
  DecodeBudget budget(10);
  {
    DecodeLease lease(budget);
    lease.Take(4);
    lease.Take(3);
    EXPECT_EQ(budget.Held(), 7);
  }
  EXPECT_EQ(budget.Held(), 0);
  DecodeLease none;
  none.Take(1'000'000);
}

}  // namespace
}  // namespace vexilo

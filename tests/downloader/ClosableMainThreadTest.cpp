#include <gtest/gtest.h>

#include <thread>

#include "downloader/ClosableMainThread.h"
#include "support/FakeSeams.h"

namespace vexilo::test {
namespace {

TEST(ClosableMainThreadTest, RunsWorkForAWaitingThread) {
  FakeMainThread target;
  ClosableMainThread gate(target);
  bool ran = false;

  std::thread worker([&] { gate.RunAndWait([&] { ran = true; }); });
  ASSERT_TRUE(target.WaitForQueued(1));
  target.RunPending();
  worker.join();

  EXPECT_TRUE(ran);
}

TEST(ClosableMainThreadTest, CloseReleasesTheWaiterAndDropsQueuedWork) {
  FakeMainThread target;
  bool ran = false;
  {
    ClosableMainThread gate(target);
    std::thread worker([&] { gate.RunAndWait([&] { ran = true; }); });
    ASSERT_TRUE(target.WaitForQueued(1));
    gate.Post([&] { ran = true; });

    gate.Close();
    worker.join();
    gate.RunAndWait([&] { ran = true; });
  }
  target.RunPending();  // the gate is gone by now

  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace vexilo::test

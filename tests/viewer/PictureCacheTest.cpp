#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "pictures/DecodeBudget.h"
#include "pictures/PictureError.h"
#include "viewer/ViewerPictureCache.h"

namespace vexilo {
namespace {

// Decodes "pictures" of 10 x 10 pixels, counting the decodes of each path and noting the
// thread; "bad" cannot be read.
class FakeDecoder {
 public:
  ViewerPictureCache::Decoder Function() {
    return [this](const std::string& path, DecodeLease* lease) {
      if (lease) lease->Take(100);
      std::lock_guard lock(mMutex);
      ++mDecodes[path];
      mThreads[path] = std::this_thread::get_id();
      if (path == "bad") throw PictureError("bad is no picture");
      return Bitmap24(10, 10);
    };
  }
  int Decodes(const std::string& path) {
    std::lock_guard lock(mMutex);
    return mDecodes[path];
  }
  std::thread::id Thread(const std::string& path) {
    std::lock_guard lock(mMutex);
    return mThreads[path];
  }

 private:
  std::mutex mMutex;
  std::map<std::string, int> mDecodes;
  std::map<std::string, std::thread::id> mThreads;
};

constexpr std::size_t kPictureBytes = 32 * 10;  // rows of 30 bytes padded to 32

TEST(ViewerPictureCacheTest, NeighboursAreDecodedOnTheWorkerOnceAndHandedOver) {
  FakeDecoder decoder;
  DecodeBudget budget(1000);
  ViewerPictureCache cache(decoder.Function(), &budget);
  SharedPicture current = cache.Get("b");
  EXPECT_EQ(decoder.Thread("b"), std::this_thread::get_id());
  cache.Prefetch({"c", "a"});
  cache.WaitIdle();
  EXPECT_TRUE(cache.Ready("c"));
  EXPECT_NE(decoder.Thread("c"), std::this_thread::get_id());
  SharedPicture next = cache.Get("c");
  ASSERT_TRUE(next);
  EXPECT_EQ(next->Width(), 10);
  EXPECT_EQ(decoder.Decodes("c"), 1);
  EXPECT_EQ(budget.Held(), 0);
}

TEST(ViewerPictureCacheTest, AnUnreadableNeighbourFailsAgainWithoutASecondRead) {
  FakeDecoder decoder;
  ViewerPictureCache cache(decoder.Function(), nullptr);
  cache.Prefetch({"bad"});
  cache.WaitIdle();
  EXPECT_THROW(cache.Get("bad"), PictureError);
  EXPECT_EQ(decoder.Decodes("bad"), 1);
  cache.Retain({});
  EXPECT_THROW(cache.Get("bad"), PictureError);
  EXPECT_EQ(decoder.Decodes("bad"), 2);
}

TEST(ViewerPictureCacheTest, SteppingHoldsNoMoreThanThreePictures) {
  FakeDecoder decoder;
  ViewerPictureCache cache(decoder.Function(), nullptr);
  const std::vector<std::string> paths = {"0", "1", "2", "3", "4", "5", "6"};
  const auto n = paths.size();
  for (std::size_t at = 0; at < 2 * n; ++at) {
    const std::string& current = paths[at % n];
    const std::string& next = paths[(at + 1) % n];
    const std::string& previous = paths[(at + n - 1) % n];
    cache.Retain({current, next, previous});
    SharedPicture shown = cache.Get(current);
    cache.Prefetch({next, previous});
    cache.WaitIdle();
    EXPECT_LE(cache.HeldBytes(), 3 * kPictureBytes);
  }
  // Each picture was decoded once per round, never twice for one visit.
  for (const std::string& path : paths) EXPECT_LE(decoder.Decodes(path), 3);
}

TEST(ViewerPictureCacheTest, TheWorkerWaitsForTheBudgetButTheMainThreadDoesNot) {
  FakeDecoder decoder;
  DecodeBudget budget(100);
  ViewerPictureCache cache(decoder.Function(), &budget);
  budget.Acquire(100);  // the thumbnail decodes hold it all
  cache.Prefetch({"next"});
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (budget.Waiting() == 0 && std::chrono::steady_clock::now() < limit) {
    std::this_thread::yield();
  }
  ASSERT_EQ(budget.Waiting(), 1);
  EXPECT_TRUE(cache.Get("now"));
  EXPECT_FALSE(cache.Ready("next"));
  budget.Release(100);
  cache.WaitIdle();
  EXPECT_TRUE(cache.Ready("next"));
}

TEST(ViewerPictureCacheTest, WithoutReadAheadNothingIsKept) {
  FakeDecoder decoder;
  ViewerPictureCache cache(decoder.Function(), nullptr);
  cache.SetReadAhead(false);
  cache.Prefetch({"a"});
  cache.WaitIdle();
  EXPECT_FALSE(cache.Ready("a"));
  cache.Get("a");
  cache.Get("a");
  EXPECT_EQ(decoder.Decodes("a"), 2);
  EXPECT_EQ(cache.HeldBytes(), 0u);
}

}  // namespace
}  // namespace vexilo

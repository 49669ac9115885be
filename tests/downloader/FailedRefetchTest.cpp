#include <gtest/gtest.h>

#include "downloader/FailedRefetch.h"
#include "support/FakeSeams.h"

namespace vexilo::test {
namespace {

CrawlState WithFailures() {
  CrawlState state;
  state.Queue = {{"http://a/1.jpg", "/p/1.jpg"},
                 {"http://a/2.jpg", "/p/2.jpg"},
                 {"http://a/3.jpg", "/p/3.jpg"}};
  state.DispatchedCount = 3;
  state.CutOff = {{"http://a/3.jpg", "/p/3.jpg"}};
  state.Failed = {{"http://a/1.jpg", "/p/1.jpg", "404 Not Found"},
                  {"http://a/2.jpg", "/p/2.jpg", "timed out"}};
  return state;
}

TEST(FailedRefetchTest, YesPutsTheFailedFirstIntoTheirSavePaths) {
  RecordingPrompts prompts;
  CrawlState state = WithFailures();

  EXPECT_TRUE(OfferToRefetchFailed(state, prompts));

  EXPECT_EQ(prompts.Questions, std::vector<std::string>{"Fetch the 2 pictures that failed again?"});
  EXPECT_EQ(state.CutOff, (std::vector<QueuedPicture>{{"http://a/1.jpg", "/p/1.jpg"},
                                                      {"http://a/2.jpg", "/p/2.jpg"},
                                                      {"http://a/3.jpg", "/p/3.jpg"}}));
  EXPECT_TRUE(state.Failed.empty());
  EXPECT_EQ(state.DispatchedCount, 3) << "they count as handed out already";
}

TEST(FailedRefetchTest, NoOrNothingFailedChangesNothing) {
  RecordingPrompts prompts;
  prompts.Answer = false;
  CrawlState state = WithFailures();
  EXPECT_FALSE(OfferToRefetchFailed(state, prompts));
  EXPECT_EQ(state, WithFailures());

  prompts.Answer = true;
  prompts.Questions.clear();
  state.Failed.clear();
  EXPECT_FALSE(OfferToRefetchFailed(state, prompts));
  EXPECT_TRUE(prompts.Questions.empty()) << "no failures, no question";
  EXPECT_EQ(RefetchQuestion(1), "Fetch the 1 picture that failed again?");
}

// A crash between a hand-out and its end leaves the picture's file missing and no record of
// it: Resume fetches it again into its own path, once, and nothing else.
TEST(FailedRefetchTest, HandedOutPicturesWithoutAFileAreFetchedAgainFirst) {
  CrawlState state;
  state.Queue = {{"http://a/1.jpg", "/p/1.jpg"},   // there
                 {"http://a/2.jpg", "/p/2.jpg"},   // missing
                 {"http://a/3.jpg", "/p/3.jpg"},   // failed
                 {"http://a/4.jpg", "/p/4.jpg"},   // cut off already
                 {"http://a/5.jpg", "/p/5.jpg"},   // still downloading
                 {"http://b/2.jpg", "/p/2.jpg"},   // missing, its path named twice
                 {"http://a/7.jpg", "/p/7.jpg"}};  // not handed out
  state.DispatchedCount = 6;
  state.Failed = {{"http://a/3.jpg", "/p/3.jpg", "404 Not Found"}};
  state.CutOff = {{"http://a/4.jpg", "/p/4.jpg"}};

  std::size_t added = RefetchMissing(state, {}, [](const std::string&) { return true; });
  EXPECT_EQ(added, 0u) << "every file there";
  CrawlState removed = state;
  removed.Removed = {{"http://a/5.jpg", "/p/5.jpg", "duplicate"}};
  EXPECT_EQ(RefetchMissing(removed, {"/p/2.jpg"}, [](const std::string&) { return false; }), 1u);
  EXPECT_EQ(removed.CutOff.front().SavePath, "/p/1.jpg") << "a duplicate removed stays removed";

  added = RefetchMissing(state, {"/p/5.jpg"},
                         [](const std::string& path) { return path == "/p/1.jpg"; });

  EXPECT_EQ(added, 1u);
  EXPECT_EQ(state.CutOff, (std::vector<QueuedPicture>{{"http://a/2.jpg", "/p/2.jpg"},
                                                      {"http://a/4.jpg", "/p/4.jpg"}}));
  EXPECT_EQ(state.DispatchedCount, 6);
}

}  // namespace
}  // namespace vexilo::test

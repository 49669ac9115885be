#include <gtest/gtest.h>

#include <set>

#include "downloader/SavedStatuses.h"

namespace vexilo {
namespace {

// "0=done 1=failed: 404" for the rows that get a status.
std::string Shown(const std::vector<RowStatus>& rows) {
  std::string text;
  for (const RowStatus& row : rows) {
    if (!text.empty()) text += ' ';
    text += std::to_string(row.Row) + '=' + row.Status;
  }
  return text;
}

// Queue entries a, b, c, and a again (handed out once more into the same save path).
TEST(SavedStatusesTest, EachRowGetsWhatBecameOfItsPicture) {
  struct Case {
    const char* Name;
    std::int32_t Dispatched;
    std::set<std::string> FilesThere;
    std::vector<std::string> Failed, CutOff, Running;
    bool Waiting;
    std::size_t RowsShown;
    const char* Expected;
    std::vector<std::string> Removed = {};  // by a check, "duplicate"
  };
  // clang-format off
  const Case cases[] = {
      // name, handed out, files there, failed, cut off, running, waiting, rows shown, expected
      {"handed out is done only with its file", 2, {"a"}, {}, {}, {}, false, 4, "0=done"},
      {"waiting marks those still to hand out", 2, {"a", "b"}, {}, {}, {}, true, 4,
       "0=done 1=done 2=waiting 3=waiting"},
      {"a file not handed out is no proof", 0, {"a", "b", "c"}, {}, {}, {}, false, 4, ""},
      {"failed says why, over its file", 2, {"a", "b"}, {"b"}, {}, {}, false, 4,
       "0=done 1=failed: 404"},
      {"cut off is blanked without waiting", 2, {"a", "b"}, {}, {"b"}, {}, false, 4, "0=done 1="},
      {"cut off waits with waiting", 2, {"a", "b"}, {}, {"b"}, {}, true, 4,
       "0=done 1=waiting 2=waiting 3=waiting"},
      {"running is downloading, not done", 2, {"a", "b"}, {}, {}, {"b"}, true, 4,
       "0=done 1=downloading 2=waiting 3=waiting"},
      {"a save path names its last row", 4, {"a", "b", "c"}, {"a"}, {}, {}, false, 4,
       "0=done 1=done 2=done 3=failed: 404"},
      {"only the rows shown", 4, {"a", "b", "c"}, {"c"}, {}, {"c"}, true, 2, "0=done 1=done"},
      {"a count past the queue is all of it", 99, {"c"}, {}, {}, {}, true, 4, "2=done"},
      {"a negative count hands out none", -1, {"a"}, {}, {}, {}, true, 4,
       "0=waiting 1=waiting 2=waiting 3=waiting"},
      {"more rows than the queue", 1, {"a"}, {}, {}, {}, true, 9,
       "0=done 1=waiting 2=waiting 3=waiting"},
      {"removed by a check says why", 2, {"a"}, {}, {}, {}, false, 4, "0=done 1=duplicate", {"b"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CrawlState saved;
    saved.Queue = {
        {"http://x/a", "a"}, {"http://x/b", "b"}, {"http://x/c", "c"}, {"http://x/a", "a"}};
    saved.DispatchedCount = c.Dispatched;
    for (const std::string& path : c.Failed) saved.Failed.push_back({"", path, "404"});
    for (const std::string& path : c.CutOff) saved.CutOff.push_back({"", path});
    for (const std::string& path : c.Removed) saved.Removed.push_back({"", path, "duplicate"});
    const auto fileThere = [&](const std::string& path) { return c.FilesThere.contains(path); };
    EXPECT_EQ(Shown(SavedStatuses(saved, c.RowsShown, c.Running, c.Waiting, fileThere)),
              c.Expected);
  }
}

}  // namespace
}  // namespace vexilo

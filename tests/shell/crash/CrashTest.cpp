// The run killed with SIGKILL at random moments across its crawl and its downloads, started
// again and resumed each time: at the end every picture of the site is in the task's folder
// exactly once and byte for byte as served, and the state files agree with each other.
// VEXILO_CRASH_KILLS sets how many kills (a handful by default; hundreds locally).

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "core/LineFile.h"
#include "core/TaskRecord.h"
#include "crash/CrashSite.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

extern char** environ;

namespace vexilo::test {
namespace {

constexpr int kDefaultKills = 5;
// Served this many bytes at a time, a few milliseconds apart: each picture takes a while.
constexpr std::size_t kChunk = 1024;
constexpr auto kChunkPause = std::chrono::milliseconds(4);
constexpr int kLatestKillMs = 3000;

int KillCount() {
  const char* text = std::getenv("VEXILO_CRASH_KILLS");
  return text != nullptr ? std::max(0, std::atoi(text)) : kDefaultKills;
}

// Real pictures of the corpora, as many as there are, for the site's pictures in turn.
std::vector<std::string> CorpusPictures() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(VEXILO_TESTDATA_DIR "/imagetestsuite/jpg")) {
    if (entry.is_regular_file() && entry.file_size() > 8 * 1024) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> pictures;
  for (const auto& file : files) pictures.push_back(ReadFileBytes(file));
  return pictures;
}

class Child {
 public:
  Child(const std::filesystem::path& program, const std::string& site) {
    const std::string programText = program.string();
    char* argv[] = {const_cast<char*>(VEXILO_CRASH_CHILD), const_cast<char*>(programText.c_str()),
                    const_cast<char*>(site.c_str()), nullptr};
    if (posix_spawn(&mPid, VEXILO_CRASH_CHILD, nullptr, nullptr, argv, environ) != 0) mPid = -1;
  }
  bool Started() const { return mPid > 0; }
  // The exit status when it ended before the kill (-1: by a signal), else kKilled.
  static constexpr int kKilled = -1000;
  int KillAfter(std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(mPid, &status, WNOHANG) == mPid) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(mPid, SIGKILL);
    Wait();
    return kKilled;
  }
  int Wait() {
    int status = 0;
    if (waitpid(mPid, &status, 0) != mPid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t mPid = -1;
};

void WriteTaskList(const std::filesystem::path& program, const std::string& start,
                   const std::filesystem::path& pictures) {
  TaskRecord task;
  task.Name = "site";
  task.StartUrl = start;
  task.TaskFolder = pictures.string();
  task.LinkLevels = 2;
  task.LinkScope = 1;
  task.IdleSeconds = 10;
  task.TaskType = "0";
  task.GrabFromLinks = "0";
  task.FolderName = "site";
  const auto lines = ToLines(task);
  WriteLines(program / "GTask.lis", std::vector<std::string>(lines.begin(), lines.end()));
}

void ExpectEveryPictureOnceAndWhole(const std::filesystem::path& program,
                                    const std::filesystem::path& pictures,
                                    const std::map<std::string, const std::string*>& served) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(pictures)) {
    const std::string name = entry.path().filename().string();
    names.insert(name);
    const auto found = served.find(name);
    if (found == served.end()) {
      ADD_FAILURE() << "not a picture of the site: " << name;
    } else {
      EXPECT_TRUE(ReadFileBytes(entry.path()) == *found->second) << name << " is not whole";
    }
  }
  EXPECT_EQ(names.size(), served.size());

  const std::filesystem::path state = program / "task" / "site";
  const std::vector<std::string> addresses = ReadLines(state / "pictureurl.dat");
  const std::vector<std::string> savePaths = ReadLines(state / "savedname.dat");
  EXPECT_EQ(addresses.size(), served.size());
  EXPECT_EQ(std::set<std::string>(addresses.begin(), addresses.end()).size(), addresses.size());
  EXPECT_EQ(savePaths.size(), addresses.size());
  for (const std::string& path : savePaths) EXPECT_TRUE(std::filesystem::exists(path)) << path;
  const std::vector<std::string> counters = ReadLines(state / "counti.dat");
  ASSERT_EQ(counters.size(), 3u);
  EXPECT_EQ(counters[2], std::to_string(served.size()));
}

TEST(CrashTest, KilledAtRandomMomentsAndResumedEveryPictureIsThereOnceAndWhole) {
  const std::vector<std::string> corpus = CorpusPictures();
  ASSERT_FALSE(corpus.empty());
  LoopbackServer server;
  std::map<std::string, const std::string*> served;  // by file name
  int next = 0;
  for (const std::string& path : CrashSitePictures()) {
    const std::string* bytes = &corpus[static_cast<std::size_t>(next++) % corpus.size()];
    served[path.substr(path.rfind('/') + 1)] = bytes;
    server.Http().Get(path, [bytes](const httplib::Request&, httplib::Response& response) {
      response.set_content_provider(
          bytes->size(), "image/jpeg",
          [bytes](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            std::this_thread::sleep_for(kChunkPause);
            return sink.write(bytes->data() + offset, std::min(length, kChunk));
          });
    });
  }
  const unsigned seed = std::random_device{}();
  RecordProperty("seed", std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> moment(0, kLatestKillMs);
  // A task killed so often that it ends is checked, and the kills go on with a fresh one.
  int killed = 0;
  int rounds = 0;
  while (killed < KillCount() || rounds == 0) {
    ++rounds;
    SCOPED_TRACE("round " + std::to_string(rounds) + ", seed " + std::to_string(seed));
    TempDir program;
    const std::filesystem::path pictures = program / "pictures" / "site";
    WriteTaskList(program.Path(), server.Url("/"), pictures);
    while (killed < KillCount()) {
      Child child(program.Path(), server.Url(""));
      ASSERT_TRUE(child.Started());
      const int ended = child.KillAfter(std::chrono::milliseconds(moment(random)));
      if (ended != Child::kKilled) {
        ASSERT_EQ(ended, 0) << "a run ended on its own before its task was complete";
        break;
      }
      ++killed;
    }
    Child last(program.Path(), server.Url(""));
    ASSERT_TRUE(last.Started());
    ASSERT_EQ(last.Wait(), 0) << "after " << killed << " kills";
    ExpectEveryPictureOnceAndWhole(program.Path(), pictures, served);
  }
  RecordProperty("kills", std::to_string(killed));
  RecordProperty("rounds", std::to_string(rounds));
}

}  // namespace
}  // namespace vexilo::test

// "vexilo --check" as cron or a systemd timer runs it: the real program, without a window,
// against a loopback site that grows between two checks.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "core/InstanceLock.h"
#include "core/TaskStateFiles.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "tasks/CheckSchedule.h"
#include "tasks/TaskForm.h"
#include "tasks/TaskList.h"

namespace vexilo::test {
namespace {

namespace fs = std::filesystem;

struct Ran {
  int Status = -1;
  std::string Out;
  std::string Err;
};

class CheckCommandTest : public ::testing::Test {
 protected:
  CheckCommandTest() {
    // A program beside its own files, as a copy run from a folder of its own is.
    fs::create_directories(mProgram);
    std::error_code error;
    fs::create_hard_link(VEXILO_BINARY, mProgram / "vexilo", error);
    if (error) fs::copy_file(VEXILO_BINARY, mProgram / "vexilo");
    const char* pictures[] = {"testorig.jpg", "testimgint.jpg", "monkey12.jpg"};
    for (int i = 0; i < 3; ++i) {
      const std::string path = "/p" + std::to_string(i) + ".jpg";
      const std::string bytes =
          ReadFileBytes(TestData(std::string("libjpeg-turbo-testimages/") + pictures[i]));
      mServer.Http().Get(path, [bytes](const httplib::Request&, httplib::Response& response) {
        response.set_content(bytes, "image/jpeg");
      });
    }
    mServer.Http().Get("/", [this](const httplib::Request&, httplib::Response& response) {
      // A link, or the crawl waits for a redirection first.
      std::string page = "<html><body><a href=\"/about.html\">about</a>";
      for (int i = 0; i < mShown.load(); ++i)
        page += "<img src=\"/p" + std::to_string(i) + ".jpg\">";
      response.set_content(page + "</body></html>", "text/html");
    });

    TaskForm form;
    form.Name = "Cats";
    form.StartUrl = mServer.Url("/");
    form.LinkLevels = "1";
    TaskRecord task = NewTaskFromForm(form, (mDir / "down").string(), mProgram);
    TaskList list(mProgram);
    list.LoadTaskList();
    list.AppendTaskRecord(task);
    list.SaveTaskList();
    mStateFolder = TaskStateFiles(mProgram).StateFolder(task.FolderName);
    mPictures = task.TaskFolder;
  }

  Ran Check(const std::string& arguments) {
    const fs::path home = mDir / "home";
    std::string command = "cd " + mDir.Path().string() + " && env HOME=" + home.string() +
                          " XDG_CONFIG_HOME=" + (home / "config").string() +
                          " XDG_DATA_HOME=" + (home / "data").string() +
                          " XDG_CACHE_HOME=" + (home / "cache").string();
    if (geteuid() == 0) command += " QTWEBENGINE_DISABLE_SANDBOX=1";
    command += " " + (mProgram / "vexilo").string() + " --check " + arguments + " >out 2>err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(mDir / "out"),
            ReadFileBytes(mDir / "err")};
  }

  TempDir mDir;
  fs::path mProgram = mDir / "program";
  LoopbackServer mServer{LoopbackServer::Connections::OnePerRequest};
  std::atomic<int> mShown{2};
  fs::path mStateFolder;
  fs::path mPictures;
};

TEST_F(CheckCommandTest, ChecksTheDueTasksOrTheNamedOnesAndFetchOnlyWhatIsNew) {
  // Nothing is scheduled: nothing is due.
  Ran ran = Check("");
  EXPECT_EQ(ran.Status, 0) << ran.Err;
  EXPECT_EQ(ran.Out, "");

  WriteCheckSchedule(mStateFolder, {24, std::nullopt});
  ran = Check("");
  EXPECT_EQ(ran.Status, 0) << ran.Err;
  EXPECT_EQ(ran.Out, "Cats: 2 new pictures, 0 failed\n");
  EXPECT_TRUE(fs::exists(mPictures / "p1.jpg"));
  EXPECT_TRUE(ReadCheckSchedule(mStateFolder).LastCheck);

  // Not due again, but named; the site has grown by one picture.
  mShown = 3;
  ran = Check("Cats Nobody");
  EXPECT_EQ(ran.Status, 1) << ran.Err;
  EXPECT_EQ(ran.Out, "Nobody: check failed: no such task\nCats: 1 new picture, 0 failed\n");
  EXPECT_EQ(mServer.Hits("/p0.jpg"), 1);
  EXPECT_EQ(mServer.Hits("/p2.jpg"), 1);
  EXPECT_TRUE(fs::exists(mPictures / "p2.jpg"));

  // An open window checks its tasks itself.
  const InstanceLock window(mProgram);
  ASSERT_TRUE(window.Held());
  ran = Check("Cats");
  EXPECT_EQ(ran.Status, 1);
  EXPECT_EQ(ran.Out, "");
  EXPECT_NE(ran.Err.find("Vexilo is open"), std::string::npos) << ran.Err;
}

}  // namespace
}  // namespace vexilo::test

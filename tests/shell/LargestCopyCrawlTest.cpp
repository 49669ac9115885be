// A photo album as static gallery generators make it, crawled through the real browser: each
// photo as a 150-pixel thumbnail on the album page, at 800 and 1600 pixels on a page of its
// own, which links the original from the 800-pixel one. The crawl meets the small copies first.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/LineFile.h"
#include "pictures/PictureGrid.h"
#include "pictures/PictureListView.h"
#include "shell/MainActions.h"
#include "shell/Run.h"
#include "shell/main.h"
#include "support/EventWait.h"
#include "support/FakeSeams.h"
#include "support/LoopbackServer.h"
#include "support/MainFormParts.h"
#include "support/RealPhotos.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

constexpr int kPhotos = 12;

// The album's files, made once for every case: the originals p<i>.jpg and p<i>-<side>.jpg.
class Album {
 public:
  Album() {
    const std::vector<fs::path> photos = test::WallpaperPhotos(kPhotos);
    if (photos.size() < kPhotos) return;
    for (int i = 0; i < kPhotos; ++i) {
      const fs::path& photo = photos[static_cast<std::size_t>(i)];
      const std::string name = "p" + std::to_string(i);
      fs::copy_file(photo, mDir / (name + ".jpg"));
      for (const int side : {150, 800, 1600}) {
        const std::string size = std::to_string(side);
        if (!test::ConvertPicture(photo, "-resize " + size + "x" + size + " -quality 85",
                                  mDir / (name + "-" + size + ".jpg"))) {
          return;
        }
      }
    }
    mMade = true;
  }
  bool Made() const { return mMade; }
  std::string Bytes(const std::string& file) const { return test::ReadFileBytes(mDir / file); }

 private:
  test::TempDir mDir;
  bool mMade = false;
};

const Album& TheAlbum() {
  static const Album album;
  return album;
}

class LargestCopyCrawl : public testing::Test {
 protected:
  void SetUp() override {
    if (!TheAlbum().Made()) {
      GTEST_SKIP() << "needs the photographs of plasma-workspace-wallpapers and ImageMagick";
    }
    std::string album = "<html><body><h1>Album</h1>";
    for (int i = 0; i < kPhotos; ++i) {
      const std::string name = "p" + std::to_string(i);
      album += "<a href='/" + name + ".html'><img src='/thumbs/" + name + "-150.jpg'></a>";
      mSite.AddPage("/" + name + ".html", "<html><body><a href='/'>Album</a><img src='/large/" +
                                              name + "-1600.jpg'><a href='/orig/" + name +
                                              ".jpg'><img src='/medium/" + name +
                                              "-800.jpg'></a></body></html>");
      Serve("/thumbs/" + name + "-150.jpg", name + "-150.jpg");
      Serve("/medium/" + name + "-800.jpg", name + "-800.jpg");
      Serve("/large/" + name + "-1600.jpg", name + "-1600.jpg");
      Serve("/orig/" + name + ".jpg", name + ".jpg");
    }
    mSite.AddPage("/", album + "</body></html>");
    mStore.Values["DownFolder"] = (mDir / "down").string();
    mForm = std::make_unique<TMainForm>(AppFolders::Beside(mDir.Path()),
                                        MainFormServices{mStore, mPrompts, mShell});
    mForm->InitialiseRun();
    mForm->CreateOtherWindows();
    mForm->show();
  }
  void Serve(const std::string& path, const std::string& file) {
    mSite.Http().Get(path, [bytes = TheAlbum().Bytes(file)](const httplib::Request&,
                                                            httplib::Response& response) {
      response.set_content(bytes, "image/jpeg");
    });
  }
  // Every option for today's web, then a Quick Start of the album until it is complete.
  void Crawl(bool keepLargest) {
    AdvancedSettings& advanced = mForm->Run().Settings().Advanced;
    advanced.ListModernPictures = advanced.BrowserPictures = advanced.KeepOneCopy = true;
    advanced.KeepOnlyRealPictures = advanced.FollowRedirects = true;
    advanced.KeepLargestCopy = keepLargest;
    test::Part<QComboBox>(*mForm, "addressBox")
        ->setCurrentText(QString::fromStdString(mSite.Url("/")));
    test::Part<TMainActions>(*mForm)->QuickStart->trigger();
    ASSERT_TRUE(test::ProcessEventsUntil(
        [&] { return test::PanelText(*mForm, 2) == "Vexilo task is completed!"; },
        std::chrono::minutes(2)));
  }
  std::vector<std::string> SavedFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(mForm->Run().CurrentTask().TaskFolder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Statuses(const std::string& start) const {
    auto* list = test::Part<TPictureListView>(*mForm);
    std::vector<std::string> found;
    for (int row = 0; row < list->rowCount(); ++row) {
      const QTableWidgetItem* item = list->item(row, 4);
      if (item != nullptr && item->text().startsWith(QString::fromStdString(start))) {
        found.push_back(item->text().toStdString());
      }
    }
    return found;
  }

  test::TempDir mDir;
  test::LoopbackServer mSite{test::LoopbackServer::Connections::OnePerRequest};
  test::MemorySettingsStore mStore;
  test::RecordingPrompts mPrompts;
  test::RecordingShell mShell;
  std::unique_ptr<TMainForm> mForm;
};

TEST_F(LargestCopyCrawl, OnlyTheOriginalOfEachPhotoStays) {
  Crawl(true);
  std::vector<std::string> originals;
  for (int i = 0; i < kPhotos; ++i) originals.push_back("p" + std::to_string(i) + ".jpg");
  std::sort(originals.begin(), originals.end());
  EXPECT_EQ(SavedFiles(), originals);
  const fs::path folder = mForm->Run().CurrentTask().TaskFolder;
  for (const std::string& name : originals) {
    EXPECT_EQ(test::ReadFileBytes(folder / name), TheAlbum().Bytes(name)) << name;
  }
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), kPhotos);
  // Each photo met three times: two copies went, as smaller ones or replaced ones.
  EXPECT_EQ(Statuses("smaller copy of ").size() + Statuses("replaced by ").size(),
            static_cast<std::size_t>(2 * kPhotos));
  mForm->close();
}

TEST_F(LargestCopyCrawl, WithoutTheOptionEveryCopyStays) {
  Crawl(false);
  EXPECT_EQ(SavedFiles().size(), static_cast<std::size_t>(3 * kPhotos));
  EXPECT_EQ(test::Part<TPictureGrid>(*mForm)->count(), 3 * kPhotos);
  mForm->close();
}

}  // namespace
}  // namespace vexilo

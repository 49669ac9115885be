#include <gtest/gtest.h>

#include <map>

#include "gallery/GalleryGenerator.h"
#include "pictures/BmpReader.h"
#include "support/FakeSeams.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

class GalleryGeneratorTest : public testing::Test {
 protected:
  GalleryGeneratorTest() {
    test::WriteFileBytes(mProgram / "templet.htm",
                         "<p><#IMAGE ImageID=0>\n<#image imageid=1></p>\r\n<#LinkPage>");
    mShell.PickedFolder = (mProgram / "out").string();
  }
  // count pictures p0.jpg ... in a folder of their own, listed.
  void MakePictures(int count) {
    fs::create_directories(mProgram / "pics");
    for (int i = 0; i < count; ++i) {
      const fs::path file = mProgram / "pics" / ("p" + std::to_string(i) + ".jpg");
      test::WriteFileBytes(file, "picture " + std::to_string(i));
      mPictures.Add(file.string());
    }
  }
  const Bitmap24& Thumbnail(int i) {
    auto [it, added] = mThumbnails.try_emplace(i, 80, 80);
    if (added) it->second.Row(0)[0] = static_cast<std::uint8_t>(i);
    return it->second;
  }
  GalleryParts Parts() {
    return {mProgram / "thumbnails",
            mNewFolderName,
            mProgram / kGalleryTemplateFile,
            mPictures,
            [this](int i) -> const Bitmap24& { return Thumbnail(i); },
            mShell,
            mPrompts};
  }
  fs::path Out(const std::string& name) const { return mProgram / "out" / name; }

  test::TempDir mProgram;
  std::string mNewFolderName;
  TImageFileList mPictures;
  std::map<int, Bitmap24> mThumbnails;
  test::RecordingShell mShell;
  test::RecordingPrompts mPrompts;
};

TEST_F(GalleryGeneratorTest, NoPicturesGiveOneEmptyPageThatIsOpened) {
  CreateGallery(Parts());
  EXPECT_EQ(mShell.PickTitles, std::vector<std::string>{kPickGalleryFolderTitle});
  EXPECT_EQ(mShell.PickStarts, std::vector<std::string>{(mProgram / "thumbnails").string()});
  EXPECT_TRUE(fs::is_directory(mProgram / "thumbnails"));
  EXPECT_FALSE(fs::exists(Out("small")));
  EXPECT_FALSE(fs::exists(Out("large")));
  EXPECT_EQ(test::ReadFileBytes(Out("page0.html")),
            "<p>\r\n</p>\r\n\r\n<p align=\"center\"><span >[Previous]</span>\r\n<b> 0</b>\r\n"
            "<span>[Next]</span></p>\r\n");
  EXPECT_EQ(mShell.Opened, std::vector<std::string>{Out("page0.html").string()});
}

TEST_F(GalleryGeneratorTest, PicturesAreNumberedAcrossPagesAndCopiesAreNeverReplaced) {
  MakePictures(73);
  mPictures.SetCurrentIndex(5);
  fs::create_directories(Out("large"));
  test::WriteFileBytes(Out("large/p1.jpg"), "kept");
  CreateGallery(Parts());

  for (const char* page : {"page0.html", "page1.html", "page2.html"}) {
    EXPECT_TRUE(fs::exists(Out(page))) << page;
  }
  EXPECT_FALSE(fs::exists(Out("page3.html")));
  const std::string page1 = test::ReadFileBytes(Out("page1.html"));
  EXPECT_NE(page1.find("<a href=\"large/p36.jpg\">\r\n<IMG border=\"0\" alt=\"p36.jpg\" "
                       "src=\"small/36.bmp\" width=\"80\" height=\"80\"></a>\r\n"),
            std::string::npos);
  EXPECT_NE(page1.find("src=\"small/37.bmp\""), std::string::npos);
  EXPECT_EQ(test::ReadFileBytes(Out("page2.html")).find("small/73.bmp"), std::string::npos);
  EXPECT_EQ(test::ReadFileBytes(Out("large/p72.jpg")), "picture 72");
  EXPECT_EQ(test::ReadFileBytes(Out("large/p1.jpg")), "kept");
  EXPECT_EQ(DecodeBmp(Out("small/40.bmp")).Row(0)[0], 40);
  EXPECT_EQ(mPictures.CurrentIndex(), 5);
  EXPECT_TRUE(mPrompts.Errors.empty());
}

TEST_F(GalleryGeneratorTest, ANewFolderIsOfferedBesideEarlierGalleriesAndDroppedWhenUnused) {
  mNewFolderName = "Ann's \"cats\" #1";
  const fs::path galleries = mProgram / "thumbnails";
  fs::create_directories(galleries / mNewFolderName);
  test::WriteFileBytes(galleries / (mNewFolderName + " 2"), "a file of that name");
  mShell.PickedFolder.reset();
  CreateGallery(Parts());
  ASSERT_EQ(mShell.PickStarts.size(), 1u);
  EXPECT_EQ(mShell.PickStarts[0], (galleries / (mNewFolderName + " 3")).string());
  EXPECT_FALSE(fs::exists(galleries / (mNewFolderName + " 3"))) << "cancelled: not left behind";

  MakePictures(1);
  mShell.PickedFolder = (galleries / (mNewFolderName + " 3")).string() + "/";
  CreateGallery(Parts());
  EXPECT_TRUE(fs::exists(galleries / (mNewFolderName + " 3") / "page0.html"));
  EXPECT_TRUE(fs::is_directory(galleries / mNewFolderName)) << "an earlier gallery is kept";

  mShell.PickedFolder = Out("").string();
  CreateGallery(Parts());
  EXPECT_EQ(mShell.PickStarts.back(), (galleries / (mNewFolderName + " 4")).string());
  EXPECT_FALSE(fs::exists(galleries / (mNewFolderName + " 4"))) << "another folder was picked";
  EXPECT_TRUE(fs::exists(Out("page0.html")));
}

TEST_F(GalleryGeneratorTest, WithoutATemplateOrAFolderNothingIsMade) {
  MakePictures(2);
  fs::remove(mProgram / "templet.htm");
  CreateGallery(Parts());
  EXPECT_EQ(mPrompts.ErrorsWithYes, std::vector<std::string>{kMissingTemplateText});
  EXPECT_TRUE(mPrompts.Errors.empty());
  EXPECT_TRUE(mShell.PickTitles.empty());
  EXPECT_FALSE(fs::exists(mProgram / "thumbnails"));

  test::WriteFileBytes(mProgram / "templet.htm", "<#LinkPage>");
  mShell.PickedFolder.reset();
  CreateGallery(Parts());
  EXPECT_FALSE(fs::exists(mProgram / "out"));
  EXPECT_TRUE(mShell.Opened.empty());
}

TEST_F(GalleryGeneratorTest, AnImageTagWithoutANumberStopsTheRunAndOpensNothing) {
  MakePictures(40);
  mPictures.SetCurrentIndex(3);
  test::WriteFileBytes(mProgram / "templet.htm", "<#IMAGE ImageID=x>");
  CreateGallery(Parts());
  ASSERT_EQ(mPrompts.Errors.size(), 1u);
  EXPECT_EQ(mPrompts.Errors[0], "'x' is not a valid integer value");
  EXPECT_FALSE(fs::exists(Out("page0.html")));
  EXPECT_TRUE(fs::exists(Out("small/39.bmp")));
  EXPECT_TRUE(mShell.Opened.empty());
  EXPECT_EQ(mPictures.CurrentIndex(), 39) << "left at the last picture copied";
}

}  // namespace
}  // namespace vexilo

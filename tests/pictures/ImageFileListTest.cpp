#include <gtest/gtest.h>

#include <filesystem>

#include "pictures/ImageFileList.h"
#include "pictures/PictureKind.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

TImageFileList ListOf(std::initializer_list<const char*> paths) {
  TImageFileList list;
  for (const char* path : paths) list.Add(path);
  return list;
}

TEST(ImageFileListTest, ScanFolderListsPicturesByNameIgnoringCase) {
  test::TempDir dir;
  for (const char* name :
       {"b.JPG", "a.gif", "c.png", "d.jpeg", "notes.txt", "README", "B.bmp", "A.gif"}) {
    test::WriteFileBytes(dir / name, "x");
  }
  std::filesystem::create_directory(dir / "e.bmp");
  std::filesystem::create_directory(dir / "my.pics");

  TImageFileList list;
  list.Add("stale");
  list.SetCurrentIndex(0);
  list.ScanFolder(dir.Path().string());

  std::string folder = dir.Path().string() + "/";
  EXPECT_EQ(list.Paths(),
            (std::vector<std::string>{folder + "A.gif", folder + "a.gif", folder + "B.bmp",
                                      folder + "b.JPG", folder + "d.jpeg", folder + "e.bmp"}));
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.Next(), folder + "A.gif");
}

TEST(ImageFileListTest, ScanOfMissingFolderGivesEmptyList) {
  test::TempDir dir;
  TImageFileList list = ListOf({"x.jpg"});
  list.ScanFolder((dir / "missing").string());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST(ImageFileListTest, NextAndPreviousWrapAround) {
  TImageFileList list = ListOf({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"});
  list.SetCurrentIndex(2);
  EXPECT_EQ(list.Next(), "/p/0.jpg");
  EXPECT_EQ(list.Previous(), "/p/2.jpg");
  EXPECT_EQ(list.Previous(), "/p/1.jpg");
  EXPECT_EQ(list.CurrentIndex(), 1);

  TImageFileList one = ListOf({"/p/only.gif"});
  EXPECT_EQ(one.Next(), "/p/only.gif");
  EXPECT_EQ(one.Next(), "/p/only.gif");
  EXPECT_EQ(one.Previous(), "/p/only.gif");
  EXPECT_EQ(one.CurrentIndex(), 0);
}

TEST(ImageFileListTest, ReadsOutsideTheListRaiseTheIndexError) {
  TImageFileList empty;
  try {
    empty.Next();
    FAIL() << "no error";
  } catch (const ListIndexError& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (0)");
  }
  EXPECT_EQ(empty.CurrentIndex(), 0);

  TImageFileList list = ListOf({"/p/a.jpg", "/p/b.jpg"});
  EXPECT_THROW(list.Previous(), ListIndexError);
  EXPECT_EQ(list.CurrentIndex(), -2);

  list.SetCurrentIndex(1);
  list.ShowAt(0, 0, PackedBitmap(Bitmap24(2, 2)));
  list.RemoveWithoutThumbnail();
  EXPECT_EQ(list.Paths(), std::vector<std::string>{"/p/a.jpg"});
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_THROW(list.CurrentFileName(), ListIndexError);
  list.Clear();
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST(ImageFileListTest, CurrentFileNameIsThePartAfterTheLastSlash) {
  TImageFileList list = ListOf({"/pics/a.b.jpg", "plain.gif"});
  list.SetCurrentIndex(0);
  EXPECT_EQ(list.CurrentFileName(), "a.b.jpg");
  list.SetCurrentIndex(1);
  EXPECT_EQ(list.CurrentFileName(), "plain.gif");
}

TEST(PictureKindTest, KindComesFromTheExtensionOfTheNameOnly) {
  struct Row {
    const char* path;
    bool jpeg;
    bool gif;
  };
  for (Row row : {Row{"a.jpg", true, false}, Row{"/x/A.JPEG", true, false},
                  Row{"b.Gif", false, true}, Row{"/my.pics/photo", false, false},
                  Row{"/my.jpg/photo", false, false}, Row{"README", false, false},
                  Row{"photo.jpg.bmp", false, false}, Row{"x.jpe", false, false}}) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(IsJpegFile(row.path), row.jpeg);
    EXPECT_EQ(IsGifFile(row.path), row.gif);
  }
}

}  // namespace
}  // namespace vexilo

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "pictures/BmpWriter.h"
#include "pictures/ImageFileList.h"
#include "pictures/PictureKind.h"
#include "pictures/PictureSorting.h"
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

// Bytes and pixels disagree (a JPEG packs more pixels into fewer bytes), the endings are not
// the names' order, and one file's key cannot be read.
TEST(ImageFileListTest, SortOrdersPutTheEntriesInOrderAndTheCurrentOneFollows) {
  test::TempDir dir;
  const auto bitmap = [&](const char* name, int width, int height) {
    WriteBmp(Bitmap24(width, height), dir / name);
  };
  bitmap("A.gif", 60, 60);  // 3600 pixels in 10854 bytes, whatever the name says
  bitmap("b.bmp", 1, 500);  // 500 pixels in 2054 bytes
  std::filesystem::copy_file(test::TestData("libjpeg-turbo-testimages/testorig.jpg"),
                             dir / "c.jpeg");  // 227 x 149 in 5770 bytes
  test::WriteFileBytes(dir / "d.bmp", "not a picture");
  const auto start = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  int minutes = 30;
  for (const char* name : {"c.jpeg", "b.bmp", "A.gif", "d.bmp"}) {
    std::filesystem::last_write_time(dir / name, start + std::chrono::minutes(minutes));
    minutes -= 10;
  }
  struct Row {
    GridOrder Order;
    std::vector<std::string> Names;
  };
  const Row rows[] = {
      {{PictureOrder::Name, false}, {"A.gif", "b.bmp", "c.jpeg", "d.bmp"}},
      {{PictureOrder::Name, true}, {"d.bmp", "c.jpeg", "b.bmp", "A.gif"}},
      {{PictureOrder::Modified, false}, {"d.bmp", "A.gif", "b.bmp", "c.jpeg"}},
      {{PictureOrder::Size, false}, {"d.bmp", "b.bmp", "c.jpeg", "A.gif"}},
      {{PictureOrder::Size, true}, {"A.gif", "c.jpeg", "b.bmp", "d.bmp"}},
      {{PictureOrder::Dimensions, false}, {"d.bmp", "b.bmp", "A.gif", "c.jpeg"}},
      {{PictureOrder::Kind, false}, {"b.bmp", "d.bmp", "A.gif", "c.jpeg"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(StoredOrderName(row.Order.By)) +
                 (row.Order.Reversed ? " reversed" : ""));
    TImageFileList list;
    list.ScanFolder(dir.Path().string());
    list.SetCurrentIndex(list.IndexOf((dir / "b.bmp").string()));
    SortPictures(list, row.Order);
    std::vector<std::string> names;
    for (const std::string& path : list.Paths()) {
      names.push_back(std::filesystem::path(path).filename().string());
    }
    EXPECT_EQ(names, row.Names);
    EXPECT_EQ(list.CurrentFileName(), "b.bmp");
    EXPECT_EQ(OrderFromStoredName(StoredOrderName(row.Order.By)), row.Order.By);
  }
  EXPECT_EQ(HeaderPixelCount((dir / "c.jpeg").string()), 227 * 149);
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

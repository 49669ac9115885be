#include <gtest/gtest.h>

#include <filesystem>

#include "core/CopyNewFile.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

TEST(CopyNewFile, CopiesWholeButNeverReplacesOrFollowsALink) {
  test::TempDir dir;
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  test::WriteFileBytes(dir / "a.jpg", big);
  ASSERT_TRUE(CopyNewFile(dir / "a.jpg", dir / "copy.jpg"));
  EXPECT_EQ(test::ReadFileBytes(dir / "copy.jpg"), big);

  test::WriteFileBytes(dir / "kept.jpg", "kept");
  EXPECT_FALSE(CopyNewFile(dir / "a.jpg", dir / "kept.jpg"));
  EXPECT_EQ(test::ReadFileBytes(dir / "kept.jpg"), "kept");

  test::WriteFileBytes(dir / "outside", "outside");
  fs::create_symlink(dir / "outside", dir / "link.jpg");
  EXPECT_FALSE(CopyNewFile(dir / "a.jpg", dir / "link.jpg"));
  EXPECT_EQ(test::ReadFileBytes(dir / "outside"), "outside");
}

TEST(CopyNewFile, WhatCannotBeCopiedLeavesNothing) {
  test::TempDir dir;
  EXPECT_FALSE(CopyNewFile(dir / "missing.jpg", dir / "copy.jpg"));
  fs::create_directory(dir / "folder.jpg");
  EXPECT_FALSE(CopyNewFile(dir / "folder.jpg", dir / "copy.jpg"));
  EXPECT_FALSE(fs::exists(dir / "copy.jpg"));
  test::WriteFileBytes(dir / "a.jpg", "x");
  EXPECT_FALSE(CopyNewFile(dir / "a.jpg", dir / "no/such/folder/a.jpg"));
}

}  // namespace
}  // namespace vexilo

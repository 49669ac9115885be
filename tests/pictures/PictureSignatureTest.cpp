#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pictures/CopyFinder.h"
#include "pictures/PathTable.h"
#include "pictures/PixelComparison.h"
#include "pictures/SignatureIndex.h"
#include "pictures/ThumbnailMaker.h"
#include "support/RealPhotos.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

// Real photographs from the wallpaper packages of scripts/install-deps.
const char* const kPhotos[] = {
    "/usr/share/wallpapers/Autumn/contents/images/2560x1600.jpg",
    "/usr/share/wallpapers/BytheWater/contents/images/2560x1600.jpg",
    "/usr/share/wallpapers/Path/contents/images/2560x1600.jpg",
    "/usr/share/wallpapers/FallenLeaf/contents/images/2560x1600.jpg",
};
// Two wallpapers of one series, as alike as two shots of a burst.
const char* const kSeries[] = {"/usr/share/backgrounds/gnome/wood-d.webp",
                               "/usr/share/backgrounds/gnome/wood-l.webp"};

bool PhotosInstalled() {
  for (const char* photo : kPhotos) {
    if (!std::filesystem::exists(photo)) return false;
  }
  return std::filesystem::exists(kSeries[0]) && std::filesystem::exists(kSeries[1]);
}

void Convert(const std::string& from, const std::string& options, const std::string& to) {
  ASSERT_TRUE(test::ConvertPicture(from, options, to)) << from << " " << options;
}

ThumbnailResult Signed(const std::string& file) {
  ThumbnailResult made = MakeSignedThumbnailResult(file, 0);
  EXPECT_TRUE(made.Signature && made.Normal) << made.Error;
  return made;
}

struct Variant {
  const char* Name;
  const char* Options;  // convert options from the photo's 1600-pixel copy
  bool Same;
};

// The shifts are windows of the copy, beside the window at its top left that is kept too.
const Variant kVariants[] = {
    {"re-encoded", "-quality 95", true},
    {"resized 50 %", "-resize 50%", true},
    {"resized 25 %", "-resize 25%", true},
    {"resized 10 %", "-resize 10%", true},
    {"quality 30", "-quality 30", true},
    {"quality 100", "-quality 100", true},
    {"resized 10 % quality 30", "-resize 10% -quality 30", true},
    {"a gallery's 150-pixel thumbnail", "-resize 150x150 -quality 85", true},
    {"mirrored", "-flop", false},
    {"grey-scale", "-colorspace Gray", false},
    {"more saturated", "-modulate 100,130", false},
    {"hue turned", "-modulate 100,100,92", false},
    {"brighter", "-modulate 110", false},
    {"sepia", "-sepia-tone 80%", false},
    {"higher contrast", "-level 8%,92%", false},
    {"cropped 90 %", "-gravity center -crop 90%x90%+0+0 +repage", false},
    {"cropped to another shape", "-gravity north -crop 100%x80%+0+0 +repage", false},
    {"shifted 6 %", "-gravity northeast -crop 94%x94%+0+0 +repage", false},
    {"shifted 2 %", "-gravity northwest -crop 94%x94%+32+0 +repage", false},
    {"shifted 1 % down", "-gravity northwest -crop 94%x94%+0+10 +repage", false},
    {"next in a burst", "-gravity northwest -crop 94%x94%+16+10 +repage -modulate 103", false},
};

// Both stages' distances from `made` to every picture kept, for a failure's message.
std::string Distances(const ThumbnailResult& made, const std::vector<ThumbnailResult>& kept) {
  std::string text;
  for (const ThumbnailResult& other : kept) {
    text += "\n  " + CompareSignatures(*made.Signature, *other.Signature).Text() + "; " +
            ComparePixels(made.Normal->Pixels, other.Normal->Pixels).Text();
  }
  return text;
}

TEST(PictureSignatureTest, CopiesMergeAndOtherVersionsDoNot) {
  if (!PhotosInstalled()) {
    GTEST_SKIP() << "the wallpaper photos are not installed (scripts/install-deps installs "
                    "plasma-workspace-wallpapers and gnome-backgrounds)";
  }
  test::TempDir dir;
  CopyFinder finder;
  std::vector<std::string> bases;
  std::vector<ThumbnailResult> kept;
  for (size_t p = 0; p < std::size(kPhotos); ++p) {
    const std::string stem = (dir / std::to_string(p)).string();
    Convert(kPhotos[p], "-resize 1600x1600 -quality 95", stem + "-base.jpg");
    Convert(stem + "-base.jpg", "-gravity northwest -crop 94%x94%+0+0 +repage",
            stem + "-window.jpg");
    for (const std::string& file : {stem + "-base.jpg", stem + "-window.jpg"}) {
      kept.push_back(Signed(file));
      ASSERT_FALSE(finder.FindSame(*kept.back().Signature, *kept.back().Normal))
          << file << " is no copy of the photos kept before it:" << Distances(kept.back(), kept);
      finder.Keep(file, *kept.back().Signature);
    }
    bases.push_back(stem + "-base.jpg");
  }
  Convert(kSeries[0], "-resize 800x800", (dir / "dark.jpg").string());
  Convert(kSeries[1], "-resize 800x800", (dir / "light.jpg").string());
  finder.Keep((dir / "dark.jpg").string(), *Signed((dir / "dark.jpg").string()).Signature);
  const ThumbnailResult light = Signed((dir / "light.jpg").string());
  EXPECT_FALSE(finder.FindSame(*light.Signature, *light.Normal)) << "one series";

  for (size_t p = 0; p < bases.size(); ++p) {
    for (const Variant& variant : kVariants) {
      const std::string file = (dir / "variant.jpg").string();
      Convert(bases[p], variant.Options, file);
      const ThumbnailResult made = Signed(file);
      const std::optional<CopyFinder::Copy> copy = finder.FindSame(*made.Signature, *made.Normal);
      EXPECT_EQ(copy.has_value(), variant.Same)
          << kPhotos[p] << " " << variant.Name << ":" << Distances(made, kept);
      if (copy && variant.Same) {
        EXPECT_EQ(copy->KeptPath, bases[p]) << copy->Why;
      }
    }
  }
  // A copy of a forgotten picture is no copy any more.
  const ThumbnailResult small = Signed(bases[0]);
  ASSERT_TRUE(finder.FindSame(*small.Signature, *small.Normal));
  finder.Forget(bases[0]);
  EXPECT_FALSE(finder.FindSame(*small.Signature, *small.Normal));
  EXPECT_EQ(finder.Size(), 2 * bases.size());
}

// The index finds the candidates for a copy among pictures that are not it, the nearest
// first, and not after their removal.
TEST(PictureSignatureTest, IndexFindsTheSamePictureUntilItIsRemoved) {
  PictureSignature picture;
  picture.Hash = 0x0123456789abcdefULL;
  picture.FullWidth = 1600;
  picture.FullHeight = 1000;
  picture.Tone = {6400, 8192, 8192, 640};
  SignatureIndex index;
  for (int i = 1; i <= 200; ++i) {
    PictureSignature other = picture;
    other.Hash = picture.Hash ^ (0x9e3779b97f4a7c15ULL * static_cast<std::uint64_t>(i));
    index.Add(other);
  }
  const SignatureIndex::EntryId kept = index.Add(picture);
  PictureSignature nearer = picture;
  nearer.Hash ^= 0x1;  // 3 bits from the copy below, which is 4 from the picture
  const SignatureIndex::EntryId nearest = index.Add(nearer);

  PictureSignature copy = picture;
  copy.Hash ^= 0x7000000000000001ULL;
  copy.FullWidth = 160;
  copy.FullHeight = 100;
  std::vector<SignatureIndex::Match> matches = index.Candidates(copy);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].Id, nearest);
  EXPECT_EQ(matches[0].Distance.HashBits, 3);
  EXPECT_EQ(matches[1].Id, kept);
  index.Remove(nearest);
  matches = index.Candidates(copy);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].Id, kept);
  index.Remove(kept);
  index.Remove(kept);
  EXPECT_TRUE(index.Candidates(copy).empty());
  EXPECT_EQ(index.Size(), 200u);
  EXPECT_EQ(index.Add(copy), kept);  // a freed id is given out again
}

// Through growth, removals that move entries back in their probe runs and the compaction of
// the names, every path is found by its id and no removed one is.
TEST(PictureSignatureTest, PathTableFindsEveryPathKeptAndNoneRemoved) {
  PathTable table;
  auto pathOf = [](int i) {
    return "/crawl/site/" + std::to_string(i % 7) + "/picture-" + std::to_string(i) + ".jpg";
  };
  constexpr int kPaths = 5000;
  for (int i = 0; i < kPaths; ++i) table.Put(static_cast<PathTable::Id>(i), pathOf(i));
  for (int i = 0; i < kPaths; i += 3) table.Remove(static_cast<PathTable::Id>(i));
  for (int i = 0; i < kPaths; i += 6) table.Put(static_cast<PathTable::Id>(i), pathOf(i));
  for (int i = 0; i < kPaths; ++i) {
    const bool kept = i % 3 != 0 || i % 6 == 0;
    const std::optional<PathTable::Id> found = table.Find(pathOf(i));
    ASSERT_EQ(found.has_value(), kept) << pathOf(i);
    if (kept) {
      ASSERT_EQ(*found, static_cast<PathTable::Id>(i));
      ASSERT_EQ(table.PathOf(*found), pathOf(i));
    }
  }
  EXPECT_FALSE(table.Find("/crawl/site/0/picture-0.jp"));
  EXPECT_FALSE(table.Find("picture-1.jpg"));
  EXPECT_EQ(table.PathOf(kPaths + 1), "");
}

TEST(PictureSignatureTest, TextRoundTripsAndMalformedLinesAreRefused) {
  PictureSignature signature;
  signature.Hash = 0xfedcba9876543210ULL;
  signature.FullWidth = 1920;
  signature.FullHeight = 1080;
  signature.Tone = {0, 8192, 16320, 77};
  const std::string text = SignatureText(signature);
  ASSERT_EQ(text, "fedcba9876543210 1920 1080 0 8192 16320 77");
  ASSERT_EQ(ParseSignature(text), signature) << text;
  for (const std::string& line : {
           std::string(),
           text + " ",
           " " + text,
           text + " 1",
           std::string("FEDCBA9876543210 1920 1080 0 8192 16320 77"),  // upper-case hex
           std::string("fedcba987654321 1920 1080 0 8192 16320 77"),   // 15 digits
           std::string("fedcba98765432g0 1920 1080 0 8192 16320 77"),
           std::string("fedcba9876543210 1920 01080 0 8192 16320 77"),  // leading zero
           std::string("fedcba9876543210 0 1080 0 8192 16320 77"),      // no width
           std::string("fedcba9876543210 1920 -1080 0 8192 16320 77"),
           std::string("fedcba9876543210 70000 1080 0 8192 16320 77"),  // past the largest side
           std::string("fedcba9876543210 1920  1080 0 8192 16320 77"),  // two spaces
           std::string("fedcba9876543210 1920 1080 0 8192 16321 77"),   // tone past 255 levels
           std::string("fedcba9876543210 1920 1080 0 8192 16320"),      // a tone value short
           std::string("fedcba9876543210 1920 1080 0 8192 99999999999 77"),
       }) {
    EXPECT_FALSE(ParseSignature(line)) << line;
  }
}

}  // namespace
}  // namespace vexilo

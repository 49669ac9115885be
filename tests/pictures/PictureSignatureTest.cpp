#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/SignatureIndex.h"
#include "pictures/ThumbnailMaker.h"
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
  const std::string command = "convert '" + from + "' " + options + " '" + to + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

PictureSignature SignatureOf(const std::string& file) {
  ThumbnailResult made = MakeSignedThumbnailResult(file, 0);
  EXPECT_TRUE(made.Signature) << made.Error;
  return made.Signature.value_or(PictureSignature());
}

struct Variant {
  const char* Name;
  const char* Options;  // convert options from the photo's 800-pixel copy
  bool FromWindow;      // compared with a 94 % window of the photo instead of the copy
  bool Same;
};

const Variant kVariants[] = {
    {"re-encoded", "-quality 95", false, true},
    {"resized 50 %", "-resize 50%", false, true},
    {"resized 25 %", "-resize 25%", false, true},
    {"resized 10 %", "-resize 10%", false, true},
    {"quality 30", "-quality 30", false, true},
    {"quality 100", "-quality 100", false, true},
    {"resized 10 % quality 30", "-resize 10% -quality 30", false, true},
    {"mirrored", "-flop", false, false},
    {"grey-scale", "-colorspace Gray", false, false},
    {"more saturated", "-modulate 100,130", false, false},
    {"brighter", "-modulate 110", false, false},
    {"sepia", "-sepia-tone 80%", false, false},
    {"higher contrast", "-level 8%,92%", false, false},
    {"cropped 90 %", "-gravity center -crop 90%x90%+0+0 +repage", false, false},
    {"cropped to another shape", "-gravity north -crop 100%x80%+0+0 +repage", false, false},
    {"shifted 6 %", "-gravity northeast -crop 94%x94%+0+0 +repage", true, false},
};

TEST(PictureSignatureTest, CopiesMergeAndOtherVersionsDoNot) {
  if (!PhotosInstalled()) {
    GTEST_SKIP() << "the wallpaper photos are not installed (scripts/install-deps installs "
                    "plasma-workspace-wallpapers and gnome-backgrounds)";
  }
  test::TempDir dir;
  std::vector<PictureSignature> bases;
  for (size_t p = 0; p < std::size(kPhotos); ++p) {
    const std::string stem = (dir / std::to_string(p)).string();
    Convert(kPhotos[p], "-resize 800x800 -quality 95", stem + "-base.jpg");
    Convert(stem + "-base.jpg", "-gravity northwest -crop 94%x94%+0+0 +repage",
            stem + "-window.jpg");
    bases.push_back(SignatureOf(stem + "-base.jpg"));
    const PictureSignature window = SignatureOf(stem + "-window.jpg");
    for (const Variant& variant : kVariants) {
      const std::string file = stem + "-variant.jpg";
      Convert(stem + "-base.jpg", variant.Options, file);
      const SignatureDistance distance =
          CompareSignatures(variant.FromWindow ? window : bases.back(), SignatureOf(file));
      EXPECT_EQ(SamePicture(distance), variant.Same)
          << kPhotos[p] << " " << variant.Name << ": " << distance.Text();
    }
  }
  for (size_t p = 0; p + 1 < bases.size(); ++p) {
    const SignatureDistance distance = CompareSignatures(bases[p], bases[p + 1]);
    EXPECT_FALSE(SamePicture(distance)) << kPhotos[p] << " and the next: " << distance.Text();
  }
  Convert(kSeries[0], "-resize 800x800", (dir / "dark.jpg").string());
  Convert(kSeries[1], "-resize 800x800", (dir / "light.jpg").string());
  const SignatureDistance series = CompareSignatures(SignatureOf((dir / "dark.jpg").string()),
                                                     SignatureOf((dir / "light.jpg").string()));
  EXPECT_FALSE(SamePicture(series)) << "one series: " << series.Text();
}

// The index finds a copy among pictures that are not it, not after its removal, and the
// nearest of two candidates.
TEST(PictureSignatureTest, IndexFindsTheSamePictureUntilItIsRemoved) {
  PictureSignature picture;
  picture.Hash = 0x0123456789abcdefULL;
  picture.FullWidth = 1600;
  picture.FullHeight = 1000;
  picture.Luma.fill(100);
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
  std::optional<SignatureIndex::Match> match = index.FindSame(copy);
  ASSERT_TRUE(match);
  EXPECT_EQ(match->Id, nearest);
  EXPECT_EQ(match->Distance.HashBits, 3);
  index.Remove(nearest);
  match = index.FindSame(copy);
  ASSERT_TRUE(match);
  EXPECT_EQ(match->Id, kept);
  index.Remove(kept);
  index.Remove(kept);
  EXPECT_FALSE(index.FindSame(copy));
  EXPECT_EQ(index.Size(), 200u);
  EXPECT_EQ(index.Add(copy), kept);  // a freed id is given out again
}

TEST(PictureSignatureTest, TextRoundTripsAndMalformedLinesAreRefused) {
  PictureSignature signature;
  signature.Hash = 0xfedcba9876543210ULL;
  signature.FullWidth = 1920;
  signature.FullHeight = 1080;
  for (size_t i = 0; i < signature.Luma.size(); ++i) {
    signature.Luma[i] = static_cast<std::uint8_t>(i * 4);
  }
  signature.Tone = {0, 8192, 16320, 77};
  const std::string text = SignatureText(signature);
  ASSERT_EQ(ParseSignature(text), signature) << text;
  const std::string cells = text.substr(text.find(' ', 22) + 1, 2 * kSignatureLumaCells);
  const std::string tone = " 0 8192 16320 77";
  const std::string head = "fedcba9876543210 1920 1080 ";
  ASSERT_EQ(text, head + cells + tone);
  for (const std::string& line : {
           std::string(),
           text + " ",
           " " + text,
           text + " 1",
           "FEDCBA9876543210 1920 1080 " + cells + tone,   // upper-case hex
           "fedcba987654321 1920 1080 " + cells + tone,    // 15 digits
           "fedcba9876543210 1920 01080 " + cells + tone,  // leading zero
           "fedcba9876543210 0 1080 " + cells + tone,      // no width
           "fedcba9876543210 1920 -1080 " + cells + tone,
           "fedcba9876543210 70000 1080 " + cells + tone,  // past the largest side
           "fedcba9876543210 1920  1080 " + cells + tone,  // two spaces
           head + cells.substr(2) + tone,                  // a cell short
           head + cells + " 0 8192 16321 77",              // tone past 255 levels
           head + cells + " 0 8192 16320",                 // a tone value short
           head + cells + " 0 8192 99999999999 77",
       }) {
    EXPECT_FALSE(ParseSignature(line)) << line;
  }
}

}  // namespace
}  // namespace vexilo

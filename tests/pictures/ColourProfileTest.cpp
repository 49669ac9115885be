#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "pictures/ColourProfile.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureReading.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

// The mean and the largest difference of two pictures' samples.
std::pair<double, int> Difference(const Bitmap24& a, const Bitmap24& b) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  long long sum = 0;
  int largest = 0;
  for (int y = 0; y < a.Height() && y < b.Height(); ++y) {
    for (int x = 0; x < 3 * a.Width() && x < 3 * b.Width(); ++x) {
      const int d = std::abs(a.Row(y)[x] - b.Row(y)[x]);
      sum += d;
      largest = std::max(largest, d);
    }
  }
  return {double(sum) / (3.0 * a.Width() * a.Height()), largest};
}

// Display P3 as phones write it: P3 primaries, D65, the sRGB curve.
void WriteDisplayP3(const std::filesystem::path& file) {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
  const cmsFloat64Number srgb[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
  cmsToneCurve* curves[] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsSaveProfileToFile(profile, file.c_str());
  cmsCloseProfile(profile);
  cmsFreeToneCurve(curve);
}

// Real profiles (Debian's sRGB and Adobe RGB, a Display P3 made here) and a real photo to turn
// into them with ImageMagick.
class ColourProfileTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteDisplayP3(dir.Path() / "p3.icc");
    if (!std::filesystem::exists(srgb) || !std::filesystem::exists(adobe)) {
      GTEST_SKIP() << "icc-profiles-free or colord-data missing";
    }
  }

  test::TempDir dir;
  const std::string d = dir.Path().string() + "/";
  const std::string srgb = "/usr/share/color/icc/sRGB.icc";
  const std::string adobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
  const std::string photo = test::TestData("libjpeg-turbo-testimages/testorig.jpg").string();
};

// A real photo turned into Adobe RGB and Display P3 by ImageMagick (through LittleCMS) and
// saved with the profile in each kind: decoded, it is the photo again, as ImageMagick's own
// turn back to sRGB gives it, where read as sRGB it would be off by far more.
TEST_F(ColourProfileTest, ProfiledPicturesComeBackInSrgb) {
  const std::string make =
      "convert " + photo + " " + d + "photo.png && convert " + d + "photo.png -profile " + srgb +
      " -profile " + adobe + " " + d + "adobe.png && convert " + d + "adobe.png -quality 95 " + d +
      "adobe.jpg && cwebp -quiet -lossless -metadata icc " + d + "adobe.png -o " + d +
      "adobe.webp && avifenc -l " + d + "adobe.png " + d + "adobe.avif >/dev/null && convert " + d +
      "photo.png -profile " + srgb + " -profile " + d + "p3.icc " + d + "p3.png && convert " + d +
      "p3.png -quality 95 " + d + "p3.jpg";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "ImageMagick, cwebp or avifenc missing";
  SetPictureReading({.ModernKinds = true, .ExifOrientation = true});
  const Bitmap24 original = DecodePicture(dir.Path() / "photo.png");

  // ImageMagick reads no AVIF here: the lossless AVIF holds the PNG's numbers, and is held
  // to the PNG's turn.
  const struct {
    const char* file;
    const char* reference;
    double mean;
    int largest;
  } kFiles[] = {{"adobe.png", "adobe.png", 0.8, 6},  {"adobe.webp", "adobe.png", 0.8, 6},
                {"adobe.avif", "adobe.png", 0.8, 6}, {"adobe.jpg", "adobe.jpg", 2.0, 40},
                {"p3.png", "p3.png", 0.8, 6},        {"p3.jpg", "p3.jpg", 2.0, 40}};
  for (const auto& file : kFiles) {
    SCOPED_TRACE(file.file);
    const std::string back = d + file.reference + ".srgb.png";
    const std::string bare = d + file.reference + ".bare.png";
    ASSERT_EQ(
        std::system(("convert " + d + file.reference + " -profile " + srgb + " +profile icc " +
                     back + " && convert " + d + file.reference + " +profile icc " + bare)
                        .c_str()),
        0);
    const Bitmap24 shown = DecodePicture(dir.Path() / file.file);
    const auto [mean, largest] = Difference(shown, DecodePicture(back));
    EXPECT_LT(mean, file.mean);
    EXPECT_LE(largest, file.largest);
    const double off = Difference(shown, original).first;
    EXPECT_LT(off, file.mean + 1.0);
    // Read as sRGB the numbers would be off far more: the profile is what makes it right.
    const double bareOff = Difference(DecodePicture(bare), original).first;
    EXPECT_GT(bareOff, 4.0);
    EXPECT_GT(bareOff, 3 * off);
  }
  SetPictureReading({});
}

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// On a wide-gamut screen what the windows show is in the screen's colours, a Display P3 picture
// in one step, and a picture without a profile as sRGB; files leaving the program stay sRGB.
TEST_F(ColourProfileTest, AScreenWithItsOwnProfileShowsPicturesInItsColours) {
  const std::string make =
      "convert " + photo + " " + d + "photo.png && convert " + d + "photo.png -profile " + srgb +
      " -profile " + d + "p3.icc " + d + "p3.png && convert " + d + "p3.png -profile " + adobe +
      " +profile icc " + d + "p3.adobe.png && convert " + d + "photo.png -profile " + srgb +
      " -profile " + adobe + " +profile icc " + d + "photo.adobe.png";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "ImageMagick missing";
  const auto decode = [&](const char* file, ColourTarget colours) {
    return DecodeReducedPicture(dir.Path() / file, 0, nullptr, colours).Pixels;
  };
  const Bitmap24 p3InSrgb = decode("p3.png", ColourTarget::Srgb);

  UseScreenProfile(FileText(adobe));
  EXPECT_TRUE(ScreenHasOwnColours());
  const struct {
    const char* file;
    const char* reference;
  } kShown[] = {{"p3.png", "p3.adobe.png"}, {"photo.png", "photo.adobe.png"}};
  for (const auto& shown : kShown) {
    SCOPED_TRACE(shown.file);
    const auto [mean, largest] = Difference(decode(shown.file, ColourTarget::Screen),
                                            DecodePicture(dir.Path() / shown.reference));
    EXPECT_LT(mean, 0.8);
    EXPECT_LE(largest, 6);
  }
  EXPECT_EQ(Difference(decode("p3.png", ColourTarget::Srgb), p3InSrgb).second, 0);

  // An sRGB screen profile, an empty one and a broken one leave the screen sRGB.
  for (const std::string& profile : {FileText(srgb), std::string(), std::string("acsp junk")}) {
    UseScreenProfile(profile);
    EXPECT_FALSE(ScreenHasOwnColours());
    EXPECT_EQ(Difference(decode("p3.png", ColourTarget::Screen), p3InSrgb).second, 0);
  }
}

}  // namespace
}  // namespace vexilo

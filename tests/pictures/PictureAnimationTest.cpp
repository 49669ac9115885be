#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "PictureCompare.h"
#include "pictures/GifDecoder.h"
#include "pictures/PictureAnimation.h"
#include "support/TempDir.h"

namespace vexilo {
namespace {

using std::chrono::milliseconds;
using test::TestData;

constexpr long kSuitePaletteZero = 0x8FBC8F;  // the suite's palette entry 0

// Each frame of every animated file of the suite as its author composed it (disposal to the
// background and to the previous frame, transparency, interlacing, frames off the screen).
TEST(PictureAnimationTest, GifFramesMatchTheSuiteAndLoopAsTheFileSays) {
  const std::filesystem::path folder = TestData("gif-test-suite/gifs");
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().stem().string();
    if (entry.path().extension() != ".gif" || !name.starts_with("animated")) continue;
    SCOPED_TRACE(name);
    ++files;
    std::unique_ptr<PictureAnimation> animation = OpenAnimation(entry.path());
    ASSERT_TRUE(animation);
    for (int frame = 0; frame < 4; ++frame) {
      std::optional<AnimationFrame> shown = animation->Next();
      ASSERT_TRUE(shown) << frame;
      const auto reference =
          test::LoadReference(folder / "frames" / (name + "-" + std::to_string(frame) + ".png"));
      EXPECT_EQ(test::DifferenceFrom(*shown->Canvas, reference, 0, kSuitePaletteZero), "") << frame;
    }
    // Without a loop extension it is shown once; with one of 0, for ever from its first frame.
    std::optional<AnimationFrame> again = animation->Next();
    if (name == "animated_noloop") {
      EXPECT_FALSE(again);
    } else {
      ASSERT_TRUE(again);
      const auto first = test::LoadReference(folder / "frames" / (name + "-0.png"));
      EXPECT_EQ(test::DifferenceFrom(*again->Canvas, first, 0, kSuitePaletteZero), "");
    }
  }
  EXPECT_EQ(files, 11);

  std::unique_ptr<PictureAnimation> variable =
      OpenAnimation(folder / "animated_loop_variable_delay.gif");
  std::vector<milliseconds> delays;
  for (int frame = 0; frame < 4; ++frame) delays.push_back(variable->Next()->Delay);
  EXPECT_EQ(delays, (std::vector<milliseconds>{milliseconds(1000), milliseconds(1000),
                                               milliseconds(100), milliseconds(1000)}));
  // A still GIF gives its one frame and ends.
  std::unique_ptr<PictureAnimation> still = OpenAnimation(folder / "static_transparent.gif");
  ASSERT_TRUE(still);
  EXPECT_TRUE(still->Next());
  EXPECT_FALSE(still->Next());
}

// Files made here as people make them: ImageMagick's -loop 2 shows twice (it writes one repeat
// after the first showing, which is how browsers count it), frames under 20 ms show 20 ms;
// img2webp's -loop 2 shows twice; a still WebP is none.
TEST(PictureAnimationTest, MadeFilesKeepTheirTimesAndLoops) {
  test::TempDir dir;
  const std::string d = dir.Path().string();
  const std::string make =
      "convert -size 8x6 -delay 5 xc:red -delay 0 xc:lime -delay 12 xc:blue -loop 2 " + d +
      "/made.gif && convert -size 8x6 xc:red " + d + "/red.png && convert -size 8x6 xc:blue " + d +
      "/blue.png && img2webp -loop 2 -lossless -d 70 " + d + "/red.png -d 5 " + d +
      "/blue.png -o " + d + "/made.webp >/dev/null 2>&1 && cwebp -quiet " + d + "/red.png -o " + d +
      "/still.webp";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "ImageMagick or libwebp's tools missing";

  const auto play = [](const std::filesystem::path& path) {
    std::vector<std::pair<std::uint32_t, long>> frames;
    std::unique_ptr<PictureAnimation> animation = OpenAnimation(path);
    if (!animation) return frames;
    while (auto frame = animation->Next()) {
      frames.emplace_back(frame->Canvas->Pixel(3, 3), frame->Delay.count());
      if (frames.size() > 20) break;
    }
    return frames;
  };
  const std::vector<std::pair<std::uint32_t, long>> gifPass = {
      {0xFF0000, 50}, {0x00FF00, 20}, {0x0000FF, 120}};
  std::vector<std::pair<std::uint32_t, long>> gif;
  for (int i = 0; i < 2; ++i) gif.insert(gif.end(), gifPass.begin(), gifPass.end());
  EXPECT_EQ(play(dir.Path() / "made.gif"), gif);
  const std::vector<std::pair<std::uint32_t, long>> webp = {
      {0xFF0000, 70}, {0x0000FF, 20}, {0xFF0000, 70}, {0x0000FF, 20}};
  EXPECT_EQ(play(dir.Path() / "made.webp"), webp);
  EXPECT_FALSE(OpenAnimation(dir.Path() / "still.webp"));
  // A tagged animation's frames carry the profile, so each is shown in the first one's colours.
  const std::string adobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
  if (std::filesystem::exists(adobe) &&
      std::system(("webpmux -set icc " + adobe + " " + d + "/made.webp -o " + d + "/tagged.webp")
                      .c_str()) == 0) {
    const std::unique_ptr<PictureAnimation> tagged = OpenAnimation(dir.Path() / "tagged.webp");
    ASSERT_TRUE(tagged);
    for (int i = 0; i < 3; ++i) {
      const auto frame = tagged->Next();
      ASSERT_TRUE(frame);
      EXPECT_EQ(frame->ColourProfile.size(), std::filesystem::file_size(adobe));
    }
  }

  // An AVIF sequence has no loop count here: it plays on.
  const std::string sequence = "avifenc --timescale 1000 --duration 70 " + d +
                               "/red.png --duration 30 " + d + "/blue.png " + d +
                               "/made.avif >/dev/null 2>&1";
  if (std::system(sequence.c_str()) != 0) GTEST_SKIP() << "avifenc missing";
  std::vector<std::pair<std::uint32_t, long>> avif = play(dir.Path() / "made.avif");
  avif.resize(4);
  // Lossy: the colours come back near, not exact.
  for (auto& [colour, time] : avif) colour = colour & 0x800080;
  EXPECT_EQ(avif, (std::vector<std::pair<std::uint32_t, long>>{
                      {0x800000, 70}, {0x000080, 30}, {0x800000, 70}, {0x000080, 30}}));
}

}  // namespace
}  // namespace vexilo

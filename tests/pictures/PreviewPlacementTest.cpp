#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "pictures/PreviewPlacement.h"

namespace vexilo {

void PrintTo(const PreviewRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ") " << r.Width << " x " << r.Height;
}

namespace {

struct PlacementCase {
  const char* what;
  int width, height, paneWidth, paneHeight;
  PreviewRect expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.what; }

class PreviewPlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PreviewPlacementTest, PlacesThePicture) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(PlacePreview(c.width, c.height, c.paneWidth, c.paneHeight), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewPlacementTest,
    testing::Values(
        PlacementCase{
            "small picture at natural size, centred", 100, 80, 226, 210, {63, 65, 100, 80}},
        PlacementCase{"exactly the pane", 226, 210, 226, 210, {0, 0, 226, 210}},
        PlacementCase{
            "too wide: into the square of the shorter side", 300, 100, 226, 210, {8, 70, 210, 70}},
        PlacementCase{"too tall in a tall pane: the square of the width",
                      100,
                      600,
                      200,
                      500,
                      {83, 150, 33, 200}},
        PlacementCase{"square too big", 1000, 1000, 226, 210, {8, 0, 210, 210}},
        PlacementCase{"one pixel too high only", 10, 211, 226, 210, {108, 0, 9, 210}},
        PlacementCase{
            "huge picture does not overflow", 60000, 30000, 40000, 40000, {0, 10000, 40000, 20000}},
        PlacementCase{"pane of no size", 10, 10, 0, 0, {0, 0, 0, 0}}),
    [](const testing::TestParamInfo<PlacementCase>& param) {
      std::string name;
      for (const char* c = param.param.what; *c != 0; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
      }
      return name;
    });

}  // namespace
}  // namespace vexilo

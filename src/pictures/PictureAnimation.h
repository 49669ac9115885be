#pragma once
// Animated GIF, WebP and AVIF pictures frame by frame, for the viewer to play. Each frame is drawn
// onto the picture's canvas when it is asked for, so the canvas (and the part a GIF frame
// restores) is all that is held, however many frames the file has. Every other use of a
// picture (thumbnail, preview, wallpaper, gallery) keeps decoding its first frame only.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "pictures/Bitmap24.h"

namespace vexilo {

// A shorter frame time shows this long, as browsers show the 0 and 10 ms of many files.
inline constexpr std::chrono::milliseconds kShortestFrame{20};

struct AnimationFrame {
  const Bitmap24* Canvas = nullptr;  // the whole picture; valid until the next Next()
  std::chrono::milliseconds Delay{};
  // The file's ICC profile the canvas is in, as long as the animation lasts; empty: sRGB.
  std::string_view ColourProfile;
};

class PictureAnimation {
 public:
  virtual ~PictureAnimation() = default;
  // The next frame, the first one first; after the last, the first again while the file's
  // loops last; none at the end. Raises PictureError for a damaged file.
  virtual std::optional<AnimationFrame> Next() = 0;
};

// The frame time a file gives, at least kShortestFrame.
std::chrono::milliseconds ShownFrameTime(std::chrono::milliseconds fileTime);

// The file's animation when it is a GIF, or a WebP or AVIF of more than one frame, as the listing
// reads kinds; none for anything else or a file that cannot be opened. A GIF of one frame is known
// only at its end: it gives that frame and then none.
std::unique_ptr<PictureAnimation> OpenAnimation(const std::filesystem::path& path);

}  // namespace vexilo

#pragma once
// How pictures are read, for the whole process: the main window sets it from the advanced
// settings, the decoders and the folder scan read it on any thread.

namespace vexilo {

struct PictureReading {
  // Folder scans also list ".png", ".webp" and ".avif", and a file whose first bytes are
  // another supported kind than its name says is decoded by its bytes.
  bool ModernKinds = false;
  // JPEGs are turned and flipped as their EXIF orientation tag says.
  bool ExifOrientation = true;
};

void SetPictureReading(PictureReading reading);
PictureReading CurrentPictureReading();

// Sets the reading for its lifetime and puts the previous one back after; for tests.
class ScopedPictureReading {
 public:
  explicit ScopedPictureReading(PictureReading reading);
  ~ScopedPictureReading();
  ScopedPictureReading(const ScopedPictureReading&) = delete;
  ScopedPictureReading& operator=(const ScopedPictureReading&) = delete;

 private:
  PictureReading mPrevious;
};

}  // namespace vexilo

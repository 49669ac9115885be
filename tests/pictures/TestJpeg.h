#pragma once
// Writes JPEG files with known contents for the decoder and thumbnail tests.

#include <cstdint>
#include <filesystem>

#include "pictures/Bitmap24.h"

namespace vexilo::test {

void WriteJpeg(const std::filesystem::path& file, const Bitmap24& picture, int quality);

// A progressive JPEG with one scan per component and AC coefficient: 190 scans, all valid.
void WriteManyScanJpeg(const std::filesystem::path& file, const Bitmap24& picture);

// A progressive JPEG of four scans: the DC of all components, then each one's AC.
void WriteProgressiveJpeg(const std::filesystem::path& file, const Bitmap24& picture);

// A solid CMYK picture as Adobe writes it (inverted: 255 means no ink), with the Adobe marker.
void WriteAdobeCmykJpeg(const std::filesystem::path& file, int width, int height,
                        const std::uint8_t (&invertedCmyk)[4]);

}  // namespace vexilo::test

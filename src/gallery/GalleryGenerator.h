#pragma once
// "Create Thumbnails": the pictures of the picture file list as a static HTML gallery, the
// first page opened in the user's browser. The classic gallery: their grid thumbnails as
// small/<i>.bmp, copies in large/, and pages of 36 from templet.htm. The modern one, when
// chosen: ModernGallery.h. Main thread only.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/DesktopShell.h"
#include "core/UserPrompts.h"
#include "gallery/ModernGallery.h"
#include "pictures/Bitmap24.h"
#include "pictures/ImageFileList.h"

namespace vexilo {

inline constexpr const char* kGalleryTemplateFile = "templet.htm";
inline constexpr const char* kMissingTemplateText =
    "The templet file is not exists, please re-install!";
inline constexpr const char* kPickGalleryFolderTitle =
    "Please select the directory to create thumbnails:";
inline constexpr const char* kGalleryKindQuestion = "Which gallery should be made?";
inline constexpr const char* kClassicGalleryChoice = "Classic gallery (80 x 80 thumbnails)";
inline constexpr const char* kModernGalleryChoice = "Modern gallery";

struct GalleryParts {
  std::filesystem::path GalleriesFolder;  // offered, made when missing
  // When not empty, a new folder of this name inside GalleriesFolder is offered instead
  // (" 2", " 3", ... after the name when it is taken), so that no earlier gallery is written
  // over; it is made for the folder browser and removed again when it stays unused.
  std::string NewFolderName;
  std::filesystem::path TemplateFile;  // templet.htm
  TImageFileList& Pictures;
  std::function<Bitmap24(int i)> ThumbnailOf;  // the grid's thumbnail of picture i
  DesktopShell& Shell;
  UserPrompts& Prompts;
  // The modern gallery's: where a task's picture i came from (empty for a folder's), and what
  // lets the window run while the thumbnails are made.
  std::function<ModernGalleryPicture(int i)> OriginOf{};
  std::function<void(int done)> Waiting{};
};

// Writes the gallery of parts.Pictures into folder from parts.TemplateFile and returns the
// path of page0.html. Small bitmaps and pages are replaced; a large copy never replaces a file
// and one that fails is left out. The list's current position is put back when it succeeds.
// Raises ConversionError for an "IMAGE" tag without a whole-number "ImageID" (the pages before
// stay), FileError when a page or a bitmap cannot be written or the template cannot be read.
std::filesystem::path WriteGallery(const GalleryParts& parts, const std::filesystem::path& folder);

// The command: kMissingTemplateText when there is no template file; asks for the
// folder (the offered one first); writes the gallery and opens its first page. A failure is
// told with its text.
void CreateGallery(const GalleryParts& parts);

// Asks which gallery to make, the modern one preselected when `modern`: true for the modern,
// false for the classic, nullopt when cancelled.
std::optional<bool> AskModernGallery(UserPrompts& prompts, bool modern);

// The modern gallery's command: asks for the folder as CreateGallery does (no template is
// needed), writes the gallery there titled after the folder and opens its index.html. A
// failure is told with its text.
void CreateModernGallery(const GalleryParts& parts);

}  // namespace vexilo

#include "gallery/GalleryGenerator.h"

#include <exception>
#include <string>
#include <vector>

#include "core/CopyNewFile.h"
#include "core/LineFile.h"
#include "gallery/GalleryPages.h"
#include "pictures/BmpWriter.h"

namespace vexilo {
namespace {

void CreateFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  // A folder that cannot be made shows up as the write into it failing.
}

// A folder of parts.NewFolderName (or a numbered one after it) that did not exist before,
// made now; GalleriesFolder itself when none can be made.
std::filesystem::path MakeNewFolder(const GalleryParts& parts) {
  std::string name = parts.NewFolderName;
  if (name == "." || name == ".." || name.find('/') != std::string::npos) name = "Gallery";
  std::error_code ec;
  for (int i = 1; i <= 1000; ++i) {
    const std::filesystem::path candidate =
        parts.GalleriesFolder / (i == 1 ? name : name + " " + std::to_string(i));
    if (std::filesystem::create_directory(candidate, ec)) return candidate;
    if (ec && !std::filesystem::exists(candidate, ec)) break;
  }
  return parts.GalleriesFolder;
}

bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

void WritePictures(const GalleryParts& parts, const std::filesystem::path& folder) {
  TImageFileList& pictures = parts.Pictures;
  for (int i = 0; i < pictures.Count(); ++i) {
    CreateFolder(folder / "small");
    WriteBmp(parts.ThumbnailOf(i), folder / "small" / (std::to_string(i) + ".bmp"));
    pictures.SetCurrentIndex(i);
    CreateFolder(folder / "large");
    // An existing copy is kept; a picture that cannot be copied is left out.
    CopyNewFile(pictures.CurrentPath(), folder / "large" / pictures.CurrentFileName());
  }
}

}  // namespace

std::filesystem::path WriteGallery(const GalleryParts& parts, const std::filesystem::path& folder) {
  TImageFileList& pictures = parts.Pictures;
  const int current = pictures.CurrentIndex();
  CreateFolder(folder);
  WritePictures(parts, folder);
  const int count = pictures.Count();
  for (int page = 0; page <= LastGalleryPage(count); ++page) {
    // Read afresh for every page, as a template edited meanwhile is meant to be.
    const std::string expanded =
        ExpandTemplate(ReadText(parts.TemplateFile), [&](const TemplateTag& tag) {
          return ExpandGalleryTag(tag, page, count, [&](int n) {
            pictures.SetCurrentIndex(n);
            return pictures.CurrentFileName();
          });
        });
    WriteLines(folder / ("page" + std::to_string(page) + ".html"), SplitLines(expanded));
  }
  pictures.SetCurrentIndex(current);
  return folder / "page0.html";
}

namespace {

// The folder the user picks, the offered one first; nullopt when cancelled. An offered new
// folder left unused is removed again.
std::optional<std::filesystem::path> PickGalleryFolder(const GalleryParts& parts) {
  CreateFolder(parts.GalleriesFolder);
  const std::filesystem::path offered =
      parts.NewFolderName.empty() ? parts.GalleriesFolder : MakeNewFolder(parts);
  const std::optional<std::string> folder =
      parts.Shell.PickFolder(kPickGalleryFolderTitle, offered.string());
  if (offered != parts.GalleriesFolder && (!folder || !SameFolder(*folder, offered))) {
    std::error_code ignored;
    std::filesystem::remove(offered, ignored);  // only while it is empty
  }
  if (!folder) return std::nullopt;
  return std::filesystem::path(*folder);
}

}  // namespace

void CreateGallery(const GalleryParts& parts) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(parts.TemplateFile, ec)) {
    parts.Prompts.ShowErrorWithYes(kMissingTemplateText);
    return;
  }
  try {
    const std::optional<std::filesystem::path> folder = PickGalleryFolder(parts);
    if (!folder) return;
    const std::filesystem::path firstPage = WriteGallery(parts, *folder);
    parts.Shell.Open(firstPage.string());
  } catch (const std::exception& error) {
    parts.Prompts.ShowError(error.what());
  }
}

std::optional<bool> AskModernGallery(UserPrompts& prompts, bool modern) {
  const std::optional<int> picked = prompts.AskChoice(
      kGalleryKindQuestion, {kClassicGalleryChoice, kModernGalleryChoice}, modern ? 1 : 0);
  if (!picked) return std::nullopt;
  return *picked == 1;
}

void CreateModernGallery(const GalleryParts& parts) {
  try {
    const std::optional<std::filesystem::path> folder = PickGalleryFolder(parts);
    if (!folder) return;
    ModernGalleryParts modern;
    TImageFileList& pictures = parts.Pictures;
    modern.Pictures.reserve(static_cast<std::size_t>(pictures.Count()));
    for (int i = 0; i < pictures.Count(); ++i) {
      ModernGalleryPicture picture = parts.OriginOf ? parts.OriginOf(i) : ModernGalleryPicture{};
      picture.Path = pictures.Items()[static_cast<std::size_t>(i)].Path;
      modern.Pictures.push_back(std::move(picture));
    }
    modern.Title = folder->lexically_normal().filename().string();
    if (modern.Title.empty())
      modern.Title = folder->lexically_normal().parent_path().filename().string();
    modern.Waiting = parts.Waiting;
    const ModernGalleryResult result = WriteModernGallery(modern, *folder);
    parts.Shell.Open(result.Index.string());
  } catch (const std::exception& error) {
    parts.Prompts.ShowError(error.what());
  }
}

}  // namespace vexilo

#include "pictures/UnshownPictureNote.h"

#include "pictures/PictureFile.h"
#include "pictures/PictureKind.h"
#include "pictures/PictureReading.h"

namespace vexilo {
namespace {

std::string KindsText(const std::set<PictureFormat>& kinds) {
  std::string text;
  std::size_t left = kinds.size();
  for (const PictureFormat kind : kinds) {
    text += kind == PictureFormat::Png ? "PNG" : kind == PictureFormat::WebP ? "WebP" : "AVIF";
    --left;
    if (left > 1) text += ", ";
    if (left == 1) text += " or ";
  }
  return text;
}

}  // namespace

void UnshownPictureNote::Start(const std::string& folderName) {
  std::lock_guard lock(mLock);
  mFolderName = folderName;
  mCount = 0;
  mKinds.clear();
  mEndings.clear();
}

void UnshownPictureNote::CountIfModern(const std::string& savedPath) {
  if (CurrentPictureReading().ModernKinds) return;
  const PictureFormat kind = SniffPictureFormat(ReadPictureStart(savedPath, kSignatureBytes));
  if (kind != PictureFormat::Png && kind != PictureFormat::WebP && kind != PictureFormat::Avif) {
    return;
  }
  std::string ending = PictureExtension(savedPath);
  if (ending == ".jpeg") ending = ".jpg";
  std::lock_guard lock(mLock);
  ++mCount;
  mKinds.insert(kind);
  mEndings.insert(ending);
}

std::string UnshownPictureNote::TakeNote() {
  std::lock_guard lock(mLock);
  if (mCount == 0 || !mTold.insert(mFolderName).second) return "";
  const std::string saved = mEndings.size() == 1 && !mEndings.begin()->empty()
                                ? "saved as " + *mEndings.begin()
                                : "saved under other endings";
  return std::to_string(mCount) + (mCount == 1 ? " picture is " : " pictures are ") +
         KindsText(mKinds) + (mCount == 1 ? " file " : " files ") + saved +
         ": turn on \"List PNG, WebP and AVIF pictures\" in Advanced Settings";
}

}  // namespace vexilo

#include "downloader/LargestCopies.h"

#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/LineFile.h"
#include "downloader/PictureStatus.h"

namespace vexilo {
namespace {

// A line holds a signature and the picture's save path, apart by a tab (no signature has one).
constexpr char kApart = '\t';

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::remove(path, ec) && !ec;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

LargestCopies::LargestCopies(std::filesystem::path stateFolder, FileLayer& layer) : mLayer(layer) {
  std::error_code ec;
  // Never written through a link in the state folder's place.
  if (std::filesystem::is_symlink(stateFolder, ec)) return;
  mFile = std::move(stateFolder) / kSignaturesFile;
  if (!std::filesystem::is_regular_file(mFile, ec)) return;
  std::string text;
  try {
    text = ReadText(mFile);
  } catch (const std::exception&) {
    return;  // unreadable: the task goes on as one without it
  }
  mEndLine = !text.empty() && text.back() != '\n';
  // The last line for a path wins: a picture fetched again is remembered anew.
  std::unordered_map<std::string, PictureSignature> kept;
  for (const std::string& line : SplitLines(text)) {
    const std::size_t apart = line.find(kApart);
    if (apart == std::string::npos) continue;
    std::optional<PictureSignature> signature = ParseSignature(line.substr(0, apart));
    if (!signature) continue;
    kept.insert_or_assign(line.substr(apart + 1), *signature);
  }
  for (const auto& [path, signature] : kept) {
    if (std::filesystem::is_regular_file(path, ec)) mFinder.Keep(path, signature);
  }
}

CopyDecision LargestCopies::Check(const std::string& savedPath, const PictureSignature& signature,
                                  const ReducedPicture& normal) {
  // Held across the look-up and the keep: two copies finishing at once must not both stay.
  std::lock_guard lock(mLock);
  const std::optional<CopyFinder::Copy> same = mFinder.FindSame(signature, normal);
  if (!same || same->KeptPath == savedPath) {
    Keep(savedPath, signature);
    return {};
  }
  if (signature.PixelCount() <= same->KeptSignature.PixelCount()) {
    if (!RemoveFile(savedPath)) {
      Keep(savedPath, signature);
      return {};
    }
    return {kSmallerCopyStatus + FileName(same->KeptPath), ""};
  }
  if (!RemoveFile(same->KeptPath)) {
    Keep(savedPath, signature);
    return {};
  }
  mFinder.Forget(same->KeptPath);
  Keep(savedPath, signature);
  return {"", same->KeptPath};
}

void LargestCopies::Keep(const std::string& savedPath, const PictureSignature& signature) {
  mFinder.Keep(savedPath, signature);  // fetched again over its old file: kept anew
  AppendLine(mUnsaved, SignatureText(signature) + kApart + savedPath);
}

void LargestCopies::SaveKept() {
  std::string text;
  {
    std::lock_guard lock(mLock);
    if (mUnsaved.empty() || mFile.empty()) return;
    text.swap(mUnsaved);
  }
  if (mEndLine) text.insert(0, "\r\n");
  try {
    mLayer.AppendToFile(mFile, text);
    mEndLine = false;
  } catch (...) {
    std::lock_guard lock(mLock);
    if (mEndLine) text.erase(0, 2);
    mUnsaved.insert(0, text);  // tried again with the next ones
    throw;
  }
}

std::size_t LargestCopies::KeptCount() {
  std::lock_guard lock(mLock);
  return mFinder.Size();
}

}  // namespace vexilo

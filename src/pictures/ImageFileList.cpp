#include "pictures/ImageFileList.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/TextRules.h"
#include "pictures/PictureKind.h"

namespace vexilo {

namespace {

std::string IndexErrorText(int index) {
  char text[64];
  std::snprintf(text, sizeof text, "List index out of bounds (%d)", index);
  return text;
}

// Linux lists a folder in no useful order; the grid's users saw pictures sorted by name.
bool NameOrder(const std::string& a, const std::string& b) {
  std::string lowerA = LowerAscii(a);
  std::string lowerB = LowerAscii(b);
  if (lowerA != lowerB) return lowerA < lowerB;
  return a < b;
}

}  // namespace

ListIndexError::ListIndexError(int index) : std::out_of_range(IndexErrorText(index)) {}

void TImageFileList::Add(const std::string& path) { mPaths.push_back(path); }

void TImageFileList::Clear() {
  mPaths.clear();
  mCurrent = -1;
}

void TImageFileList::ReplaceAll(const std::vector<std::string>& paths) { mPaths = paths; }

void TImageFileList::ScanFolder(const std::string& folder) {
  Clear();
  // A root folder arrives as "" once its trailing "/" is gone.
  std::filesystem::path where =
      folder.empty() ? std::filesystem::path("/") : std::filesystem::path(folder);
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(where, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (IsListedPictureName(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), NameOrder);
  for (const std::string& name : names) {
    std::string path = folder;
    path += '/';
    path += name;
    Add(path);
  }
}

const std::string& TImageFileList::CurrentPath() const {
  if (mCurrent < 0 || mCurrent >= Count()) throw ListIndexError(mCurrent);
  return mPaths[static_cast<size_t>(mCurrent)];
}

std::string TImageFileList::CurrentFileName() const {
  const std::string& path = CurrentPath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const std::string& TImageFileList::Next() {
  mCurrent = mCurrent == Count() - 1 ? 0 : mCurrent + 1;
  return CurrentPath();
}

const std::string& TImageFileList::Previous() {
  mCurrent = mCurrent == 0 ? Count() - 1 : mCurrent - 1;
  return CurrentPath();
}

}  // namespace vexilo

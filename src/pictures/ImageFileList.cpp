#include "pictures/ImageFileList.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

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

void TImageFileList::Add(std::string path, PackedBitmap thumbnail) {
  mItems.push_back({std::move(path), std::move(thumbnail)});
}

int TImageFileList::IndexOf(const std::string& path) const {
  for (std::size_t i = 0; i < mItems.size(); ++i) {
    if (mItems[i].Path == path) return static_cast<int>(i);
  }
  return -1;
}

void TImageFileList::Replace(int index, std::string path, PackedBitmap thumbnail) {
  if (index < 0 || index >= Count()) throw ListIndexError(index);
  mItems[static_cast<std::size_t>(index)] = {std::move(path), std::move(thumbnail)};
}

void TImageFileList::ShowAt(int from, int at, PackedBitmap thumbnail) {
  if (from < 0 || from >= Count()) throw ListIndexError(from);
  if (at < 0 || at > from) throw ListIndexError(at);
  std::swap(mItems[static_cast<size_t>(at)], mItems[static_cast<size_t>(from)]);
  mItems[static_cast<size_t>(at)].Thumbnail = std::move(thumbnail);
}

void TImageFileList::Clear() {
  mItems.clear();
  mCurrent = -1;
}

void TImageFileList::RemoveAt(int index) {
  if (index < 0 || index >= Count()) throw ListIndexError(index);
  mItems.erase(mItems.begin() + index);
  if (mCurrent > index) --mCurrent;
}

void TImageFileList::SetPath(int index, std::string path) {
  if (index < 0 || index >= Count()) throw ListIndexError(index);
  mItems[static_cast<std::size_t>(index)].Path = std::move(path);
}

void TImageFileList::Reorder(const std::vector<std::size_t>& place) {
  if (place.size() != mItems.size()) return;
  std::vector<PictureItem> reordered;
  reordered.reserve(mItems.size());
  int current = -1;
  for (std::size_t i = 0; i < place.size(); ++i) {
    if (static_cast<int>(place[i]) == mCurrent) current = static_cast<int>(i);
    reordered.push_back(std::move(mItems.at(place[i])));
  }
  mItems = std::move(reordered);
  if (mCurrent >= 0 && mCurrent < Count()) mCurrent = current;
}

void TImageFileList::RemoveWithoutThumbnail() {
  std::erase_if(mItems, [](const PictureItem& item) { return item.Thumbnail.Empty(); });
}

std::vector<std::string> TImageFileList::Paths() const {
  std::vector<std::string> paths;
  paths.reserve(mItems.size());
  for (const PictureItem& item : mItems) paths.push_back(item.Path);
  return paths;
}

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
  mItems.reserve(names.size());
  for (const std::string& name : names) {
    std::string path = folder;
    path += '/';
    path += name;
    Add(std::move(path));
  }
}

const std::string& TImageFileList::CurrentPath() const {
  if (mCurrent < 0 || mCurrent >= Count()) throw ListIndexError(mCurrent);
  return mItems[static_cast<size_t>(mCurrent)].Path;
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

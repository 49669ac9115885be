#pragma once
// Makes the thumbnails of an ordered list of picture files on a pool of threads (one per
// core) and hands them back in list order to one consumer (the main thread), so that the grid
// adds item i while the workers decode the pictures after it. Each comes from the picture's
// 128-pixel cache-sized thumbnail, so it looks the same from the cache or a decode. Destroying
// the maker joins the workers after their current picture; results not taken are dropped.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pictures/Bitmap24.h"
#include "pictures/DecodeBudget.h"
#include "pictures/PackedBitmap.h"
#include "pictures/PictureSignature.h"

namespace vexilo {

struct ThumbnailResult {
  PackedBitmap Thumbnail;  // 80 x 80 when Ok(), packed on the worker
  std::string Error;       // why the picture could not be read; empty when Ok()
  // Only from MakeSignedThumbnailResult, when Ok(): the signature and the normal reduction
  // it was made from, for CopyFinder::FindSame.
  std::optional<PictureSignature> Signature;
  std::optional<ReducedPicture> Normal;
  bool Ok() const { return Error.empty(); }
};

// The picture's normal reduction (long side at most kNormalThumbnailSide, with its full size)
// from its fresh thumbnail-cache entry, or decoded reduced and then kept in the cache.
// Thumbnails are always made from it, so a listing looks the same with the cache cold or
// warm. Raises PictureError. Any thread.
ReducedPicture NormalReduction(const std::filesystem::path& path,
                               DecodeBudget& budget = DecodeBudget::Shared());

// The same from the "large" size (kLargeThumbnailSide) and its cache folder beside the
// normal one. Raises PictureError. Any thread.
ReducedPicture LargeReduction(const std::filesystem::path& path,
                              DecodeBudget& budget = DecodeBudget::Shared());

// The thumbnail of one file, as the maker makes it: a JPEG or WebP decoded reduced, the
// geometry from its full size, the decode's pixels held from `budget`. Raises PictureError.
// Any thread.
Bitmap24 MakeFileThumbnail(const std::filesystem::path& path, std::uint32_t buttonFace,
                           DecodeBudget& budget = DecodeBudget::Shared());
// The same composed at a device pixel ratio above 1 (MakeSharpThumbnail), its pixels from
// the normal or the large reduction, whichever covers the scaled frame. Raises PictureError.
// Any thread.
Bitmap24 MakeSharpFileThumbnail(const std::filesystem::path& path, std::uint32_t buttonFace,
                                double ratio, DecodeBudget& budget = DecodeBudget::Shared());
// The same, packed, with a failure (std::bad_alloc too) as the result's Error. Any thread.
ThumbnailResult MakeThumbnailResult(const std::string& path, std::uint32_t buttonFace,
                                    DecodeBudget& budget = DecodeBudget::Shared());
// The same with the picture's signature and normal reduction, the very pixels the thumbnail
// comes from (one decode, or none when the thumbnail cache has the picture). Any thread.
ThumbnailResult MakeSignedThumbnailResult(const std::string& path, std::uint32_t buttonFace,
                                          DecodeBudget& budget = DecodeBudget::Shared());

class ThumbnailMaker {
 public:
  // Starts at once. threads 0 means one per core. budget must outlive the maker.
  ThumbnailMaker(std::vector<std::string> paths, std::uint32_t buttonFace, unsigned threads = 0,
                 DecodeBudget& budget = DecodeBudget::Shared());
  ~ThumbnailMaker();
  ThumbnailMaker(const ThumbnailMaker&) = delete;
  ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

  int Count() const { return static_cast<int>(mPaths.size()); }
  // Index of the entry the next call of Next() returns.
  int NextIndex() const;
  // True when Next() would return without waiting (or when every entry has been taken).
  bool NextReady() const;
  // NextReady(), waiting for it up to `most`.
  bool WaitReady(std::chrono::milliseconds most);
  // The result of entry NextIndex(), waiting for it when needed. Raises std::out_of_range
  // once every entry has been taken.
  ThumbnailResult Next();

 private:
  void Work();
  // Entry index's place among the results: one per entry the workers may run ahead.
  std::optional<ThumbnailResult>& Slot(int index) {
    return mResults[static_cast<size_t>(index) % mResults.size()];
  }
  const std::optional<ThumbnailResult>& Slot(int index) const {
    return mResults[static_cast<size_t>(index) % mResults.size()];
  }

  // Workers run at most this far ahead of the consumer, so a huge folder does not pile up
  // thumbnails nobody has taken yet.
  static constexpr int kLookahead = 64;

  std::vector<std::string> mPaths;  // entry i's emptied once made
  const std::uint32_t mButtonFace;
  DecodeBudget& mBudget;
  mutable std::mutex mMutex;
  std::condition_variable mResultReady;
  std::condition_variable mRoomAhead;
  std::vector<std::optional<ThumbnailResult>> mResults;  // entry i at i % kLookahead
  int mNextToMake = 0;
  int mNextToTake = 0;
  bool mStopping = false;
  std::vector<std::thread> mWorkers;
};

}  // namespace vexilo

#include "pictures/ThumbnailMaker.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "pictures/ColourProfile.h"
#include "pictures/DecodePicture.h"
#include "pictures/ShrinkBitmap.h"
#include "pictures/Thumbnail.h"
#include "pictures/ThumbnailCache.h"

namespace vexilo {

namespace {

// The picture's reduction to `side` through `cache`, whose entries are of that side.
ReducedPicture CachedReduction(const std::filesystem::path& path, const ThumbnailCache& cache,
                               int side, DecodeBudget& budget) {
  if (std::optional<ReducedPicture> entry = cache.Read(path)) return std::move(*entry);
  ReducedPicture reduced;
  {
    // Declared first, so the decoded picture is freed before its pixels go back to the budget.
    DecodeLease lease(budget);
    ReducedPicture picture = DecodeReducedPicture(path, side, &lease);
    reduced = {ShrinkToFit(picture.Pixels, side), picture.FullWidth, picture.FullHeight, {}};
  }
  cache.Write(path, reduced);
  return reduced;
}

}  // namespace

ReducedPicture NormalReduction(const std::filesystem::path& path, DecodeBudget& budget) {
  return CachedReduction(path, ThumbnailCache(ThumbnailCacheFolder()), kNormalThumbnailSide,
                         budget);
}

ReducedPicture LargeReduction(const std::filesystem::path& path, DecodeBudget& budget) {
  return CachedReduction(
      path, ThumbnailCache(LargeThumbnailCacheFolder(ThumbnailCacheFolder()), kLargeThumbnailSide),
      kLargeThumbnailSide, budget);
}

namespace {

// What `make` fills in, or the failure it raised (std::bad_alloc too) as the Error.
template <typename Make>
ThumbnailResult ResultOf(const std::string& path, Make make) {
  ThumbnailResult result;
  try {
    make(result);
  } catch (const std::bad_alloc&) {
    result = {};
    result.Error = "Not enough memory to read " + path;
  } catch (const std::exception& error) {
    result = {};
    result.Error = error.what();
    if (result.Error.empty()) result.Error = "Cannot read " + path;
  }
  return result;
}

// The reduction's sRGB pixels, in the screen's colours, to `make`: a copy only when the screen
// has colours of its own. Only the picture is turned: the cell and its bevels are the grid's own
// colours.
template <typename Make>
Bitmap24 InScreenColours(const ReducedPicture& reduced, Make make) {
  if (!ScreenHasOwnColours()) return make(reduced.Pixels);
  Bitmap24 pixels = reduced.Pixels;
  ConvertForScreen({}, pixels);
  return make(pixels);
}

Bitmap24 ScreenThumbnail(const ReducedPicture& normal, std::uint32_t buttonFace) {
  return InScreenColours(normal, [&](const Bitmap24& pixels) {
    return MakeThumbnail(pixels, normal.FullWidth, normal.FullHeight, buttonFace);
  });
}

}  // namespace

Bitmap24 MakeFileThumbnail(const std::filesystem::path& path, std::uint32_t buttonFace,
                           DecodeBudget& budget) {
  return ScreenThumbnail(NormalReduction(path, budget), buttonFace);
}

Bitmap24 MakeSharpFileThumbnail(const std::filesystem::path& path, std::uint32_t buttonFace,
                                double ratio, DecodeBudget& budget) {
  // The frame's long side is 64 pixels at ratio 1; the normal size covers it up to ratio 2.
  const bool normalCovers = SharpThumbnailSide(ratio) <= 2 * kThumbnailSize;
  const ReducedPicture reduced =
      normalCovers ? NormalReduction(path, budget) : LargeReduction(path, budget);
  return InScreenColours(reduced, [&](const Bitmap24& pixels) {
    return MakeSharpThumbnail(pixels, reduced.FullWidth, reduced.FullHeight, buttonFace, ratio);
  });
}

ThumbnailResult MakeThumbnailResult(const std::string& path, std::uint32_t buttonFace,
                                    DecodeBudget& budget) {
  return ResultOf(path, [&](ThumbnailResult& result) {
    result.Thumbnail = PackedBitmap(MakeFileThumbnail(path, buttonFace, budget));
  });
}

ThumbnailResult MakeSignedThumbnailResult(const std::string& path, std::uint32_t buttonFace,
                                          DecodeBudget& budget) {
  return ResultOf(path, [&](ThumbnailResult& result) {
    ReducedPicture normal = NormalReduction(path, budget);
    result.Thumbnail = PackedBitmap(ScreenThumbnail(normal, buttonFace));
    result.Signature = MakePictureSignature(normal);
    result.Normal = std::move(normal);
  });
}

ThumbnailMaker::ThumbnailMaker(std::vector<std::string> paths, std::uint32_t buttonFace,
                               unsigned threads, DecodeBudget& budget)
    : mPaths(std::move(paths)),
      mButtonFace(buttonFace),
      mBudget(budget),
      mResults(std::min<size_t>(mPaths.size(), kLookahead)) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<unsigned>(threads, static_cast<unsigned>(mPaths.size()));
  for (unsigned i = 0; i < threads; ++i) mWorkers.emplace_back([this] { Work(); });
}

ThumbnailMaker::~ThumbnailMaker() {
  {
    std::lock_guard lock(mMutex);
    mStopping = true;
  }
  mRoomAhead.notify_all();
  for (std::thread& worker : mWorkers) worker.join();
}

int ThumbnailMaker::NextIndex() const {
  std::lock_guard lock(mMutex);
  return mNextToTake;
}

bool ThumbnailMaker::NextReady() const {
  std::lock_guard lock(mMutex);
  return mNextToTake >= Count() || Slot(mNextToTake).has_value();
}

bool ThumbnailMaker::WaitReady(std::chrono::milliseconds most) {
  std::unique_lock lock(mMutex);
  return mResultReady.wait_for(
      lock, most, [&] { return mNextToTake >= Count() || Slot(mNextToTake).has_value(); });
}

ThumbnailResult ThumbnailMaker::Next() {
  std::unique_lock lock(mMutex);
  if (mNextToTake >= Count()) throw std::out_of_range("every thumbnail has been taken");
  auto& slot = Slot(mNextToTake);
  mResultReady.wait(lock, [&] { return slot.has_value(); });
  ThumbnailResult result = std::move(*slot);
  slot.reset();
  ++mNextToTake;
  lock.unlock();
  mRoomAhead.notify_all();
  return result;
}

void ThumbnailMaker::Work() {
  for (;;) {
    int index = 0;
    {
      std::unique_lock lock(mMutex);
      mRoomAhead.wait(lock, [&] {
        return mStopping || mNextToMake >= Count() || mNextToMake < mNextToTake + kLookahead;
      });
      if (mStopping || mNextToMake >= Count()) return;
      index = mNextToMake++;
    }
    std::string& path = mPaths[static_cast<size_t>(index)];
    ThumbnailResult result = MakeThumbnailResult(path, mButtonFace, mBudget);
    // Only this worker holds entry index: its path is let go once used, so a long listing
    // does not end holding a second copy of every path.
    std::string().swap(path);
    {
      std::lock_guard lock(mMutex);
      Slot(index) = std::move(result);
    }
    mResultReady.notify_all();
  }
}

}  // namespace vexilo

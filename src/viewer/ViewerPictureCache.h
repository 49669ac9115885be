#pragma once
// The viewer's pictures: the one on show and its two neighbours in the list, decoded ahead
// on one worker thread while the user looks at the current one, so that the next step finds
// its picture ready. At most the wanted pictures are kept (three: current, next, previous),
// plus the one the window still shows. The worker takes each decode's pixels from a
// DecodeBudget, so it waits while thumbnail decodes hold it; a decode the main thread needs
// now runs there at once. Main thread only, but for the worker inside.

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "pictures/Bitmap24.h"

namespace vexilo {

class DecodeBudget;
class DecodeLease;

using SharedPicture = std::shared_ptr<const Bitmap24>;

class ViewerPictureCache {
 public:
  // Decodes a file at full size, taking its pixels from the lease (may be null); raises
  // PictureError, or std::bad_alloc, on failure. Anything else is a fault, left uncaught.
  using Decoder = std::function<Bitmap24(const std::string& path, DecodeLease* lease)>;

  // DecodePicture's rule (full size) with the shared budget.
  ViewerPictureCache();
  ViewerPictureCache(Decoder decode, DecodeBudget* budget);
  // Stops the worker after its current decode and joins it.
  ~ViewerPictureCache();
  ViewerPictureCache(const ViewerPictureCache&) = delete;
  ViewerPictureCache& operator=(const ViewerPictureCache&) = delete;

  // Drops every picture whose path is not in `paths` (one in decoding is dropped when done).
  void Retain(const std::vector<std::string>& paths);
  // Queues the paths not held yet for the worker, in order. Does nothing while read-ahead is
  // off.
  void Prefetch(const std::vector<std::string>& paths);
  // The picture at path: the one held, waiting for the worker when it is decoding it, or
  // decoded here when neither. A failure, here or on the worker, raises its error (the
  // worker's failure is remembered, so an unreadable neighbour is not read twice).
  SharedPicture Get(const std::string& path);

  // Off: nothing is decoded ahead and nothing held but for Get's caller.
  void SetReadAhead(bool on);
  // Held and decoded (for tests and the benchmark).
  bool Ready(const std::string& path) const;
  // Waits until the worker has nothing queued or in hand.
  void WaitIdle();
  // Bytes of pixels held now.
  std::size_t HeldBytes() const;

 private:
  struct Entry {
    std::string Path;
    SharedPicture Picture;
    std::exception_ptr Failure;
    bool Done = false;
    bool Queued = false;  // for the worker, waiting or in hand
  };

  void Run();
  Entry* Find(const std::string& path);
  const Entry* Find(const std::string& path) const;

  Decoder mDecode;
  DecodeBudget* mBudget;
  mutable std::mutex mMutex;
  std::condition_variable mWork;
  std::condition_variable mDone;
  std::vector<std::shared_ptr<Entry>> mEntries;
  bool mReadAhead = true;
  bool mStopping = false;
  std::shared_ptr<Entry> mInHand;  // the worker's decode
  std::thread mWorker;
};

}  // namespace vexilo

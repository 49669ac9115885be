#include "viewer/ViewerPictureCache.h"

#include <algorithm>
#include <new>
#include <optional>

#include "pictures/DecodeBudget.h"
#include "pictures/DecodePicture.h"
#include "pictures/PictureError.h"

namespace vexilo {

ViewerPictureCache::ViewerPictureCache()
    : ViewerPictureCache(
          [](const std::string& path, DecodeLease* lease) {
            // A long side of 0 asks for the full size.
            return DecodeReducedPicture(path, 0, lease, ColourTarget::Screen).Pixels;
          },
          &DecodeBudget::Shared()) {}

ViewerPictureCache::ViewerPictureCache(Decoder decode, DecodeBudget* budget)
    : mDecode(std::move(decode)), mBudget(budget), mWorker([this] { Run(); }) {}

ViewerPictureCache::~ViewerPictureCache() {
  {
    std::lock_guard lock(mMutex);
    mStopping = true;
  }
  mWork.notify_all();
  mWorker.join();
}

ViewerPictureCache::Entry* ViewerPictureCache::Find(const std::string& path) {
  for (auto& entry : mEntries) {
    if (entry->Path == path) return entry.get();
  }
  return nullptr;
}

const ViewerPictureCache::Entry* ViewerPictureCache::Find(const std::string& path) const {
  for (const auto& entry : mEntries) {
    if (entry->Path == path) return entry.get();
  }
  return nullptr;
}

void ViewerPictureCache::Retain(const std::vector<std::string>& paths) {
  std::vector<std::shared_ptr<Entry>> dropped;
  {
    std::lock_guard lock(mMutex);
    auto unwanted = [&paths](const std::shared_ptr<Entry>& entry) {
      return std::find(paths.begin(), paths.end(), entry->Path) == paths.end();
    };
    for (auto& entry : mEntries) {
      if (unwanted(entry)) dropped.push_back(entry);
    }
    std::erase_if(mEntries, unwanted);
  }
  // The pixels go outside the lock.
}

void ViewerPictureCache::Prefetch(const std::vector<std::string>& paths) {
  {
    std::lock_guard lock(mMutex);
    if (!mReadAhead) return;
    for (const std::string& path : paths) {
      if (Find(path) != nullptr) continue;
      auto entry = std::make_shared<Entry>();
      entry->Path = path;
      entry->Queued = true;
      mEntries.push_back(std::move(entry));
    }
  }
  mWork.notify_all();
}

SharedPicture ViewerPictureCache::Get(const std::string& path) {
  std::unique_lock lock(mMutex);
  std::shared_ptr<Entry> held;
  for (auto& entry : mEntries) {
    if (entry->Path == path) held = entry;
  }
  if (held && held == mInHand) {
    // Half decoded already: waiting costs less than starting again.
    mDone.wait(lock, [&] { return held->Done; });
  }
  if (held && held->Done) {
    if (held->Failure) std::rethrow_exception(held->Failure);
    return held->Picture;
  }
  // Not begun: take it from the queue and decode it here, without the budget's wait.
  if (held) std::erase(mEntries, held);
  lock.unlock();
  auto picture = std::make_shared<const Bitmap24>(mDecode(path, nullptr));
  lock.lock();
  if (mReadAhead && Find(path) == nullptr) {
    auto entry = std::make_shared<Entry>();
    entry->Path = path;
    entry->Picture = picture;
    entry->Done = true;
    mEntries.push_back(std::move(entry));
  }
  return picture;
}

void ViewerPictureCache::SetReadAhead(bool on) {
  std::lock_guard lock(mMutex);
  mReadAhead = on;
  if (!on) mEntries.clear();
}

bool ViewerPictureCache::Ready(const std::string& path) const {
  std::lock_guard lock(mMutex);
  const Entry* entry = Find(path);
  return entry != nullptr && entry->Done;
}

void ViewerPictureCache::WaitIdle() {
  std::unique_lock lock(mMutex);
  mDone.wait(lock, [this] {
    return !mInHand && std::none_of(mEntries.begin(), mEntries.end(),
                                    [](const auto& entry) { return entry->Queued; });
  });
}

std::size_t ViewerPictureCache::HeldBytes() const {
  std::lock_guard lock(mMutex);
  std::size_t bytes = 0;
  for (const auto& entry : mEntries) {
    if (entry->Picture) bytes += entry->Picture->SizeBytes();
  }
  return bytes;
}

void ViewerPictureCache::Run() {
  std::unique_lock lock(mMutex);
  while (true) {
    std::shared_ptr<Entry> next;
    mWork.wait(lock, [&] {
      if (mStopping) return true;
      for (auto& entry : mEntries) {
        if (entry->Queued && !entry->Done) {
          next = entry;
          return true;
        }
      }
      return false;
    });
    if (mStopping) return;
    mInHand = next;
    lock.unlock();
    SharedPicture picture;
    std::exception_ptr failure;
    try {
      std::optional<DecodeLease> lease;
      if (mBudget) lease.emplace(*mBudget);
      picture = std::make_shared<const Bitmap24>(mDecode(next->Path, lease ? &*lease : nullptr));
    } catch (const PictureError&) {
      failure = std::current_exception();
    } catch (const std::bad_alloc&) {
      // A picture too large for the memory left fails like an unreadable one.
      failure = std::current_exception();
    }
    lock.lock();
    mInHand.reset();
    // Dropped meanwhile (Retain) the result just goes; otherwise it is held.
    next->Picture = std::move(picture);
    next->Failure = failure;
    next->Done = true;
    next->Queued = false;
    mDone.notify_all();
  }
}

}  // namespace vexilo

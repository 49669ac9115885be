#include "support/FakeTransferPool.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace vexilo::test {

class FakeTransferPool::View final : public TransferPool {
 public:
  explicit View(FakeTransferPool& pool) : mPool(pool) {}

  void Offer(std::uint64_t id, DownloadRequest request) override {
    mPool.mOffered.emplace_back(id, std::move(request));
  }
  void SetMostRunning(int count) override { mPool.mMostRunning = std::max(count, 1); }
  std::vector<std::uint64_t> Withdraw() override {
    mPool.mOffered.clear();
    return {};  // every start has been delivered already
  }
  void CloseIdleConnections() override {}
  void Shutdown() override {
    mPool.mOffered.clear();
    mPool.mRunning.clear();
  }

 private:
  FakeTransferPool& mPool;
};

PoolMaker FakeTransferPool::Maker() {
  return [this](PoolLinks links) -> std::unique_ptr<TransferPool> {
    mLinks = std::move(links);
    return std::make_unique<View>(*this);
  };
}

void FakeTransferPool::StartWhatFits() {
  while (!mOffered.empty() && mRunning.size() < static_cast<std::size_t>(mMostRunning)) {
    auto [id, request] = std::move(mOffered.front());
    mOffered.pop_front();
    mRunning.emplace(id, std::move(request));
    mStartOrder.push_back(id);
    mLinks.Started(id);
  }
}

void FakeTransferPool::End(const std::string& url, const DownloadResult& result) {
  const auto found = std::find_if(mRunning.begin(), mRunning.end(),
                                  [&](const auto& entry) { return entry.second.Url == url; });
  if (found == mRunning.end()) return;
  const std::uint64_t id = found->first;
  mRunning.erase(found);
  std::erase(mStartOrder, id);
  mLinks.Ended(id, result);
  mLinks.SlotsFreed();
}

DownloadResult FakeTransferPool::Fetched() {
  DownloadResult result;
  result.Fetch.Ok = true;
  return result;
}

DownloadResult FakeTransferPool::Transient(const std::string& reason) {
  DownloadResult result;
  result.Fetch.Reason = reason;
  result.Fetch.Transient = true;
  return result;
}

std::vector<std::string> FakeTransferPool::Running() const {
  std::vector<std::string> urls;
  for (std::uint64_t id : mStartOrder) urls.push_back(mRunning.at(id).Url);
  return urls;
}

}  // namespace vexilo::test

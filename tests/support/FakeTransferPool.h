#pragma once
// The scheduler's pool without threads or a server, for tests of the scheduler's rules: offers
// wait until the test starts them, and end as the test says, all on the test's thread.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "downloader/TransferPool.h"

namespace vexilo::test {

class FakeTransferPool {
 public:
  // The scheduler's pool: a view of this one, which must outlive it.
  PoolMaker Maker();

  // Starts offers, in order, while fewer than the most allowed run; their Started runs now.
  void StartWhatFits();
  // Ends the running download of url as result says; its report and SlotsFreed run now.
  void End(const std::string& url, const DownloadResult& result);
  static DownloadResult Fetched();
  // One that failed for a reason worth another try.
  static DownloadResult Transient(const std::string& reason);

  std::vector<std::string> Running() const;  // their addresses, in the order started
  std::size_t Offered() const { return mOffered.size(); }

 private:
  class View;

  PoolLinks mLinks;
  int mMostRunning = 3;
  std::deque<std::pair<std::uint64_t, DownloadRequest>> mOffered;
  std::map<std::uint64_t, DownloadRequest> mRunning;
  std::vector<std::uint64_t> mStartOrder;
};

}  // namespace vexilo::test

#pragma once
// Whether a site's robots.txt lets Vexilo fetch an address, for the polite crawl's pages and
// pictures. Main thread only; the fetching itself may happen elsewhere.

#include <functional>
#include <string>

namespace vexilo {

class RobotsCheck {
 public:
  // Lets the main window run while the check waits; false once the wait must end (stop).
  using KeepWaiting = std::function<bool()>;

  virtual ~RobotsCheck() = default;
  // The first address of a site (scheme, host and port) fetches its robots.txt, calling
  // keepWaiting while it waits (none: waits without), and keeps it until Forget. False for
  // an address its site forbids, and when keepWaiting said no before the answer came.
  virtual bool Allows(const std::string& address, const KeepWaiting& keepWaiting) = 0;
  // A new crawl reads every robots.txt afresh.
  virtual void Forget() = 0;
};

}  // namespace vexilo

#pragma once
// The real-size filter's probe: one ranged GET per candidate picture for its first bytes,
// several at once on a worker thread, with the proxy, credentials, redirection rule and
// session the picture's download will use. Only a 200, or a 206 from byte 0, is read, and
// only until the size is known or the bytes are no picture. ReadSizes is for the main thread.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/AppSettings.h"
#include "core/BrowserSession.h"
#include "core/PictureSizeProbe.h"
#include "core/TaskRecord.h"

namespace vexilo {

// When a probe gives up on a picture; tests shorten them.
struct ProbeLimits {
  std::chrono::milliseconds ConnectTimeout{10000};
  std::chrono::milliseconds TotalTime{20000};
  // Asked for with Range, and all that is read from a server that sends the whole picture.
  std::size_t MaxBytes = 64 * 1024;
  std::size_t MostAtOnce = 8;
};

struct ProbeBatch;

class HeaderSizeProbe : public PictureSizeProbe {
 public:
  // settings (the main window's) and task (the running one, whose site alone gets the
  // credentials) are read afresh by every ReadSizes.
  HeaderSizeProbe(const AppSettings& settings, const TaskRecord& task, ProbeLimits limits = {});
  // Waits for a batch that a stop left behind.
  ~HeaderSizeProbe() override;
  HeaderSizeProbe(const HeaderSizeProbe&) = delete;
  HeaderSizeProbe& operator=(const HeaderSizeProbe&) = delete;

  // With AdvancedSettings::BrowserSession on, each probe from then on carries the session's
  // cookies for its address, its user agent and the page as Referer, as the picture's download
  // would. session (null: none) must outlive the probe.
  void SetBrowserSession(const BrowserSession* session) { mSession = session; }

  std::vector<std::optional<PictureDimensions>> ReadSizes(const std::vector<std::string>& addresses,
                                                          const std::string& page,
                                                          const KeepWaiting& keepWaiting) override;

 private:
  void FinishAbandoned();

  const AppSettings& mSettings;
  const TaskRecord& mTask;
  const BrowserSession* mSession = nullptr;
  ProbeLimits mLimits;
  // A batch given up on by a stop ends within moments on its own; it is joined before the
  // next one starts, so that at most one runs.
  std::thread mAbandoned;
};

}  // namespace vexilo

#pragma once
// Reads the real sizes of a page's candidate pictures before they are queued, for the
// real-size filter. Main thread only; the reading itself may happen elsewhere.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/PictureHeader.h"

namespace vexilo {

class PictureSizeProbe {
 public:
  // Lets the main window run while the probe waits; false once the wait must end (stop).
  using KeepWaiting = std::function<bool()>;

  virtual ~PictureSizeProbe() = default;
  // The size of each address, all found on page, in order, nullopt where it could not be
  // read. Calls keepWaiting while it waits and returns as soon as that says no, the unread
  // ones nullopt.
  virtual std::vector<std::optional<PictureDimensions>> ReadSizes(
      const std::vector<std::string>& addresses, const std::string& page,
      const KeepWaiting& keepWaiting) = 0;
};

}  // namespace vexilo

#pragma once
// EventPump on the Qt event loop of the main thread.

#include "core/EventPump.h"

namespace vexilo {

class QtEventPump : public EventPump {
 public:
  void ProcessEvents() override;
  Clock::time_point Now() override;
};

}  // namespace vexilo

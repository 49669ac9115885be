#include "platform/QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace vexilo {
namespace {
constexpr int kLongestSleepMs = 20;
}

void QtEventPump::ProcessEvents() {
  // processEvents with a time limit returns at once when nothing is pending, so a timer
  // bounds the sleep of WaitForMoreEvents instead.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(kLongestSleepMs);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

EventPump::Clock::time_point QtEventPump::Now() { return Clock::now(); }

}  // namespace vexilo

#include "support/EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace vexilo::test {

bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < limit.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}

}  // namespace vexilo::test

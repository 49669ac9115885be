#include "platform/QtMainThread.h"

#include <QThread>

namespace vexilo {

QtMainThread::QtMainThread(QObject* context) : mContext(context) {}

void QtMainThread::RunAndWait(const std::function<void()>& work) {
  QObject* context = mContext.data();
  if (context == nullptr) return;
  if (QThread::currentThread() == context->thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(
      context, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

void QtMainThread::Post(std::function<void()> work) {
  QObject* context = mContext.data();
  if (context == nullptr) return;
  QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}

}  // namespace vexilo

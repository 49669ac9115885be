#pragma once
// MainThread through Qt's queued calls on an object that lives on the main thread.

#include <QObject>
#include <QPointer>

#include "core/MainThread.h"

namespace vexilo {

class QtMainThread : public MainThread {
 public:
  // context must live on the main thread; work is dropped once it is destroyed.
  explicit QtMainThread(QObject* context);

  void RunAndWait(const std::function<void()>& work) override;
  void Post(std::function<void()> work) override;

 private:
  QPointer<QObject> mContext;
};

}  // namespace vexilo

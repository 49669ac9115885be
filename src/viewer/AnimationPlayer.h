#pragma once
// Plays the shown picture when it is animated: its frames one after the other, each as long
// as the file says, decoded as they come so that a long animation holds one canvas. The first
// frame is on screen already (the viewer's own decode); playing goes on from the second.
// Main thread only.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "pictures/PictureAnimation.h"
#include "viewer/ViewerPictureCache.h"

namespace vexilo {

class AnimationPlayer : public QObject {
 public:
  using ShowFrame = std::function<void(SharedPicture frame)>;
  explicit AnimationPlayer(ShowFrame show, QObject* parent = nullptr);

  // Plays path when it is animated, after whatever played before.
  void Play(const std::string& path);
  void Stop();
  bool Playing() const { return mAnimation != nullptr; }

 private:
  void Step();

  ShowFrame mShow;
  QTimer mTimer;
  std::unique_ptr<PictureAnimation> mAnimation;
  bool mFirstShown = false;  // the first frame is the viewer's
};

}  // namespace vexilo

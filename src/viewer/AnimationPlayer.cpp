#include "viewer/AnimationPlayer.h"

#include <exception>
#include <utility>

#include "pictures/ColourProfile.h"

namespace vexilo {

AnimationPlayer::AnimationPlayer(ShowFrame show, QObject* parent)
    : QObject(parent), mShow(std::move(show)) {
  mTimer.setSingleShot(true);
  mTimer.setTimerType(Qt::PreciseTimer);
  connect(&mTimer, &QTimer::timeout, this, &AnimationPlayer::Step);
}

void AnimationPlayer::Play(const std::string& path) {
  Stop();
  mAnimation = OpenAnimation(path);
  if (!mAnimation) return;
  mFirstShown = false;
  // The first frame's time counts once the picture is painted.
  mTimer.start(0);
}

void AnimationPlayer::Stop() {
  mTimer.stop();
  mAnimation.reset();
}

void AnimationPlayer::Step() {
  if (!mAnimation) return;
  std::optional<AnimationFrame> frame;
  try {
    frame = mAnimation->Next();
  } catch (const std::exception&) {
    // A damaged frame ends the playing; what is shown stays.
  }
  if (!frame) {
    Stop();
    return;
  }
  if (mFirstShown) {
    auto shown = std::make_shared<Bitmap24>(*frame->Canvas);
    // In the colours the first frame was shown in, or the picture would flicker.
    ConvertForScreen(frame->ColourProfile, *shown);
    mShow(std::move(shown));
  }
  mFirstShown = true;
  mTimer.start(frame->Delay);
}

}  // namespace vexilo

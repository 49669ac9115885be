#include "shell/AppIcon.h"

namespace vexilo {

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/vexilo/icons/%1/vexilo.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace vexilo

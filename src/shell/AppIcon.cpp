#include "shell/AppIcon.h"

namespace vexilo {

QIcon AppIcon() { return QIcon(QStringLiteral(":/vexilo/vexilo.png")); }

}  // namespace vexilo

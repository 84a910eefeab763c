#include "res/Resources.h"

namespace Netrove {

QIcon ApplicationIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/netrove/netrove-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/netrove/netrove-32.png"), QSize(32, 32));
    return icon;
}

} // namespace Netrove

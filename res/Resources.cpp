#include "res/Resources.h"

namespace Netrove {

QIcon ApplicationIcon()
{
    return QIcon(QStringLiteral(":/netrove/netrove.png"));
}

} // namespace Netrove

#include "res/Strings.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Netrove {

QString LoadString(int id)
{
    switch (id) {
    case IDS_ABOUTBOX:
        return QStringLiteral("Netrove Information(&A)");
    case IDS_COLUMN_PROTOCOL:
        return QStringLiteral("Protocol");
    case IDS_SOCKET_FAILURE:
        return QStringLiteral("Failure Windows Socket");
    case IDS_COLUMN_MAC:
        return QStringLiteral("MAC Address");
    case IDS_COLUMN_IP:
        return QStringLiteral("IP Address");
    case IDS_COLUMN_NO:
        return QStringLiteral("No");
    case IDS_COLUMN_DEVICE_NAME:
        return QStringLiteral("Device Name");
    case IDS_COLUMN_MODE:
        return QStringLiteral("Mode");
    case IDS_UPNP_STATUS:
        return QStringLiteral("UPnP Status");
    case IDS_COLUMN_URL:
        return QStringLiteral("URL");
    case IDS_COLUMN_ALIAS:
        return QStringLiteral("Alias");
    }
    return {};
}

QString ApplicationCaption()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("netrove") : QFileInfo(path).completeBaseName();
}

} // namespace Netrove

#include "engine/SettingResultText.h"

namespace Netrove {

QString SettingResultText(ReplyAction action)
{
    switch (action) {
    case ReplyAction::InvalidPassword:
        return QStringLiteral("Invalid Password!");
    case ReplyAction::PortMappingError:
        return QStringLiteral("Port Mapping Error");
    case ReplyAction::RouterConnectError:
        return QStringLiteral("Router Connect Error!");
    case ReplyAction::UnknownResult:
        return QStringLiteral("Error!");
    case ReplyAction::Drop:
    case ReplyAction::AddRow:
    case ReplyAction::SettingApplied:
    case ReplyAction::UnaskedResult:
        break;
    }
    return {};
}

} // namespace Netrove

#include "manualset/ManualSetPlan.h"

#include "autoset/AutoSetRequest.h"
#include "manualset/ManualSettingsValidation.h"

namespace Netrove {

PortFieldLayout ManualSetPortFields(PacketKind kind, PortGroup group)
{
    if (!IsCameraKind(kind))
        return {2, true};
    switch (group) {
    case PortGroup::SixPortBlock:
        return {6, false};
    case PortGroup::ServicePortOnly:
        return {1, true};
    case PortGroup::HttpDlxPair:
        break;
    }
    return {2, true};
}

std::optional<std::string> ValidateManualSetInput(PacketKind kind, PortGroup group,
                                                  const ManualSetInput& input)
{
    const ManualSettingValues values{
        .kind = IsCameraKind(kind) ? SettingKind::Camera : SettingKind::Recorder,
        .group = group,
        .mode = input.addressMode,
        .ip = input.ipAddress,
        .mask = input.subnetMask,
        .gateway = input.gateway,
        .http = input.ports[0],
        .second = input.ports[1],
    };
    return ValidateManualSettings(values);
}

std::optional<QString> PasswordRefusal(const QString& password, PacketKind kind)
{
    const int limit = ManualSetPasswordLimit(kind);
    if (password.size() > limit)
        return QStringLiteral("The password is longer than the device takes (%1 characters)").arg(limit);
    if (QString::fromLatin1(password.toLatin1()) != password)
        return QStringLiteral("The password may hold single-byte characters only");
    return std::nullopt;
}

} // namespace Netrove

#include "engine/ChangeVerification.h"

#include "discovery/DottedQuad.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

namespace Netrove {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool SameAddress(const QString& a, const QString& b)
{
    const std::optional<Ipv4Octets> left = ParseDottedQuad(a.toStdString());
    const std::optional<Ipv4Octets> right = ParseDottedQuad(b.toStdString());
    if (left && right)
        return *left == *right;
    return a == b;
}

} // namespace

std::optional<SettingChange> ReadSettingChange(std::span<const std::uint8_t> request)
{
    constexpr PacketKind k = kSettingRequestLayout;
    if (request.size() < ShortFormSize(k))
        return std::nullopt;
    SettingChange change;
    change.mac = Latin1(ReadText(k, request, PacketField::MacAddress));
    change.addressMode = ReadByte(k, request, PacketField::AddressMode);
    change.ipAddress = Latin1(ReadText(k, request, PacketField::IpAddress));
    return change;
}

std::optional<ChangeVerdict> CheckAnswer(const SettingChange& change, const QString& replyMac,
                                         const QString& replyAddress)
{
    if (replyMac != change.mac)
        return std::nullopt;
    ChangeVerdict verdict{ChangeOutcome::NowAt, change.mac, change.ipAddress, replyAddress};
    const bool staticAddress = change.addressMode == static_cast<std::uint8_t>(AddressMode::Static);
    if (staticAddress && !SameAddress(replyAddress, change.ipAddress))
        verdict.outcome = ChangeOutcome::AnsweredWithOther;
    return verdict;
}

ChangeVerdict NoAnswerVerdict(const SettingChange& change)
{
    return {ChangeOutcome::NoAnswer, change.mac, change.ipAddress, {}};
}

QString ChangeOutcomeText(const ChangeVerdict& verdict)
{
    switch (verdict.outcome) {
    case ChangeOutcome::NowAt:
        return QStringLiteral("now at %1").arg(verdict.reportedAddress);
    case ChangeOutcome::AnsweredWithOther:
        return QStringLiteral("answered with %1, not %2").arg(verdict.reportedAddress, verdict.sentAddress);
    case ChangeOutcome::NoAnswer:
        break;
    }
    return QStringLiteral("did not answer after the change");
}

QString ChangeVerdictText(const ChangeVerdict& verdict)
{
    return verdict.mac + QLatin1Char(' ') + ChangeOutcomeText(verdict);
}

} // namespace Netrove

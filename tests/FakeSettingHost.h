#pragma once

#include "autoset/SettingHost.h"
#include "discovery/PacketLayout.h"

#include <QStringList>

#include <cstdint>
#include <span>
#include <vector>

namespace Netrove::Testing {

// The main window as a setting dialog sees it; it records requests instead of sending them.
class FakeSettingHost final : public SettingHost
{
public:
    void SetStatusText(const QString& text) override { statusTexts << text; }
    void SendCameraPacket(std::span<std::uint8_t> p) override { camera.emplace_back(p.begin(), p.end()); }
    void SendRecorderPacket(std::span<std::uint8_t> p) override { recorder.emplace_back(p.begin(), p.end()); }
    void DisableSettingButtons() override { ++disableCalls; }

    bool NothingDone() const
    {
        return statusTexts.isEmpty() && camera.empty() && recorder.empty() && disableCalls == 0;
    }

    QStringList statusTexts;
    std::vector<std::vector<std::uint8_t>> camera;
    std::vector<std::vector<std::uint8_t>> recorder;
    int disableCalls = 0;
};

// The bytes of a setting request outside the fields a setting dialog writes, as "offset=value"; the
// tag (the sender's), the reserved bytes, model, URL and alias must stay 0.
inline QString StrayBytes(const std::vector<std::uint8_t>& request)
{
    std::vector<bool> named(request.size(), false);
    for (PacketField field :
         {PacketField::Opcode, PacketField::MacAddress, PacketField::IpAddress, PacketField::SubnetMask,
          PacketField::Gateway, PacketField::Password, PacketField::WebPort, PacketField::HttpPort,
          PacketField::DlxPort, PacketField::TcpPort, PacketField::UdpPort, PacketField::UploadPort,
          PacketField::MulticastPort, PacketField::AddressMode}) {
        const FieldPlace place = *FieldOf(PacketKind::KindCamera, field);
        for (std::size_t i = place.offset; i < place.end() && i < request.size(); ++i)
            named[i] = true;
    }
    QString stray;
    for (std::size_t i = 0; i < request.size(); ++i) {
        if (!named[i] && request[i] != 0)
            stray += QStringLiteral("%1=%2 ").arg(i).arg(request[i]);
    }
    return stray;
}

} // namespace Netrove::Testing

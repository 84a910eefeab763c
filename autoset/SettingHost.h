#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace Netrove {

// What a setting dialog needs of the main window: the status line, the two channels a request goes
// out on, and the "Auto Set" and "Manual Set" buttons.
class SettingHost
{
public:
    virtual ~SettingHost() = default;

    virtual void SetStatusText(const QString& text) = 0;
    // The sender writes the instance's tag into the request before it broadcasts it.
    virtual void SendCameraPacket(std::span<std::uint8_t> packet) = 0;
    virtual void SendRecorderPacket(std::span<std::uint8_t> packet) = 0;
    // A request is on its way: the buttons stay off until a row is chosen again.
    virtual void DisableSettingButtons() = 0;

    // What every confirmed setting dialog does: the buttons off, the status line, the request out
    // on the device's channel.
    void SendSettingRequest(bool camera, std::span<std::uint8_t> request, const QString& status)
    {
        DisableSettingButtons();
        SetStatusText(status);
        if (camera)
            SendCameraPacket(request);
        else
            SendRecorderPacket(request);
    }

protected:
    SettingHost() = default;
    SettingHost(const SettingHost&) = default;
    SettingHost& operator=(const SettingHost&) = default;
};

} // namespace Netrove

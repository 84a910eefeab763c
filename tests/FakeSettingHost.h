#pragma once

#include "autoset/SettingHost.h"

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

} // namespace Netrove::Testing

#pragma once

#include <Qt>

#include <array>

namespace Netrove {

enum DeviceListColumn
{
    ColumnNo = 0,
    ColumnDeviceName = 1,
    ColumnAlias = 2,
    ColumnMode = 3,
    ColumnMac = 4,
    ColumnIp = 5,
    ColumnProtocol = 6,
    ColumnUrl = 7,
    ColumnCount = 8,
};

struct DeviceListColumnLayout
{
    int titleId; // string table entry
    Qt::Alignment alignment;
    int width; // pixels
};

inline constexpr std::array<DeviceListColumnLayout, ColumnCount> kDeviceListColumns{{
    {106, Qt::AlignCenter, 40},
    {107, Qt::AlignCenter, 100},
    {111, Qt::AlignCenter, 100},
    {108, Qt::AlignCenter, 70},
    {104, Qt::AlignCenter, 120},
    {105, Qt::AlignCenter, 100},
    {102, Qt::AlignCenter, 80},
    {110, Qt::AlignLeft | Qt::AlignVCenter, 220},
}};

} // namespace Netrove

#include "discovery/PacketLayout.h"

#include <array>

namespace Netrove {

namespace {

constexpr int kNone = -1;

struct FieldRow
{
    PacketField field;
    // Index 0: camera, 1: IPv6 camera, 2: recorder; kNone where the layout lacks the field.
    std::array<int, 3> offset;
    std::array<int, 3> size;
};

// clang-format off
constexpr std::array<FieldRow, 23> kFieldTable{{
    // field                                 camera  IPv6  recorder       sizes
    {PacketField::Prefix,                  {kNone, kNone,   0}, {  0,   0,   4}},
    {PacketField::Opcode,                  {    0,     0,   4}, {  1,   1,   1}},
    {PacketField::ClientTag,               {    1,     1,   5}, { 18,  18,  18}},
    {PacketField::MacAddress,              {   19,    19,  23}, { 18,  18,  18}},
    {PacketField::IpAddress,               {   37,    37,  41}, { 16,  16,  16}},
    {PacketField::SubnetMask,              {   53,    53,  57}, { 16,  16,  16}},
    {PacketField::Gateway,                 {   69,    69,  73}, { 16,  16,  16}},
    {PacketField::Ipv6Address,             {kNone,    85, kNone}, {0,  40,   0}},
    {PacketField::Password,                {   85,   125,  89}, { 20,  20,  20}},
    {PacketField::ReservedBeforeWebPort,   {  105,   145, 109}, {  1,   1,   1}},
    {PacketField::WebPort,                 {  106,   146, 110}, {  2,   2,   2}},
    {PacketField::ReservedAfterWebPort,    {  108,   148, 112}, {  1,   1,   1}},
    {PacketField::ModelName,               {  109,   149, 113}, { 11,  11,  11}},
    {PacketField::HttpPort,                {  120,   160, 124}, {  2,   2,   2}},
    {PacketField::DlxPort,                 {  122,   162, 126}, {  2,   2,   2}},
    {PacketField::TcpPort,                 {  124,   164, 128}, {  2,   2,   2}},
    {PacketField::UdpPort,                 {  126,   166, 130}, {  2,   2,   2}},
    {PacketField::UploadPort,              {  128,   168, 132}, {  2,   2,   2}},
    {PacketField::MulticastPort,           {  130,   170, 134}, {  2,   2,   2}},
    {PacketField::AddressMode,             {  132,   172, 136}, {  1,   1,   1}},
    {PacketField::Url,                     {  133,   173, 137}, {128, 128, 128}},
    {PacketField::SettingAllowed,          {kNone, kNone, 265}, {  0,   0,   1}},
    {PacketField::Alias,                   {  261,   301, 266}, { 65,  65,  68}},
}};
// clang-format on

struct FormRow
{
    std::size_t shortForm;
    std::size_t longForm;
    std::size_t aliasTerminator; // the NUL the reply handling forces into a full-size alias
};

constexpr std::array<FormRow, 3> kForms{{{262, 326, 324}, {302, 366, 364}, {0, 334, 333}}};

constexpr std::size_t LayoutIndex(PacketKind kind)
{
    switch (kind) {
    case PacketKind::KindCamera:
        return 0;
    case PacketKind::KindCameraIPv6:
        return 1;
    case PacketKind::KindRecorder:
        return 2;
    }
    return 0;
}

} // namespace

std::optional<FieldPlace> FieldOf(PacketKind kind, PacketField field)
{
    const std::size_t layout = LayoutIndex(kind);
    for (const FieldRow& row : kFieldTable) {
        if (row.field != field)
            continue;
        if (row.offset[layout] == kNone)
            return std::nullopt;
        return FieldPlace{static_cast<std::size_t>(row.offset[layout]),
                          static_cast<std::size_t>(row.size[layout])};
    }
    return std::nullopt;
}

std::size_t ShortFormSize(PacketKind kind)
{
    return kForms[LayoutIndex(kind)].shortForm;
}

std::size_t LongFormSize(PacketKind kind)
{
    return kForms[LayoutIndex(kind)].longForm;
}

std::size_t AliasTerminatorOffset(PacketKind kind)
{
    return kForms[LayoutIndex(kind)].aliasTerminator;
}

} // namespace Netrove

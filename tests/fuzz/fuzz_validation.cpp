// What the Manual Setting dialog holds when the user presses OK, every field drawn from the input:
// the port fields' texts, the model name that picks the port fields, the six-port block's stepping
// and the rules that refuse a setting before it is sent.

#include "FuzzBytes.h"
#include "FuzzRequire.h"

#include "manualset/LeadingNumber.h"
#include "manualset/ManualSettingsValidation.h"
#include "manualset/PortBlockStepping.h"
#include "manualset/PortGroup.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Netrove;
using Fuzz::Require;

namespace {

// A field's text as the C library reads it, held to int's range.
int ReferenceLeadingNumber(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int ReadField(const std::string& text)
{
    const int value = ReadLeadingNumber(text);
    Require(value == ReferenceLeadingNumber(text), "a field reads as the C library reads it");
    return value;
}

void RequireBlock(const std::array<int, 6>& ports)
{
    for (const int port : ports)
        Require(port > 0 && port <= 65535, "a stepped block holds ports only");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::FuzzBytes bytes(data, size);
    ManualSettingValues values;
    const std::uint8_t choice = bytes.Byte();
    values.kind = (choice & 0x01) == 0 ? SettingKind::Camera : SettingKind::Recorder;
    values.mode = bytes.Int();
    for (Ipv4Octets* octets : {&values.ip, &values.mask, &values.gateway})
        for (std::uint8_t& octet : *octets)
            octet = bytes.Byte();
    const std::string model = bytes.Text();
    values.group = ClassifyModel(model);
    Require(values.group == ClassifyModel(model.substr(0, std::min(model.find('\0'), std::size_t{10}))),
            "only the model name's first ten bytes up to its NUL count");
    values.http = ReadField(bytes.Text());
    values.second = ReadField(bytes.Text());
    const int change = bytes.Int();
    const int rawHttp = bytes.Int();
    const int rawSecond = bytes.Int();

    const std::optional<std::string> failure = ValidateManualSettings(values);
    Require(!failure || !failure->empty(), "a refusal says why");

    // Numbers a field cannot show from text alone still must not upset the rules.
    values.http = rawHttp;
    values.second = rawSecond;
    (void)ValidateManualSettings(values);

    if (values.group == PortGroup::SixPortBlock) {
        RequireBlock(StepPortBlock(rawHttp, change));
        for (const int step : {-1, 1}) {
            const std::array<int, 6> ports = StepPortBlock(rawHttp, step);
            RequireBlock(ports);
            RequireBlock(StepPortBlock(ports[0], -step));
        }
    }
    return 0;
}

#include "manualset/PortGroup.h"

#include <algorithm>
#include <array>

namespace Netrove {

namespace {

constexpr std::array<std::string_view, 16> kSixPortBlockModels = {
    "QMR-A4102", "QMR-A7180", "QMR-K610", "QMR-E8251", "QMR-A4163", "QMR-A4167", "QMR-A7124", "QMR-A7196",
    "QMR-E9032", "QMR-E9532", "QMT-6400", "QMT-6800",  "QMW-5120",  "QMY-5120",  "QMW-5120F", "QMW-5121",
};

constexpr std::array<std::string_view, 8> kServicePortOnlyModels = {
    "QMZ-4470", "QMZ-4470GX", "QMR-2600", "QMR-880", "QMZ-4910", "QMZ-4020", "QMZ-4020F", "QMZ-4060",
};

// As many bytes of the model name as the device list shows in its "Device Name" column, so that a
// camera is grouped by the name the installer sees.
constexpr std::size_t kModelNameBytes = 10;

template <std::size_t N> bool Lists(const std::array<std::string_view, N>& models, std::string_view name)
{
    return std::find(models.begin(), models.end(), name) != models.end();
}

} // namespace

PortGroup ClassifyModel(std::string_view modelName)
{
    std::string_view name = modelName.substr(0, kModelNameBytes);
    name = name.substr(0, name.find('\0'));
    if (Lists(kSixPortBlockModels, name))
        return PortGroup::SixPortBlock;
    if (Lists(kServicePortOnlyModels, name))
        return PortGroup::ServicePortOnly;
    return PortGroup::HttpDlxPair;
}

} // namespace Netrove

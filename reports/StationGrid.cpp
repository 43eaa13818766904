#include "reports/StationGrid.h"

#include <cmath>

namespace fw {
namespace {

// Beyond this a coordinate is no place on the globe: its cell number could not be formed.
constexpr double kFarOff = 1000.0;
// A circle spanning more cells than this is left to the full test.
constexpr double kMostCellsAcross = 32.0;

bool Placeable(double degrees) { return std::isfinite(degrees) && std::fabs(degrees) <= kFarOff; }

}  // namespace

std::uint64_t StationGrid::Key(std::int64_t row, std::int64_t column) {
    return (static_cast<std::uint64_t>(row) << 32) ^ static_cast<std::uint32_t>(column);
}

StationGrid::StationGrid(const std::vector<StationPlace>& stations) : stations_(stations.size()) {
    const double radiusMetres = kStationRadiusKm * 1000.0;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const double lat = stations[i].latitude, lng = stations[i].longitude;
        // Inside means the north-south part alone is below the radius, and the east-west part
        // too, with the cosine of the mean latitude, which lies within that first bound.
        const double halfLat = radiusMetres / kMetresPerDegree * 1.01;
        const double cosine = std::cos((std::fabs(lat) + 2 * halfLat) * kDegreesToRadians);
        const bool placed = Placeable(lat) && Placeable(lng) && std::fabs(lat) <= 89.0 &&
                            std::fabs(lat) >= kDegenerateCoordinate &&
                            std::fabs(lng) >= kDegenerateCoordinate && cosine > 0.01;
        const double halfLng = placed ? radiusMetres / (kMetresPerDegree * cosine) * 1.01 : 0.0;
        if (!placed || 2 * halfLng / kCellDegrees > kMostCellsAcross) {
            always_.push_back(i);
            continue;
        }
        const auto south = static_cast<std::int64_t>(std::floor((lat - halfLat) / kCellDegrees));
        const auto north = static_cast<std::int64_t>(std::floor((lat + halfLat) / kCellDegrees));
        const auto west = static_cast<std::int64_t>(std::floor((lng - halfLng) / kCellDegrees));
        const auto east = static_cast<std::int64_t>(std::floor((lng + halfLng) / kCellDegrees));
        for (std::int64_t row = south; row <= north; ++row)
            for (std::int64_t column = west; column <= east; ++column)
                cells_[Key(row, column)].push_back(i);
    }
}

void StationGrid::Candidates(double latitude, double longitude,
                             std::vector<std::size_t>& out) const {
    // A fix near 0 the distance puts at every station.
    if (std::fabs(latitude) < kDegenerateCoordinate || std::fabs(longitude) < kDegenerateCoordinate) {
        for (std::size_t i = 0; i < stations_; ++i) out.push_back(i);
        return;
    }
    out.insert(out.end(), always_.begin(), always_.end());
    // A fix off the globe is near no station the grid holds.
    if (!Placeable(latitude) || !Placeable(longitude)) return;
    const auto row = static_cast<std::int64_t>(std::floor(latitude / kCellDegrees));
    const auto column = static_cast<std::int64_t>(std::floor(longitude / kCellDegrees));
    if (const auto it = cells_.find(Key(row, column)); it != cells_.end())
        out.insert(out.end(), it->second.begin(), it->second.end());
}

}  // namespace fw

#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "reports/Detection.h"

namespace fw {

// Which of a route's stations a fix can lie inside of, without testing it against all of them:
// each station is filed under the cells of a coarse grid (0.002 degree square) that its circle's
// bounding box touches, drawn with a margin around what the flat-earth distance allows. A
// station the grid cannot place (a coordinate near 0 that the distance treats as 0, near a pole,
// not finite or far off the globe) is always a candidate, and a fix near 0 has every station
// for candidate. So every station that IsInsideStation would find a fix inside of is among the
// fix's candidates.
class StationGrid {
public:
    explicit StationGrid(const std::vector<StationPlace>& stations);

    // Adds the candidates of a fix to `out` (unsorted; a station at most once per call).
    void Candidates(double latitude, double longitude, std::vector<std::size_t>& out) const;

private:
    static constexpr double kCellDegrees = 0.002;
    static std::uint64_t Key(std::int64_t row, std::int64_t column);

    std::size_t stations_;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells_;
    std::vector<std::size_t> always_;
};

}  // namespace fw

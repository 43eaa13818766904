#pragma once

#include <string_view>
#include <vector>

#include "reports/TrackPoint.h"

namespace fw {

// Reads the track service's reply body into its points, in reply order, in one pass over the
// text (no document tree: a day's reply is large). Not JSON, a `result`
// that does not read as true, or no `topics`: no points. Each coordinate term is rounded to six
// decimals before the correction is added; null or missing terms are 0. A point whose
// coordinate is a string, array or object cannot be placed and is left out.
std::vector<TrackPoint> ReadTrackPoints(std::string_view body);

}  // namespace fw

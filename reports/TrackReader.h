#pragma once

#include <json/value.h>

#include <string_view>
#include <vector>

#include "reports/TrackPoint.h"

namespace fw {

// Reads the track service's reply body into its points, in reply order. Not JSON, a `result`
// that does not read as true, or no `topics`: no points. Each coordinate term is rounded to six
// decimals before the correction is added; null or missing terms are 0. A point whose
// coordinate is a string, array or object cannot be placed and is left out; a time that is not
// a string reads as empty.
//
// What JsonCpp (as the receive path configures it) accepts is read, and nothing else: a reply is
// read with simdjson, and one that simdjson refuses (comments, numbers like "1." or "+3", broken
// surrogates, invalid UTF-8) is read again with JsonCpp.
std::vector<TrackPoint> ReadTrackPoints(std::string_view body);

// The same rules over a reply JsonCpp has already parsed.
std::vector<TrackPoint> TrackPointsOf(const Json::Value& reply);

}  // namespace fw

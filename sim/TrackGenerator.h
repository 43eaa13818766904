#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/Geo.h"
#include "sim/Scenario.h"

namespace fw::sim {

// One GPS fix as the track service reports it: raw position plus the correction that moves it
// onto the map (lat + lat_xz, lng + lng_xz). A fix without satellite lock reads 0, 0.
struct Fix {
    long long gpsTime = 0;      // seconds, see ParseSeconds
    long long receiveTime = 0;
    double lat = 0, latXz = 0, lng = 0, lngXz = 0;
};

// Where the vehicle is at a given moment, noise-free; also tells whether the moment is well clear
// of every station circle (gaps and dead fixes are only placed there).
struct Keyframe {
    long long t = 0;  // milliseconds
    GeoPoint p;
    bool far = true;  // at least 150 m from the station it belongs to
};

class VehicleTrack {
public:
    std::vector<Keyframe> keyframes;
    std::vector<Fix> fixes;  // in time order

    // Position at a time (seconds); before the first keyframe or after the last the vehicle is
    // parked where it starts or ends. Nothing when the vehicle has no trips.
    std::optional<GeoPoint> PositionAt(double seconds) const;
};

// The speed at which vehicles cross station circles and the distance of the stand where they wait
// between trips, exposed for tests.
constexpr double kEdgeSpeed = 7.0;
constexpr double kLayoverDistance = 350.0;

// The track of one vehicle on the scenario date, made from its trips' true times: it enters each
// station's 50 m circle exactly at trueReach and leaves it exactly at trueLeave, drives in straight
// lines between stations, waits between trips at a stand beyond the terminus, and reports a fix
// every few seconds with a few metres of noise, some gaps and some dead fixes away from stations.
std::shared_ptr<const VehicleTrack> GenerateTrack(const Scenario& scenario, const std::string& plate);
// The same for the trips of any day (those with true times): the vehicle's trips among them.
std::shared_ptr<const VehicleTrack> GenerateTrack(const Scenario& scenario, const std::vector<Trip>& trips,
                                                  const std::string& plate, const std::string& date);

}  // namespace fw::sim

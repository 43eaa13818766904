#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <json/value.h>

namespace fw::sim {

// Everything the simulated dispatch server knows. Texts are UTF-8; date-times are
// "yyyy-MM-dd HH:mm:ss", dates "yyyy-MM-dd".

struct User {
    std::string name;
    std::string password;
};

struct Group {
    std::string id;
    std::string name;
};

struct Vehicle {
    std::string id;
    std::string code;   // the plate
    std::string group;  // group name
};

// A stop on the map. Lines refer to stations by id; the map page offers all of them.
struct Station {
    std::string id;
    std::string name;
    double lat = 0;
    double lng = 0;
};

struct LineStop {
    std::string stationId;
    int minutes = 0;  // planned run time from the previous stop (0 for the first)
};

struct Line {
    std::string id;
    std::string name;
    std::string counterdis;   // total length, km "%0.2f"
    std::string countertime;  // total time "%02d:%02d"
    std::string user;         // who drew it; empty for the built-in lines
    std::vector<LineStop> stops;
};

struct TimetableEntry {
    std::string batch;
    std::string starttime;  // "HH:mm" or "HH:mm:ss"
    std::string linename;
    std::string flag = "0";  // "0" runs the line forward, "1" backward
};

struct Assignment {
    std::string date;
    std::string batch;
    std::string carcode;
};

struct Schedule {
    std::string name;
    std::string startDate;
    std::string endDate;
    std::string user;
    std::vector<TimetableEntry> timetable;
    std::vector<Assignment> content;
};

// One planned stop event and, on the scenario date, when the vehicle really crossed the
// 50-metre circle of the station inward (trueReach) and outward (trueLeave).
struct StopEvent {
    std::string stationId;
    std::string planReach;
    std::string planLeave;
    std::string trueReach;  // empty when the vehicle never came
    std::string trueLeave;
};

struct Trip {
    std::string vehicle;  // plate
    std::string batch;
    std::string line;  // line name
    std::string date;
    std::string flag = "0";
    std::vector<StopEvent> stops;
};

struct TrackSettings {
    int intervalSeconds = 5;
    double noiseMetres = 3.0;
    double latCorrection = -0.00235;  // lat_xz: raw + correction = map position
    double lngCorrection = 0.00462;
};

struct Scenario {
    std::uint64_t seed = 1;
    std::string date;
    std::vector<User> users;
    std::vector<Group> groups;
    std::vector<Vehicle> vehicles;
    std::vector<Station> stations;
    std::vector<Line> lines;
    std::vector<Schedule> schedules;
    std::vector<Trip> trips;  // the scenario date's trips with their true times
    TrackSettings track;

    const Station* FindStation(const std::string& id) const;
    const Line* FindLineByName(const std::string& name) const;
    const Line* FindLineById(const std::string& id) const;
    // By id when given, otherwise by plate.
    const Vehicle* FindVehicle(const std::string& id, const std::string& code) const;
    const User* FindUser(const std::string& name) const;
};

// The file format is the JSON that ScenarioToJson writes. Returns nothing and sets *error when
// the document is not a usable scenario (unknown station ids, bad dates, missing names...).
std::optional<Scenario> ScenarioFromJson(const Json::Value& root, std::string* error);
Json::Value ScenarioToJson(const Scenario& scenario);
// One station as the scenario file and the map feed both write it.
Json::Value StationToJson(const Station& station);
// The file text: indented, UTF-8, coordinates with no more digits than they have.
std::string DumpScenario(const Scenario& scenario);
std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string* error);

// Shifts the trips (and the scenario date) by whole days so that a saved scenario can be
// replayed on another day.
void MoveScenarioToDate(Scenario& scenario, const std::string& date);

// Length of a line in km and planned run time in minutes, from its stations.
double LineLengthKm(const Scenario& scenario, const Line& line);
std::string FormatLineTime(int minutes);

}  // namespace fw::sim

#pragma once

#include <string>
#include <vector>

namespace fw {

struct FleetOptions;
class VehicleStore;

// One vehicle on one day: the unit a fleet report is computed, listed and counted in.
struct VehicleDay {
    std::string plate;
    std::string vehicleId;  // empty when the store has none for the plate
    std::string date;       // "yyyy-MM-dd"
};

struct PlateChoice {
    std::vector<std::string> plates;  // in byte order, each once
    std::string error;                // for the user, when the choice cannot be made
};

// The plates a run covers: those of --plates (every one must be a vehicle of the login), those of
// --group (the user's own name lists every vehicle, as the report window's company list does),
// or every vehicle of the login.
PlateChoice ChoosePlates(const FleetOptions& options, const VehicleStore& vehicles,
                         const std::string& userName);

// Every plate on every date, in (plate, date) order: the order of the requests and the output.
std::vector<VehicleDay> PlanVehicleDays(const std::vector<std::string>& plates,
                                        const std::vector<std::string>& dates,
                                        const VehicleStore& vehicles);

}  // namespace fw

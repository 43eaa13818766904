#include "fleet/FleetPlan.h"

#include <algorithm>

#include "fleet/FleetOptions.h"
#include "store/VehicleStore.h"

namespace fw {
namespace {

void SortUnique(std::vector<std::string>& plates) {
    std::sort(plates.begin(), plates.end());
    plates.erase(std::unique(plates.begin(), plates.end()), plates.end());
}

}  // namespace

PlateChoice ChoosePlates(const FleetOptions& options, const VehicleStore& vehicles,
                         const std::string& userName) {
    PlateChoice choice;
    if (vehicles.Size() == 0) {
        choice.error = "the server listed no vehicles for user " + userName;
        return choice;
    }
    if (!options.plates.empty()) {
        std::vector<std::string> unknown;
        for (const std::string& plate : options.plates) {
            const auto& records = vehicles.Records();
            const bool known = std::any_of(records.begin(), records.end(),
                                           [&](const VehicleRecord& r) { return r.code == plate; });
            (known ? choice.plates : unknown).push_back(plate);
        }
        if (!unknown.empty()) {
            choice.error = "unknown plate";
            if (unknown.size() > 1) choice.error += "s";
            for (std::size_t i = 0; i < unknown.size(); ++i)
                choice.error += (i == 0 ? ": " : ", ") + unknown[i];
            choice.error += " (not among the " + std::to_string(vehicles.Size()) + " vehicles of user " +
                            userName + ")";
            choice.plates.clear();
            return choice;
        }
    } else if (!options.group.empty()) {
        choice.plates = vehicles.PlatesOfGroup(options.group, userName);
        if (choice.plates.empty()) {
            choice.error = "group " + options.group + " has no vehicles";
            return choice;
        }
    } else {
        for (const VehicleRecord& r : vehicles.Records()) choice.plates.push_back(r.code);
    }
    // A plate the server sent empty cannot be asked for.
    std::erase(choice.plates, std::string());
    SortUnique(choice.plates);
    if (choice.plates.empty()) choice.error = "no vehicle to report on";
    return choice;
}

std::vector<VehicleDay> PlanVehicleDays(const std::vector<std::string>& plates,
                                        const std::vector<std::string>& dates,
                                        const VehicleStore& vehicles) {
    std::vector<VehicleDay> days;
    days.reserve(plates.size() * dates.size());
    for (const std::string& plate : plates) {
        const std::string id = vehicles.VehicleIdOfPlate(plate);
        for (const std::string& date : dates) days.push_back({plate, id, date});
    }
    return days;
}

}  // namespace fw

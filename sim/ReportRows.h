#pragma once

#include <string>
#include <vector>

#include "sim/Scenario.h"

namespace fw::sim {

// One row of the server's punctuality report (message 9021).
struct ReportRow {
    std::string vhcID, code, batchname, batchdate, linenaem, userMarkName;
    std::string planreachtime, realreachtime, planleavetime, realleavetime, flag;
};

// Beyond this distance from the plan a passing is not counted against the stop, as the client's
// own detection does.
constexpr long long kAcceptSeconds = 1259;

// Rows for the given vehicles whose planned arrival lies in [timeStart, timeEnd] (text order is
// time order), in planned order per vehicle. Real times are the scenario's true times where they
// lie within the acceptance window; other dates than the scenario date have no real times.
// A range of more than 62 days is cut to its first 62.
std::vector<ReportRow> ComputeReportRows(const Scenario& scenario, const std::vector<const Vehicle*>& vehicles,
                                         const std::string& timeStart, const std::string& timeEnd);

// The vehicles a report query names: one vehicle by id or plate, or a whole group by name, or
// every vehicle when the group text is the user's own name (the client offers it as a company).
std::vector<const Vehicle*> VehiclesOfQuery(const Scenario& scenario, const std::string& vhcid,
                                            const std::string& code, const std::string& group,
                                            const std::string& user);

// "迟到HH:MM:SS"-style lateness of real against planned; empty when not later or unreadable.
std::string Lateness(const std::string& prefix, const std::string& planned, const std::string& real);

}  // namespace fw::sim

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "fleet/FleetPlan.h"
#include "fleet/VehicleDayRun.h"
#include "reports/Punctuality.h"
#include "reports/ReportExport.h"

namespace fw {

// What the header block of a fleet report names.
struct FleetHeading {
    std::string company;     // the group, or the user's name for a whole login
    std::string vehicles;    // the plates of --plates, empty for a group or every vehicle
    std::string from, to;    // "yyyy-MM-dd"
    std::string rule;        // the detection rule's title
    std::string generatedAt;
    std::string matching;    // the matching's title
};

// The results of a fleet run, held by their place in the plan (plate, date) so that the output
// has one order whatever order the vehicle-days finish in.
class FleetReport {
public:
    explicit FleetReport(std::vector<VehicleDay> days);

    std::size_t Total() const { return days_.size(); }
    std::size_t Finished() const { return finished_; }
    std::size_t Failed() const { return failed_; }
    bool Complete() const { return finished_ == days_.size(); }
    const VehicleDay& Day(std::size_t index) const { return days_[index]; }
    bool HasResult(std::size_t index) const { return results_[index].has_value(); }

    // The first result of a vehicle-day counts; a later one is ignored.
    void Record(std::size_t index, VehicleDayResult result);

    // Moves the reported rows into one list in (plate, date, planned) order; call once, before
    // Document and the counts.
    void Gather();
    const std::vector<ReportRow>& Rows() const { return rows_; }

    // Title, header block, every stop, then the summaries: per vehicle-day (with the reason of
    // each that failed), per line, and the failures alone when there are any. The document reads
    // the report's rows: the report must outlive it.
    ExportDocument Document(const FleetHeading& heading, OnTimeWindow window) const;

    // The closing text: counts, the on-time share and every failure with its reason.
    std::string SummaryText(OnTimeWindow window, double seconds) const;

private:
    std::vector<VehicleDay> days_;
    std::vector<std::optional<VehicleDayResult>> results_;
    std::vector<std::size_t> firstRow_;  // per vehicle-day, into rows_, after Gather
    std::vector<ReportRow> rows_;
    std::size_t finished_ = 0;
    std::size_t failed_ = 0;
};

}  // namespace fw

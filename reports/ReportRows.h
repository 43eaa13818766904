#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Json {
class Value;
}

namespace fw {

struct StopTimeRecord;
class VehicleStore;

// The eleven columns of a report row.
enum ReportColumn : std::size_t {
    kColPlate = 0,
    kColBatch,
    kColDate,
    kColLine,
    kColStop,
    kColPlanReach,
    kColRealReach,
    kColLate,
    kColPlanLeave,
    kColRealLeave,
    kColOverstay,
    kReportColumnCount
};

struct ReportColumnInfo {
    std::string_view heading;
    int width;         // pixels
    bool highlighted;  // the lateness columns are drawn in red
};
extern const std::array<ReportColumnInfo, kReportColumnCount> kReportColumns;

struct ReportRow {
    std::array<std::string, kReportColumnCount> text;
    const std::string& operator[](std::size_t column) const { return text[column]; }
};

enum class DelayKind { Late, Overstay };

// "迟到hh:mm:ss" / "久滞hh:mm:ss" when the real time is strictly later than the planned one;
// empty when it is not, when the real text is empty or either text is no date-time. Whole days
// of a delay are dropped.
std::string FormatDelay(DelayKind kind, std::string_view planned, std::string_view real);

// The row of a stop-time record (after a report run).
ReportRow RowFromRecord(const StopTimeRecord& record);
// The row of a server report message body (9021): the plate of the first vehicle with its
// vhcID, else the id itself; texts as received.
ReportRow RowFromReportBody(const Json::Value& body, const VehicleStore& vehicles);

// Which rows the status radios let through; only the real arrival decides.
enum class StatusFilter { All, Completed, NotCompleted };
bool PassesFilter(const ReportRow& row, StatusFilter filter);

// The rows of the report list, as the list control shows them.
class ReportList {
public:
    // Adds the row at the end unless the filter refuses it or its plate is empty.
    bool Add(ReportRow row, StatusFilter filter);
    // Planned-arrival order, letter case ignored; rows with equal texts keep their order.
    void Sort();
    void Clear() { rows_.clear(); }
    const std::vector<ReportRow>& Rows() const { return rows_; }
    std::size_t Size() const { return rows_.size(); }

private:
    std::vector<ReportRow> rows_;
};

// A server report message (the whole 9021 document): adds its row and sorts when added.
bool AddReportRow(ReportList& list, const Json::Value& message, const VehicleStore& vehicles,
                  StatusFilter filter);

// Text comparison ignoring ASCII letter case, bytes compared unsigned.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace fw

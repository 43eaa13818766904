#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
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
    // What a screen reader says for a column whose heading is left blank on screen.
    std::string_view spoken = {};
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
ReportRow RowFromRecord(StopTimeRecord record);
// The row of a server report message body (9021): the plate of the first vehicle with its
// vhcID, else the id itself; texts as received.
ReportRow RowFromReportBody(const Json::Value& body, const VehicleStore& vehicles);

// Which rows the status radios let through; only the real arrival decides.
enum class StatusFilter { All, Completed, NotCompleted };
bool PassesFilter(const ReportRow& row, StatusFilter filter);

// The rows of the report list, in the order the list shows them. Rows are held by pointer so
// that a row placed into a long list moves pointers, not texts.
class ReportList {
public:
    ReportList() = default;
    ReportList(ReportList&&) noexcept = default;
    ReportList& operator=(ReportList&&) noexcept = default;

    // Adds the row at the end unless the filter refuses it or its plate is empty.
    bool Add(ReportRow row, StatusFilter filter);
    // Adds the row where planned-arrival order puts it (PlaceOf): what adding it at the end and
    // sorting gives. Its position, or none when refused.
    std::optional<std::size_t> Insert(ReportRow row, StatusFilter filter);
    // Where planned-arrival order puts a row: after the rows with an equal planned arrival.
    std::size_t PlaceOf(const ReportRow& row) const;
    void InsertAt(std::size_t index, ReportRow row);
    // Moves every row of the other list to the end of this one.
    void Append(ReportList&& other);
    // Planned-arrival order, letter case ignored; rows with equal texts keep their order.
    void Sort();
    void Clear() { rows_.clear(); }
    // The rows in order, moved out of the list.
    std::vector<ReportRow> TakeRows() &&;
    const ReportRow& Row(std::size_t index) const { return *rows_[index]; }
    // The rows in order, for range-for and indexing. (Not a std::views::transform: clang 14,
    // which builds the fuzz targets, cannot compile libstdc++ 12's views.)
    class RowsView {
    public:
        using Slots = std::vector<std::unique_ptr<ReportRow>>;
        class Iterator {
        public:
            explicit Iterator(Slots::const_iterator at) : at_(at) {}
            const ReportRow& operator*() const { return **at_; }
            Iterator& operator++() { ++at_; return *this; }
            bool operator==(const Iterator&) const = default;

        private:
            Slots::const_iterator at_;
        };
        explicit RowsView(const Slots& rows) : rows_(&rows) {}
        Iterator begin() const { return Iterator(rows_->begin()); }
        Iterator end() const { return Iterator(rows_->end()); }
        const ReportRow& operator[](std::size_t index) const { return *(*rows_)[index]; }
        std::size_t size() const { return rows_->size(); }
        bool empty() const { return rows_->empty(); }

    private:
        const Slots* rows_;
    };
    RowsView Rows() const { return RowsView(rows_); }
    std::size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }

private:
    std::vector<std::unique_ptr<ReportRow>> rows_;
};

// The row of a server report message's body (9021), unless the filter or an empty plate
// refuses it.
std::optional<ReportRow> ServerReportRow(const Json::Value& body, const VehicleStore& vehicles,
                                         StatusFilter filter);
// Adds the row of a whole 9021 document in planned order: its position, or none when refused.
std::optional<std::size_t> AddReportRow(ReportList& list, const Json::Value& message,
                                        const VehicleStore& vehicles, StatusFilter filter);

// Text comparison ignoring ASCII letter case, bytes compared unsigned.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace fw

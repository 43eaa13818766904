#include "store/StopTimeTable.h"

#include <array>
#include <optional>

#include "text/Strings.h"

namespace fw {
namespace {

// Column positions of a "select rowid,*" result, looked up by name once per query so that a
// table made by hand with its columns in another order still reads right.
struct RecordColumns {
    explicit RecordColumns(const DbRow& row) {
        static constexpr std::array<std::string_view, 12> kNames = {
            "vhcCode",       "batchname",     "lineName",      "batchdate",
            "userName",      "planreachtime", "realreachtime", "planleavetime",
            "realLeavetime", "classeName",    "usermarkName",  "flag"};
        for (std::size_t i = 0; i < kNames.size(); ++i) index[i] = row.ColumnIndex(kNames[i]);
    }
    StopTimeRecord Read(const DbRow& row) const {
        StopTimeRecord r;
        r.rowId = row.Int64(0);
        r.vhcCode = row.Text(index[0]);
        r.batchName = row.Text(index[1]);
        r.lineName = row.Text(index[2]);
        r.batchDate = row.Text(index[3]);
        r.userName = row.Text(index[4]);
        r.planReachTime = row.Text(index[5]);
        r.realReachTime = row.Text(index[6]);
        r.planLeaveTime = row.Text(index[7]);
        r.realLeaveTime = row.Text(index[8]);
        r.classeName = row.Text(index[9]);
        r.usermarkName = row.Text(index[10]);
        r.flag = AtoiLike(row.Text(index[11]));
        return r;
    }
    std::array<int, 12> index{};
};

}  // namespace

bool StopTimeTable::InsertStopTime(const StopTimeEntry& e, std::string_view userName) {
    return db_.Execute(kInsertSql, {e.code, e.batchName, e.lineName, e.batchDate, userName,
                                    e.planReachTime, e.planLeaveTime, e.userMarkName, e.flag});
}

bool StopTimeTable::DeleteAllStopTimes() { return db_.Execute(kDeleteAllSql); }

bool StopTimeTable::ListVehicleLines(std::string_view vehicleCode,
                                     std::vector<std::string>& lines) {
    return db_.Query(kListLinesSql, {vehicleCode},
                     [&](const DbRow& row) { lines.push_back(row.Text(0)); });
}

bool StopTimeTable::ReadRecords(std::string_view sql, Database::Values values,
                                std::vector<StopTimeRecord>& rows) {
    std::optional<RecordColumns> columns;
    return db_.Query(sql, values, [&](const DbRow& row) {
        if (!columns) columns.emplace(row);
        rows.push_back(columns->Read(row));
    });
}

bool StopTimeTable::FindStopRows(std::string_view vehicleCode, std::string_view lineName,
                                 std::string_view stopName, std::vector<StopTimeRecord>& rows) {
    return ReadRecords(kFindStopRowsSql, {vehicleCode, lineName, stopName}, rows);
}

bool StopTimeTable::ReadVehicleStops(std::string_view vehicleCode,
                                     std::vector<VehicleStopRow>& rows) {
    return db_.Query(kVehicleStopsSql, {vehicleCode}, [&](const DbRow& row) {
        rows.push_back({row.Int64(0), row.RawText(1), row.RawText(2), row.Text(3), row.Text(4),
                        row.RawText(5), row.RawText(6)});
    });
}

bool StopTimeTable::WriteRealTimes(const std::vector<VehicleStopRow>& rows) {
    return db_.Transaction([&] {
        for (const VehicleStopRow& row : rows)
            if (!db_.Execute(kSetRealTimesSql, {row.realReach, row.realLeave, row.rowId})) return false;
        return true;
    });
}

bool StopTimeTable::ReadReportRows(std::string_view vehicleCode, std::string_view userName,
                                   std::string_view start, std::string_view end,
                                   std::vector<StopTimeRecord>& rows) {
    return ReadRecords(kReportRowsSql, {vehicleCode, userName, start, end}, rows);
}

}  // namespace fw

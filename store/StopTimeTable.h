#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/Database.h"

namespace fw {

// What the dispatcher stores for one planned stop event (one 9017 body, fields as read).
struct StopTimeEntry {
    std::string code;  // vehicle plate
    std::string batchName;
    std::string lineName;  // the body key is spelled "linenaem"
    std::string batchDate;
    std::string planReachTime;
    std::string planLeaveTime;
    std::string userMarkName;  // stop name
    std::string flag;          // an integer in text form
};

// One row of busbatch as read back: texts trimmed, NULL as empty, flag as an integer.
struct StopTimeRecord {
    std::int64_t rowId = 0;
    std::string vhcCode;
    std::string batchName;
    std::string lineName;
    std::string batchDate;
    std::string userName;
    std::string planReachTime;
    std::string realReachTime;
    std::string planLeaveTime;
    std::string realLeaveTime;
    std::string classeName;
    std::string usermarkName;
    int flag = 0;
};

// What matching needs of one of a vehicle's rows: its stop, its plans and its real times.
struct VehicleStopRow {
    std::int64_t rowId = 0;
    std::string lineName;  // as stored, untrimmed: matched as the statements match it
    std::string stopName;
    std::string planReach;  // trimmed
    std::string planLeave;
    std::string realReach;  // as stored
    std::string realLeave;
};

// The statements issued against the stop-time table, one operation each, named after what
// their callers do with them. Every operation is guarded: a failing statement (or a closed
// database) returns false and the caller decides what is lost. Queries hand back the rows read
// before a failure.
class StopTimeTable {
public:
    explicit StopTimeTable(Database& db) : db_(db) {}

    Database& Db() const { return db_; }

    // Receive dispatcher, per stop-time message: stores one row with empty real times.
    bool InsertStopTime(const StopTimeEntry& entry, std::string_view userName);
    // Report request: empties the table (every vehicle and user).
    bool DeleteAllStopTimes();
    // Report run: the distinct line names of a vehicle's rows (trimmed).
    bool ListVehicleLines(std::string_view vehicleCode, std::vector<std::string>& lines);
    // Detection: the rows of one stop of one line of a vehicle, in the order the database gives.
    bool FindStopRows(std::string_view vehicleCode, std::string_view lineName,
                      std::string_view stopName, std::vector<StopTimeRecord>& rows);
    // Report run: every row of one vehicle, in the order they were stored, read once.
    bool ReadVehicleStops(std::string_view vehicleCode, std::vector<VehicleStopRow>& rows);
    // Report run: the real arrival and departure of each given row, into that row alone (by
    // rowid: rows of other stops that share the planned time are not touched), all in one
    // transaction. All or nothing: false, with every row as it was, when a statement fails.
    bool WriteRealTimes(const std::vector<VehicleStopRow>& rows);
    // Report run, last step: a vehicle's rows stored under a user, with a planned arrival in
    // [start, end] compared as text, in planned-arrival order.
    bool ReadReportRows(std::string_view vehicleCode, std::string_view userName,
                        std::string_view start, std::string_view end,
                        std::vector<StopTimeRecord>& rows);

    // The statement texts, values bound in order.
    static constexpr std::string_view kInsertSql =
        "INSERT INTO busbatch (vhcCode,batchname,lineName,batchdate,userName,planreachtime,"
        "realreachtime,planleavetime,realLeavetime,classeName,usermarkName,flag)"
        "VALUES(?,?,?,?,?,?,'',?,'','',?,?)";
    static constexpr std::string_view kDeleteAllSql = "delete from busbatch";
    static constexpr std::string_view kListLinesSql =
        "select distinct linename  from busbatch where vhcCode =?";
    static constexpr std::string_view kFindStopRowsSql =
        "select rowid,* from busbatch where vhcCode=? and lineName=? and usermarkName=?";
    // The table holds the rows of the last request: read in its own order, no index to sort by.
    static constexpr std::string_view kVehicleStopsSql =
        "select rowid,lineName,usermarkName,planreachtime,planleavetime,realreachtime,"
        "realLeavetime from busbatch not indexed where vhcCode=? order by rowid";
    static constexpr std::string_view kSetRealTimesSql =
        "UPDATE busbatch SET realreachtime = ?,realLeavetime = ? WHERE rowid = ?";
    static constexpr std::string_view kReportRowsSql =
        "select rowid,* from busbatch  where vhcCode=? and userName=?  and planreachtime>=? and "
        "planreachtime<=? order by planreachtime,rowid";

private:
    bool ReadRecords(std::string_view sql, Database::Values values,
                     std::vector<StopTimeRecord>& rows);

    Database& db_;
};

}  // namespace fw

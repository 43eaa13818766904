#include "reports/EventMatching.h"

#include <algorithm>
#include <map>
#include <optional>

#include "reports/TripOrder.h"
#include "store/StopTimeTable.h"
#include "text/LogSink.h"
#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw {
namespace {

void LogEvent(LogSink* log, const LineEvent& event) {
    if (log == nullptr) return;
    log->WriteLog(event.stop + (event.kind == StopEventKind::Arrival ? ":1:" : ":2:") + event.time);
}

std::optional<long long> Seconds(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::optional<OleDate> date = ParseDateTime(text);
    if (!date) return std::nullopt;
    return SecondsBetween(*date, 0.0);
}

// Stops as the statements tell them apart: the texts exactly, ASCII letter case aside.
class Places {
public:
    std::size_t Of(std::string_view line, std::string_view stop) {
        return ids_.try_emplace(Key(line, stop), ids_.size()).first->second;
    }
    std::optional<std::size_t> Find(std::string_view line, std::string_view stop) const {
        const auto it = ids_.find(Key(line, stop));
        if (it == ids_.end()) return std::nullopt;
        return it->second;
    }

private:
    static std::string Key(std::string_view line, std::string_view stop) {
        std::string key = ToLowerAscii(line);
        key += '\0';
        key += ToLowerAscii(stop);
        return key;
    }
    std::map<std::string, std::size_t> ids_;
};

// One kind of event aligned with the rows' plans of that kind, the taken times written.
void AlignKind(StopTimeTable& table, const std::vector<VehicleStopRow>& rows,
               const std::vector<std::size_t>& rowPlaces, const Places& places,
               const std::vector<LineEvent>& events, StopEventKind kind) {
    const bool arrival = kind == StopEventKind::Arrival;
    struct Entry {
        PlacedTime at;
        std::size_t index;  // into rows or events
    };
    // Rows come in the order they were stored: equal plans keep the server's order.
    std::vector<Entry> plans;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (const auto planned = Seconds(arrival ? rows[r].planReach : rows[r].planLeave))
            plans.push_back({{rowPlaces[r], *planned}, r});
    std::vector<Entry> seen;
    for (std::size_t e = 0; e < events.size(); ++e) {
        if (events[e].kind != kind) continue;
        const std::optional<std::size_t> place = places.Find(events[e].line, events[e].stop);
        const std::optional<long long> when = Seconds(events[e].time);
        if (place && when) seen.push_back({{*place, *when}, e});
    }
    auto byTime = [](const Entry& a, const Entry& b) { return a.at.seconds < b.at.seconds; };
    std::stable_sort(plans.begin(), plans.end(), byTime);
    std::stable_sort(seen.begin(), seen.end(), byTime);

    std::vector<PlacedTime> planTimes, eventTimes;
    for (const Entry& p : plans) planTimes.push_back(p.at);
    for (const Entry& e : seen) eventTimes.push_back(e.at);
    const std::vector<std::size_t> taken = AlignInTripOrder(planTimes, eventTimes);
    for (std::size_t p = 0; p < plans.size(); ++p) {
        if (taken[p] == kUnmatched) continue;
        const VehicleStopRow& row = rows[plans[p].index];
        const std::string& time = events[seen[taken[p]].index].time;
        arrival ? table.SetRealReachTime(row.rowId, time) : table.SetRealLeaveTime(row.rowId, time);
    }
}

void MatchInTripOrder(StopTimeTable& table, std::string_view vehicleCode,
                      const std::vector<LineEvent>& events) {
    std::vector<VehicleStopRow> rows;
    if (!table.ReadVehicleStops(vehicleCode, rows)) return;
    Places places;
    std::vector<std::size_t> rowPlaces;
    rowPlaces.reserve(rows.size());
    for (const VehicleStopRow& row : rows) rowPlaces.push_back(places.Of(row.lineName, row.stopName));
    for (StopEventKind kind : {StopEventKind::Arrival, StopEventKind::Departure})
        AlignKind(table, rows, rowPlaces, places, events, kind);
}

}  // namespace

void RecordEvents(StopTimeTable& table, LogSink* log, std::string_view vehicleCode,
                  const std::vector<LineEvent>& events, Matching matching) {
    if (matching == Matching::Nearest) {
        for (const LineEvent& e : events)
            UpdateStopTime(table, log, vehicleCode, e.line, e.stop, e.time, e.kind);
        return;
    }
    for (const LineEvent& e : events) LogEvent(log, e);
    MatchInTripOrder(table, vehicleCode, events);
}

}  // namespace fw

#include "reports/EventMatching.h"

#include <algorithm>
#include <map>
#include <optional>

#include "reports/TripOrder.h"
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
    std::size_t Count() const { return ids_.size(); }
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

// The rows of each place, in the order they were stored.
std::vector<std::vector<std::size_t>> RowsAtPlaces(const std::vector<std::size_t>& rowPlaces,
                                                   std::size_t places) {
    std::vector<std::vector<std::size_t>> at(places);
    for (std::size_t r = 0; r < rowPlaces.size(); ++r) at[rowPlaces[r]].push_back(r);
    return at;
}

std::optional<OleDate> Planned(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return ParseDateTime(text);
}

// Each event in turn to the row of its stop with the nearest plan; the plans are read once.
void MatchNearest(std::vector<VehicleStopRow>& rows, const std::vector<std::size_t>& rowPlaces,
                  const Places& places, const std::vector<LineEvent>& events, LogSink* log) {
    const std::vector<std::vector<std::size_t>> atPlace = RowsAtPlaces(rowPlaces, places.Count());
    std::vector<std::optional<OleDate>> reach, leave;
    reach.reserve(rows.size());
    leave.reserve(rows.size());
    for (const VehicleStopRow& row : rows) {
        reach.push_back(Planned(row.planReach));
        leave.push_back(Planned(row.planLeave));
    }
    for (const LineEvent& event : events) {
        LogEvent(log, event);
        const std::optional<OleDate> g = ParseDateTime(event.time);
        if (!g) continue;
        const std::optional<std::size_t> place = places.Find(event.line, event.stop);
        if (!place) continue;
        const bool arrival = event.kind == StopEventKind::Arrival;
        const std::vector<std::optional<OleDate>>& plans = arrival ? reach : leave;
        // The nearest plan wins; on a tie the row stored first stays chosen. Distances are whole
        // seconds (every time text has second resolution), so equal gaps really are equal.
        std::size_t chosen = rows.size();
        long long best = kMatchingHorizonSeconds;
        long long offset = 0;  // G - P of the chosen row
        for (std::size_t r : atPlace[*place]) {
            if (!plans[r]) continue;
            const long long delta = SecondsBetween(*g, *plans[r]);
            if (std::llabs(delta) < best) {
                best = std::llabs(delta);
                chosen = r;
                offset = delta;
            }
        }
        if (chosen == rows.size()) continue;
        std::string& real = arrival ? rows[chosen].realReach : rows[chosen].realLeave;
        // A real time already given stays unless the new one lies nearer the plan than to it.
        if (const std::string_view existing = TrimView(real); !existing.empty()) {
            const std::optional<OleDate> r = ParseDateTime(existing);
            if (r && !(std::llabs(SecondsBetween(*g, *r)) > std::llabs(offset))) continue;
        }
        if (std::llabs(offset) > kAcceptanceWindowSeconds) continue;
        real = event.time;
    }
}

// One kind of event aligned with the rows' plans of that kind, the taken times given.
void AlignKind(std::vector<VehicleStopRow>& rows, const std::vector<std::size_t>& rowPlaces,
               const Places& places, const std::vector<LineEvent>& events, StopEventKind kind) {
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
    planTimes.reserve(plans.size());
    eventTimes.reserve(seen.size());
    for (const Entry& p : plans) planTimes.push_back(p.at);
    for (const Entry& e : seen) eventTimes.push_back(e.at);
    const std::vector<std::size_t> taken = AlignInTripOrder(planTimes, eventTimes);
    for (std::size_t p = 0; p < plans.size(); ++p) {
        if (taken[p] == kUnmatched) continue;
        VehicleStopRow& row = rows[plans[p].index];
        (arrival ? row.realReach : row.realLeave) = events[seen[taken[p]].index].time;
    }
}

}  // namespace

void MatchEvents(std::vector<VehicleStopRow>& rows, const std::vector<LineEvent>& events,
                 Matching matching, LogSink* log) {
    Places places;
    std::vector<std::size_t> rowPlaces;
    rowPlaces.reserve(rows.size());
    for (const VehicleStopRow& row : rows) rowPlaces.push_back(places.Of(row.lineName, row.stopName));
    if (matching == Matching::Nearest) {
        MatchNearest(rows, rowPlaces, places, events, log);
        return;
    }
    for (const LineEvent& e : events) LogEvent(log, e);
    for (StopEventKind kind : {StopEventKind::Arrival, StopEventKind::Departure})
        AlignKind(rows, rowPlaces, places, events, kind);
}

RecordedTimes RecordEvents(StopTimeTable& table, LogSink* log, std::string_view vehicleCode,
                           const std::vector<LineEvent>& events, Matching matching) {
    RecordedTimes out;
    out.read = table.ReadVehicleStops(vehicleCode, out.rows);
    if (!out.read) {
        out.error = table.Db().LastError();
        out.rows.clear();
    }
    // The run starts from no real times; the rows that held one are written, cleared or not.
    std::vector<bool> held(out.rows.size());
    for (std::size_t r = 0; r < out.rows.size(); ++r) {
        VehicleStopRow& row = out.rows[r];
        held[r] = !row.realReach.empty() || !row.realLeave.empty();
        row.realReach.clear();
        row.realLeave.clear();
    }
    MatchEvents(out.rows, events, matching, log);
    if (!out.read) return out;
    std::vector<VehicleStopRow> changed;
    for (std::size_t r = 0; r < out.rows.size(); ++r)
        if (held[r] || !out.rows[r].realReach.empty() || !out.rows[r].realLeave.empty())
            changed.push_back(out.rows[r]);
    out.written = table.WriteRealTimes(changed);
    if (!out.written) out.error = table.Db().LastError();
    return out;
}

}  // namespace fw

#include "fleet/VehicleDayRun.h"

#include <json/reader.h>

#include <algorithm>
#include <memory>

#include "reports/EventMatching.h"
#include "reports/ReportRun.h"
#include "text/Strings.h"

namespace fw {
namespace {

// A refusal is a short document; a track that reads as one is never looked at twice.
constexpr std::size_t kLongestRefusal = 64 * 1024;

bool ReadsAsTrue(const Json::Value& v) {
    if (v.isBool()) return v.asBool();
    if (v.isNumeric()) return v.asDouble() != 0.0;
    if (v.isString()) return !v.asString().empty();
    return false;
}

}  // namespace

ReportForm VehicleDayForm(const FleetContext& context, const VehicleDay& day) {
    ReportForm form;
    form.plate = day.plate;
    form.start = day.date + " 00:00:00";
    form.end = day.date + " 23:59:59";
    form.userName = context.userName;
    form.serverAddress = context.serverAddress;
    form.webPort = context.webPort;
    form.filter = StatusFilter::All;
    form.detection = context.detection;
    return form;
}

std::string TrackBodyProblem(std::string_view body) {
    const std::string_view text = TrimView(body);
    if (text.empty() || text.front() != '{') return "轨迹数据不是JSON";
    if (text.size() > kLongestRefusal) return {};
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isObject())
        return "轨迹数据无法读取";
    if (ReadsAsTrue(root["result"])) return {};
    const Json::Value& msg = root["msg"];
    const std::string why = msg.isString() ? Trim(msg.asString()) : std::string();
    return why.empty() ? "轨迹服务拒绝" : "轨迹服务拒绝：" + why;
}

VehicleDayResult RunVehicleDay(const FleetContext& context, const VehicleDayInput& input,
                               RouteStore& routes) {
    VehicleDayResult result;
    // Rows of other vehicles may come with a request's answer; they are stored and not counted,
    // as the window does with them.
    for (const StopTimeEntry& stop : input.stops)
        if (EqualsNoCase(stop.code, input.day.plate)) ++result.plannedStops;
    if (result.plannedStops == 0) {
        result.failure = std::string(kNoStopRowsText);
        return result;
    }
    if (input.trackBody.empty()) {
        result.failure = std::string(kEmptyTrackText);
        if (!input.trackFailure.empty()) result.failure += "：" + input.trackFailure;
        return result;
    }
    if (std::string problem = TrackBodyProblem(input.trackBody); !problem.empty()) {
        result.failure = std::move(problem);
        return result;
    }

    // The vehicle's rows as a run reads them from its store (in the order stored), and its lines as
    // the store lists them (each spelling once, letter case aside, in its order).
    const std::size_t kNotTheVehicle = input.stops.size();
    std::vector<VehicleStopRow> rows;
    std::vector<std::size_t> rowOf(input.stops.size(), kNotTheVehicle);
    std::vector<std::string> spellings;
    for (std::size_t i = 0; i < input.stops.size(); ++i) {
        const StopTimeEntry& stop = input.stops[i];
        if (!EqualsNoCase(stop.code, input.day.plate)) continue;
        rowOf[i] = rows.size();
        rows.push_back({static_cast<std::int64_t>(i + 1), stop.lineName, stop.userMarkName,
                        Trim(stop.planReachTime), Trim(stop.planLeaveTime), {}, {}});
        if (std::none_of(spellings.begin(), spellings.end(),
                         [&](const std::string& s) { return EqualsNoCase(s, stop.lineName); }))
            spellings.push_back(stop.lineName);
    }
    std::stable_sort(spellings.begin(), spellings.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    std::vector<std::string> lines;
    for (const std::string& spelling : spellings) lines.push_back(Trim(spelling));

    // The window's run, in memory: the events of the day's lines given to the rows.
    const ReportForm form = VehicleDayForm(context, input.day);
    MatchEvents(rows, DetectLineEvents(routes, lines, input.trackBody, form.detection),
                form.detection.matching, nullptr);

    // The day's list, as the window's range query gives it from its store: the vehicle's rows
    // planned within the range (texts compared as the store compares them, letter case aside),
    // in planned order and then in the order stored, their texts trimmed.
    std::vector<std::size_t> listed;
    for (std::size_t i = 0; i < input.stops.size(); ++i) {
        const std::string& plan = input.stops[i].planReachTime;
        if (rowOf[i] != kNotTheVehicle && CompareNoCase(plan, form.start) >= 0 &&
            CompareNoCase(plan, form.end) <= 0)
            listed.push_back(i);
    }
    std::stable_sort(listed.begin(), listed.end(), [&](std::size_t a, std::size_t b) {
        return CompareNoCase(input.stops[a].planReachTime, input.stops[b].planReachTime) < 0;
    });
    std::vector<StopTimeRecord> records;
    records.reserve(listed.size());
    for (std::size_t i : listed) {
        const StopTimeEntry& stop = input.stops[i];
        const VehicleStopRow& row = rows[rowOf[i]];
        records.push_back({row.rowId, Trim(stop.code), Trim(stop.batchName), Trim(stop.lineName),
                           Trim(stop.batchDate), Trim(context.userName), row.planReach,
                           Trim(row.realReach), row.planLeave, Trim(row.realLeave), {},
                           Trim(stop.userMarkName), AtoiLike(Trim(stop.flag))});
    }
    ReportList list;
    ListRecords(std::move(records), form.filter, list);
    result.rows = std::move(list).TakeRows();
    return result;
}

}  // namespace fw

#include "fleet/VehicleDayRun.h"

#include <json/reader.h>

#include <memory>

#include "reports/ReportRun.h"
#include "store/Database.h"
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
                               RouteStore& routes, const VehicleStore& vehicles,
                               const TextCodec& wire) {
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

    Database db;
    StopTimeTable table(db);
    // One transaction for the whole day, never committed: nobody else sees this store, it goes
    // with the vehicle-day, and a commit per statement was most of what its writes cost.
    bool stored = db.OpenScratch() && db.Execute("BEGIN");
    for (std::size_t i = 0; stored && i < input.stops.size(); ++i)
        stored = table.InsertStopTime(input.stops[i], context.userName);
    if (!stored) {
        result.failure = std::string(kScratchStoreText) + "：" + db.LastError();
        return result;
    }

    const ReportForm form = VehicleDayForm(context, input.day);
    ReportRun run(table, routes, vehicles, nullptr, &wire);
    const ReportRun::Start start = run.Begin(form);
    if (!start.proceed) {
        result.failure = start.message;
        return result;
    }
    ReportList list;
    const ReportRun::Outcome outcome = run.Finish(form, input.trackBody, list);
    if (!outcome.linesRead || !outcome.rowsRead) {
        result.failure = std::string(kScratchStoreText) + "：" + db.LastError();
        return result;
    }
    result.rows.reserve(list.Size());
    for (const ReportRow& row : list.Rows()) result.rows.push_back(row);
    return result;
}

}  // namespace fw

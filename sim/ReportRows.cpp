#include "sim/ReportRows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "sim/Geo.h"
#include "sim/TripPlanner.h"
#include "text/OleDate.h"

namespace fw::sim {
namespace {

std::string RealIfAccepted(const std::string& planned, const std::string& truth) {
    const auto p = ParseSeconds(planned);
    const auto t = ParseSeconds(truth);
    if (!p || !t || std::llabs(*t - *p) > kAcceptSeconds) return {};
    return truth;
}

}  // namespace

std::vector<ReportRow> ComputeReportRows(const Scenario& sc, const std::vector<const Vehicle*>& vehicles,
                                         const std::string& timeStart, const std::string& timeEnd) {
    std::vector<ReportRow> rows;
    const auto from = ParseSeconds(DatePart(timeStart));
    const auto to = ParseSeconds(DatePart(timeEnd));
    if (!from || !to || *to < *from) return rows;
    const long long lastDay = std::min(*to, *from + 61 * 86400LL);
    for (const Vehicle* v : vehicles) {
        std::vector<ReportRow> mine;
        for (long long day = *from; day <= lastDay; day += 86400) {
            for (const auto& trip : TripsOfVehicle(sc, v->code, FormatDay(day))) {
                for (const auto& ev : trip.stops) {
                    if (ev.planReach < timeStart || ev.planReach > timeEnd) continue;
                    const Station* st = sc.FindStation(ev.stationId);
                    ReportRow r;
                    r.vhcID = v->id;
                    r.code = v->code;
                    r.batchname = trip.batch;
                    r.batchdate = trip.date;
                    r.linenaem = trip.line;
                    r.userMarkName = st ? st->name : ev.stationId;
                    r.planreachtime = ev.planReach;
                    r.planleavetime = ev.planLeave;
                    r.realreachtime = RealIfAccepted(ev.planReach, ev.trueReach);
                    r.realleavetime = RealIfAccepted(ev.planLeave, ev.trueLeave);
                    r.flag = trip.flag;
                    mine.push_back(std::move(r));
                }
            }
        }
        std::stable_sort(mine.begin(), mine.end(), [](const ReportRow& a, const ReportRow& b) {
            return a.planreachtime < b.planreachtime;
        });
        rows.insert(rows.end(), mine.begin(), mine.end());
    }
    return rows;
}

std::vector<const Vehicle*> VehiclesOfQuery(const Scenario& sc, const std::string& vhcid,
                                            const std::string& code, const std::string& group,
                                            const std::string& user) {
    std::vector<const Vehicle*> out;
    if (!vhcid.empty() || !code.empty()) {
        if (const Vehicle* v = sc.FindVehicle(vhcid, code)) out.push_back(v);
        else if (const Vehicle* byPlate = sc.FindVehicle({}, code)) out.push_back(byPlate);
        return out;
    }
    for (const auto& v : sc.vehicles)
        if (!group.empty() && (v.group == group || group == user)) out.push_back(&v);
    return out;
}

std::string Lateness(const std::string& prefix, const std::string& planned, const std::string& real) {
    const auto p = ParseSeconds(planned);
    const auto r = ParseSeconds(real);
    if (real.empty() || !p || !r || *r <= *p) return {};
    const long long d = *r - *p;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", d / 3600 % 24, d / 60 % 60, d % 60);
    return prefix + buf;
}

}  // namespace fw::sim

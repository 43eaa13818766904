#pragma once

#include <json/value.h>

#include <string>
#include <string_view>

#include "reports/DetectionRule.h"
#include "reports/ReportRows.h"
#include "reports/TrackRequest.h"

namespace fw {

class VehicleStore;

inline constexpr std::string_view kEmptyPlateText = "车牌号码不能为空";

// What the report window reads from its controls, and from the login, for a request or a run.
struct ReportForm {
    std::string group;  // company text
    std::string plate;  // vehicle text
    std::string start;  // "yyyy-MM-dd HH:mm:ss"
    std::string end;
    std::string userName;
    std::string serverAddress;
    int webPort = kDefaultWebPort;
    StatusFilter filter = StatusFilter::All;
    DetectionOptions detection;  // how a run finds arrivals and departures
};

// The day 9016 asks for: the text of the start before its first blank, empty without one.
std::string StopTimesDate(std::string_view dateTime);

// "查询" (9018): a vehicle query names the plate and its id and leaves the group empty; with no
// plate the company is queried instead.
Json::Value ReportQueryMessage(const ReportForm& form, const VehicleStore& vehicles);
// "生成报表" (9016): the vehicle's planned stops of the start day.
Json::Value StopTimesMessage(const ReportForm& form, const VehicleStore& vehicles);

// The busy text while a track arrives: "正在获取轨迹数据… 已接收 1.5 MB", with " / 3.0 MB" when
// the whole size is known (total < 0: unknown).
std::string TrackProgressText(long long received, long long total);

// A busy text of a run of several days: "第 3 / 7 天　" before it; the text alone when the
// progress is empty. Only the part after "正在获取轨迹数据…" of a track's progress is kept, so
// that both fit beside the status radios.
std::string DayProgressText(const std::string& progress, const std::string& text);

// Beside a run's list: which detection rule made its real times and how they were given to the
// rows, "到站判定：精确推算，按班次顺序".
std::string DetectionRuleCaption(DetectionRule rule, Matching matching);

}  // namespace fw

#include "reports/ReportForm.h"

#include <cstdio>

#include "net/Requests.h"
#include "store/VehicleStore.h"

namespace fw {
namespace {

std::string Size(long long bytes) {
    char buf[32];
    if (bytes < 1024 * 1024)
        std::snprintf(buf, sizeof buf, "%lld KB", (bytes + 1023) / 1024);
    else
        std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return buf;
}

}  // namespace

std::string StopTimesDate(std::string_view dateTime) {
    const std::size_t blank = dateTime.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(dateTime.substr(0, blank));
}

Json::Value ReportQueryMessage(const ReportForm& form, const VehicleStore& vehicles) {
    ReportQueryFields fields;
    if (!form.plate.empty()) {
        fields.vehicleId = vehicles.VehicleIdOfPlate(form.plate);
        fields.plate = form.plate;
    } else {
        fields.group = form.group;
    }
    fields.userName = form.userName;
    fields.timeStart = form.start;
    fields.timeEnd = form.end;
    return ReportQueryRequest(fields);
}

Json::Value StopTimesMessage(const ReportForm& form, const VehicleStore& vehicles) {
    return StopTimesRequest(form.userName, vehicles.VehicleIdOfPlate(form.plate), form.plate,
                            StopTimesDate(form.start));
}

std::string TrackProgressText(long long received, long long total) {
    std::string text = "正在获取轨迹数据… 已接收 " + Size(received < 0 ? 0 : received);
    if (total > 0) text += " / " + Size(total);
    return text;
}

std::string DayProgressText(const std::string& progress, const std::string& text) {
    if (progress.empty()) return text;
    static constexpr std::string_view kFetching = "正在获取轨迹数据… ";
    std::string_view rest = text;
    if (rest.substr(0, kFetching.size()) == kFetching) rest.remove_prefix(kFetching.size());
    return progress + "　" + std::string(rest);
}

std::string DetectionRuleCaption(DetectionRule rule, Matching matching) {
    return "到站判定：" + std::string(DetectionRuleTitle(rule)) + "，" +
           std::string(MatchingTitle(matching));
}

}  // namespace fw

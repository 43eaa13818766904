#include "reports/ReportRows.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/OleDate.h"

namespace fw {

const std::array<ReportColumnInfo, kReportColumnCount> kReportColumns = {{
    {"车牌号码", 100, false},
    {"批次", 100, false},
    {"日期", 100, false},
    {"线路", 100, false},
    {"站点", 100, false},
    {"计划到达时间", 150, false},
    {"实际到达时间", 130, false},
    {"", 100, true, "到达迟到"},
    {"计划离开时间", 150, false},
    {"实际离开时间", 130, false},
    {"", 100, true, "离开久滞"},
}};

namespace {

// A message value as received: a JSON string, else empty (a number is not quietly a text).
std::string TextOf(const Json::Value& object, const char* key) {
    if (!object.isObject()) return {};
    const Json::Value* value = object.find(key, key + std::char_traits<char>::length(key));
    return value != nullptr && value->isString() ? value->asString() : std::string();
}

void FillDelays(ReportRow& row) {
    row.text[kColLate] =
        FormatDelay(DelayKind::Late, row.text[kColPlanReach], row.text[kColRealReach]);
    row.text[kColOverstay] =
        FormatDelay(DelayKind::Overstay, row.text[kColPlanLeave], row.text[kColRealLeave]);
}

unsigned char LowerByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

bool PlannedBefore(const ReportRow& a, const ReportRow& b) {
    return CompareNoCase(a.text[kColPlanReach], b.text[kColPlanReach]) < 0;
}

// A row without a plate is never listed.
bool Admissible(const ReportRow& row, StatusFilter filter) {
    return PassesFilter(row, filter) && !row.text[kColPlate].empty();
}

}  // namespace

std::string FormatDelay(DelayKind kind, std::string_view planned, std::string_view real) {
    if (real.empty()) return {};
    const std::optional<OleDate> p = ParseDateTime(planned);
    const std::optional<OleDate> r = ParseDateTime(real);
    if (!p || !r || !(*r > *p)) return {};
    const long long seconds = static_cast<long long>((*r - *p) * 86400.0 + 0.5);
    const int hours = static_cast<int>(seconds / 3600 % 24);
    const int minutes = static_cast<int>(seconds / 60 % 60);
    const int secs = static_cast<int>(seconds % 60);
    char buf[64];
    if (kind == DelayKind::Late)
        std::snprintf(buf, sizeof buf, "迟到%02d:%02d:%02d", hours, minutes, secs);
    else
        std::snprintf(buf, sizeof buf, "久滞%02d:%02d:%02d", hours, minutes, secs);
    return buf;
}

ReportRow RowFromRecord(StopTimeRecord record) {
    ReportRow row;
    row.text[kColPlate] = std::move(record.vhcCode);
    row.text[kColBatch] = std::move(record.batchName);
    row.text[kColDate] = std::move(record.batchDate);
    row.text[kColLine] = std::move(record.lineName);
    row.text[kColStop] = std::move(record.usermarkName);
    row.text[kColPlanReach] = std::move(record.planReachTime);
    row.text[kColRealReach] = std::move(record.realReachTime);
    row.text[kColPlanLeave] = std::move(record.planLeaveTime);
    row.text[kColRealLeave] = std::move(record.realLeaveTime);
    FillDelays(row);
    return row;
}

ReportRow RowFromReportBody(const Json::Value& body, const VehicleStore& vehicles) {
    ReportRow row;
    row.text[kColPlate] = vehicles.PlateOfId(TextOf(body, "vhcID"));
    row.text[kColBatch] = TextOf(body, "batchname");
    row.text[kColDate] = TextOf(body, "batchdate");
    row.text[kColLine] = TextOf(body, "linenaem");
    row.text[kColStop] = TextOf(body, "userMarkName");
    row.text[kColPlanReach] = TextOf(body, "planreachtime");
    row.text[kColRealReach] = TextOf(body, "realreachtime");
    row.text[kColPlanLeave] = TextOf(body, "planleavetime");
    row.text[kColRealLeave] = TextOf(body, "realleavetime");
    FillDelays(row);
    return row;
}

bool PassesFilter(const ReportRow& row, StatusFilter filter) {
    switch (filter) {
        case StatusFilter::Completed:
            return !row.text[kColRealReach].empty();
        case StatusFilter::NotCompleted:
            return row.text[kColRealReach].empty();
        case StatusFilter::All:
            break;
    }
    return true;
}

bool ReportList::Add(ReportRow row, StatusFilter filter) {
    if (!Admissible(row, filter)) return false;
    rows_.push_back(std::make_unique<ReportRow>(std::move(row)));
    return true;
}

std::optional<std::size_t> ReportList::Insert(ReportRow row, StatusFilter filter) {
    if (!Admissible(row, filter)) return std::nullopt;
    const std::size_t at = PlaceOf(row);
    InsertAt(at, std::move(row));
    return at;
}

std::size_t ReportList::PlaceOf(const ReportRow& row) const {
    const auto at = std::upper_bound(rows_.begin(), rows_.end(), row,
                                     [](const ReportRow& r, const std::unique_ptr<ReportRow>& p) {
                                         return PlannedBefore(r, *p);
                                     });
    return static_cast<std::size_t>(at - rows_.begin());
}

void ReportList::InsertAt(std::size_t index, ReportRow row) {
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(index, rows_.size())),
                 std::make_unique<ReportRow>(std::move(row)));
}

void ReportList::Append(ReportList&& other) {
    rows_.insert(rows_.end(), std::make_move_iterator(other.rows_.begin()),
                 std::make_move_iterator(other.rows_.end()));
    other.rows_.clear();
}

std::vector<ReportRow> ReportList::TakeRows() && {
    std::vector<ReportRow> rows;
    rows.reserve(rows_.size());
    for (std::unique_ptr<ReportRow>& row : rows_) rows.push_back(std::move(*row));
    rows_.clear();
    return rows;
}

void ReportList::Sort() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const std::unique_ptr<ReportRow>& a, const std::unique_ptr<ReportRow>& b) {
                         return PlannedBefore(*a, *b);
                     });
}

std::optional<ReportRow> ServerReportRow(const Json::Value& body, const VehicleStore& vehicles,
                                         StatusFilter filter) {
    ReportRow row = RowFromReportBody(body, vehicles);
    if (!Admissible(row, filter)) return std::nullopt;
    return row;
}

std::optional<std::size_t> AddReportRow(ReportList& list, const Json::Value& message,
                                        const VehicleStore& vehicles, StatusFilter filter) {
    constexpr std::string_view kBody = "body";
    const Json::Value* body =
        message.isObject() ? message.find(kBody.data(), kBody.data() + kBody.size()) : nullptr;
    std::optional<ReportRow> row =
        ServerReportRow(body != nullptr ? *body : Json::Value::nullSingleton(), vehicles, filter);
    if (!row) return std::nullopt;
    return list.Insert(std::move(*row), filter);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = LowerByte(a[i]);
        const unsigned char y = LowerByte(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace fw

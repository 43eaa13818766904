#include "fleet/FleetReport.h"

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <span>

namespace fw {
namespace {

constexpr std::string_view kReportedText = "完成";
constexpr std::size_t kListedFailures = 20;  // in the closing text; the file lists them all

void AddCounts(PunctualityCounts& sum, const PunctualityCounts& c) {
    sum.planned += c.planned;
    sum.served += c.served;
    sum.onTime += c.onTime;
    sum.late += c.late;
    sum.early += c.early;
    sum.notServed += c.notServed;
    sum.unreadable += c.unreadable;
}

std::string Percent(std::optional<double> share) {
    if (!share) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f%%", *share * 100.0);
    return buf;
}

}  // namespace

FleetReport::FleetReport(std::vector<VehicleDay> days)
    : days_(std::move(days)), results_(days_.size()), firstRow_(days_.size(), 0) {}

void FleetReport::Record(std::size_t index, VehicleDayResult result) {
    if (index >= results_.size() || results_[index]) return;
    if (!result.failure.empty()) {
        ++failed_;
        result.rows.clear();
    }
    results_[index] = std::move(result);
    ++finished_;
}

void FleetReport::Gather() {
    std::size_t count = 0;
    for (const auto& r : results_)
        if (r) count += r->rows.size();
    rows_.reserve(count);
    for (std::size_t i = 0; i < results_.size(); ++i) {
        firstRow_[i] = rows_.size();
        if (!results_[i]) continue;
        for (ReportRow& row : results_[i]->rows) rows_.push_back(std::move(row));
        results_[i]->rows.clear();
        results_[i]->rows.shrink_to_fit();
    }
}

ExportDocument FleetReport::Document(const FleetHeading& heading, OnTimeWindow window) const {
    ExportDocument document;
    document.title = std::string(kReportTitle);
    document.header = HeaderBlock({.company = heading.company,
                                   .plate = heading.vehicles,
                                   .start = heading.from + " 00:00:00",
                                   .end = heading.to + " 23:59:59",
                                   .rule = heading.rule,
                                   .generatedAt = heading.generatedAt,
                                   .matching = heading.matching});
    document.header.push_back({"准点窗口", DescribeWindow(window)});
    document.header.push_back({"车辆日", std::to_string(days_.size()) + "（完成 " +
                                             std::to_string(finished_ - failed_) + "，失败 " +
                                             std::to_string(failed_) + "）"});

    document.detail.title = "明细";
    document.detail.columns = DetailColumns();
    document.detail.rowCount = rows_.size();
    document.detail.cell = [rows = std::span<const ReportRow>(rows_)](std::size_t r, std::size_t c) {
        return std::string_view(rows[r][c]);
    };

    std::vector<SummaryRow> perDay;
    perDay.reserve(days_.size() + 1);
    SummaryRow total{{"合计", "", ""}, {}};
    for (std::size_t i = 0; i < days_.size(); ++i) {
        const std::optional<VehicleDayResult>& result = results_[i];
        SummaryRow row{{days_[i].plate, days_[i].date, std::string(kReportedText)}, {}};
        if (!result) {
            row.key[2] = "未完成";
        } else if (!result->failure.empty()) {
            row.key[2] = result->failure;
            row.counts.planned = result->plannedStops;
        } else {
            const std::size_t end = i + 1 < days_.size() ? firstRow_[i + 1] : rows_.size();
            row.counts = CountPunctuality(
                std::span<const ReportRow>(rows_).subspan(firstRow_[i], end - firstRow_[i]), window);
        }
        AddCounts(total.counts, row.counts);
        perDay.push_back(std::move(row));
    }
    perDay.push_back(std::move(total));
    document.summaries.push_back(
        SummaryTable("车辆日汇总", {"车牌号码", "日期", "结果"}, std::move(perDay)));

    static constexpr ReportColumn kByLine[] = {kColLine};
    document.summaries.push_back(
        SummaryTable("线路汇总", {"线路"}, SummariseBy(rows_, kByLine, window)));

    if (failed_ > 0) {
        auto texts = std::make_shared<std::vector<std::array<std::string, 3>>>();
        for (std::size_t i = 0; i < days_.size(); ++i)
            if (results_[i] && !results_[i]->failure.empty())
                texts->push_back({days_[i].plate, days_[i].date, results_[i]->failure});
        ExportTable failures;
        failures.title = "未完成";
        failures.columns = {{"车牌号码"}, {"日期", CellKind::Date}, {"原因", CellKind::Text, false, 300}};
        failures.rowCount = texts->size();
        failures.cell = [texts](std::size_t r, std::size_t c) { return std::string_view((*texts)[r][c]); };
        document.summaries.push_back(std::move(failures));
    }
    return document;
}

std::string FleetReport::SummaryText(OnTimeWindow window, double seconds) const {
    std::set<std::string_view> plates, dates;
    for (const VehicleDay& d : days_) {
        plates.insert(d.plate);
        dates.insert(d.date);
    }
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.1f s, %.1f per second", seconds,
                  seconds > 0 ? static_cast<double>(finished_) / seconds : 0.0);
    std::string text = std::to_string(days_.size()) + " vehicle-days (" + std::to_string(plates.size()) +
                       " vehicles, " + std::to_string(dates.size()) + " days) in " + rate + ": " +
                       std::to_string(finished_ - failed_) + " reported, " + std::to_string(failed_) +
                       " failed\n";
    const PunctualityCounts c = CountPunctuality(rows_, window);
    text += "stops: " + std::to_string(c.planned) + " planned, " + std::to_string(c.served) + " served, " +
            std::to_string(c.onTime) + " on time, " + std::to_string(c.late) + " late, " +
            std::to_string(c.early) + " early, " + std::to_string(c.notServed) + " not served";
    if (c.unreadable > 0) text += ", " + std::to_string(c.unreadable) + " unreadable";
    text += "\non time: " + Percent(c.OnTimeShare()) + " (" + DescribeWindow(window) + ")\n";
    if (failed_ == 0) return text;
    text += "failed:\n";
    std::size_t listed = 0;
    for (std::size_t i = 0; i < days_.size(); ++i) {
        if (!results_[i] || results_[i]->failure.empty()) continue;
        if (listed++ == kListedFailures) {
            text += "  … and " + std::to_string(failed_ - kListedFailures) + " more (summary sheet \"未完成\")\n";
            break;
        }
        text += "  " + days_[i].plate + "  " + days_[i].date + "  " + results_[i]->failure + "\n";
    }
    return text;
}

}  // namespace fw

#include "reports/Punctuality.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <utility>

#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw {
namespace {

std::optional<long long> Deviation(const std::string& planned, const std::string& real) {
    const std::optional<OleDate> p = ParseDateTime(planned);
    const std::optional<OleDate> r = ParseDateTime(real);
    if (!p || !r) return std::nullopt;
    return SecondsBetween(*r, *p);
}

std::string Number(double value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string Duration(int seconds) {
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + "分钟";
    return std::to_string(seconds) + "秒";
}

constexpr const char* kCountHeadings[] = {"计划站次", "已服务", "准点",     "迟到",
                                          "早到",     "未服务", "无法判定", "准点率"};

}  // namespace

std::optional<long long> ArrivalDeviation(const ReportRow& row) {
    return Deviation(row[kColPlanReach], row[kColRealReach]);
}

Punctuality Classify(const ReportRow& row, OnTimeWindow window) {
    std::optional<long long> deviation;
    if (!row[kColRealReach].empty())
        deviation = ArrivalDeviation(row);
    else if (!row[kColRealLeave].empty())
        deviation = Deviation(row[kColPlanLeave], row[kColRealLeave]);
    else
        return Punctuality::NotServed;
    if (!deviation) return Punctuality::Unreadable;
    if (*deviation < -static_cast<long long>(window.earlySeconds)) return Punctuality::Early;
    if (*deviation > static_cast<long long>(window.lateSeconds)) return Punctuality::Late;
    return Punctuality::OnTime;
}

void PunctualityCounts::Add(Punctuality p) {
    ++planned;
    if (p != Punctuality::NotServed) ++served;
    switch (p) {
        case Punctuality::NotServed:
            ++notServed;
            break;
        case Punctuality::OnTime:
            ++onTime;
            break;
        case Punctuality::Late:
            ++late;
            break;
        case Punctuality::Early:
            ++early;
            break;
        case Punctuality::Unreadable:
            ++unreadable;
            break;
    }
}

std::optional<double> PunctualityCounts::OnTimeShare() const {
    const std::size_t judged = onTime + late + early;
    if (judged == 0) return std::nullopt;
    return static_cast<double>(onTime) / static_cast<double>(judged);
}

PunctualityCounts CountPunctuality(std::span<const ReportRow> rows, OnTimeWindow window) {
    PunctualityCounts counts;
    for (const ReportRow& row : rows) counts.Add(Classify(row, window));
    return counts;
}

std::vector<SummaryRow> SummariseBy(std::span<const ReportRow> rows,
                                    std::span<const ReportColumn> keyColumns, OnTimeWindow window) {
    // Keys in natural order: 1路, 7路, 155路, 201路, 西湖观光线.
    auto natural = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](const std::string& x, const std::string& y) { return NaturalLess(x, y); });
    };
    std::map<std::vector<std::string>, PunctualityCounts, decltype(natural)> counts(natural);
    SummaryRow total;
    for (const ReportRow& row : rows) {
        std::vector<std::string> key;
        key.reserve(keyColumns.size());
        for (ReportColumn c : keyColumns) key.push_back(row[c]);
        const Punctuality p = Classify(row, window);
        counts[std::move(key)].Add(p);
        total.counts.Add(p);
    }
    std::vector<SummaryRow> out;
    out.reserve(counts.size() + 1);
    for (auto& [key, c] : counts) out.push_back({key, c});
    total.key.assign(keyColumns.size(), std::string());
    if (!total.key.empty()) total.key[0] = "合计";
    out.push_back(std::move(total));
    return out;
}

ExportTable SummaryTable(std::string title, std::vector<std::string> keyHeadings,
                         std::vector<SummaryRow> rows) {
    ExportTable table;
    table.title = std::move(title);
    for (std::string& heading : keyHeadings) table.columns.push_back({std::move(heading)});
    for (const char* heading : kCountHeadings)
        table.columns.push_back({heading, CellKind::Count, false, 80});
    table.columns.back().kind = CellKind::Share;
    const std::size_t keys = table.columns.size() - std::size(kCountHeadings);

    // The texts are made once; the cell function hands out views of them.
    auto texts = std::make_shared<std::vector<std::vector<std::string>>>();
    texts->reserve(rows.size());
    for (SummaryRow& row : rows) {
        std::vector<std::string> cells = std::move(row.key);
        cells.resize(keys);
        const PunctualityCounts& c = row.counts;
        for (std::size_t n :
             {c.planned, c.served, c.onTime, c.late, c.early, c.notServed, c.unreadable})
            cells.push_back(std::to_string(n));
        const std::optional<double> share = c.OnTimeShare();
        cells.push_back(share ? Number(*share) : std::string());
        texts->push_back(std::move(cells));
    }
    table.rowCount = texts->size();
    table.cell = [texts](std::size_t row, std::size_t column) -> std::string_view {
        return (*texts)[row][column];
    };
    return table;
}

ExportTable LineSummary(std::span<const ReportRow> rows, OnTimeWindow window) {
    static constexpr ReportColumn kByLine[] = {kColLine};
    return SummaryTable("汇总", {"线路"}, SummariseBy(rows, kByLine, window));
}

std::string DescribeWindow(OnTimeWindow window) {
    return "提前" + Duration(window.earlySeconds) + "至迟到" + Duration(window.lateSeconds);
}

}  // namespace fw

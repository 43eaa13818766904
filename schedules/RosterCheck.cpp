#include "schedules/RosterCheck.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_set>
#include <vector>

#include "text/Strings.h"

namespace fw {
namespace {

constexpr int kDay = 86400;

std::string PlateKey(std::string_view plate) { return ToLowerAscii(TrimView(plate)); }

std::string ClockText(int seconds) {
    const bool nextDay = seconds >= kDay;
    if (nextDay) seconds -= kDay;
    char buf[32];
    if (seconds % 60 != 0)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d", seconds / 3600, seconds / 60 % 60);
    return (nextDay ? "次日" : "") + std::string(buf);
}

std::string SpanText(const BatchSpan& s) { return ClockText(s.first) + "–" + ClockText(s.last); }

std::string DurationText(int seconds) {
    if (seconds < 60) return std::to_string(seconds) + "秒";
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + "分钟";
    return std::to_string(seconds / 60) + "分" + std::to_string(seconds % 60) + "秒";
}

// Why two spans of one vehicle cannot both be driven, or nothing when they can.
std::optional<std::string> Clash(const BatchSpan& a, const BatchSpan& b, int minTurnaround) {
    if (!a.known || !b.known) return std::nullopt;
    const int gap = std::max(b.first - a.last, a.first - b.last);
    if (gap >= minTurnaround && gap >= 0) return std::nullopt;
    if (gap < 0) return std::string("时间重叠");
    if (gap == 0) return "首尾相接，没有周转时间（至少" + DurationText(minTurnaround) + "）";
    return "间隔只有" + DurationText(gap) + "，少于周转时间" + DurationText(minTurnaround);
}

}  // namespace

std::optional<int> DepartureSeconds(std::string_view text) {
    text = TrimView(text);
    if (const auto blank = text.rfind(' '); blank != std::string_view::npos)
        text = text.substr(blank + 1);
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 2) return std::nullopt;
            parts[count] = parts[count] * 10 + (c - '0');
        } else if (c == ':' && digits > 0 && count < 2) {
            ++count;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count < 1 || digits == 0 || parts[0] > 47 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

std::vector<BatchSpan> BatchSpans(const std::vector<std::string>& batches,
                                  const std::vector<TimetableRow>& rows) {
    std::map<std::string, BatchSpan> byBatch;
    std::map<std::string, int> previous;  // the batch's last departure so far, days counted
    for (const TimetableRow& row : rows) {
        const auto seconds = DepartureSeconds(row.startTime);
        if (!seconds) continue;
        int t = *seconds;
        BatchSpan& span = byBatch[row.batch];
        if (span.known) {
            // Far earlier than the departure before it: the next day. A little earlier: a
            // timetable out of order, which widens the span instead.
            while (t < previous[row.batch] - kDay / 2) t += kDay;
            span.first = std::min(span.first, t);
            span.last = std::max(span.last, t);
        } else {
            span = {true, t, t};
        }
        previous[row.batch] = t;
    }
    std::vector<BatchSpan> out;
    out.reserve(batches.size());
    for (const std::string& batch : batches) {
        const auto found = byBatch.find(batch);
        out.push_back(found != byBatch.end() ? found->second : BatchSpan{});
    }
    return out;
}

RosterCheck CheckRoster(const AssignmentGrid& grid, const std::vector<BatchSpan>& spans,
                        const std::vector<std::string>& fleetPlates, int minTurnaround) {
    RosterCheck check;
    std::unordered_set<std::string> fleet;
    for (const std::string& plate : fleetPlates) fleet.insert(PlateKey(plate));
    fleet.erase(std::string());
    check.platesChecked = !fleet.empty();
    auto spanOf = [&spans](int column) {
        return static_cast<std::size_t>(column - 1) < spans.size()
                   ? spans[static_cast<std::size_t>(column - 1)]
                   : BatchSpan{};
    };

    const int columns = grid.ColumnCount();
    std::vector<std::string> keys(static_cast<std::size_t>(columns));
    std::vector<int> order;
    std::vector<std::string> clashes(static_cast<std::size_t>(columns));
    for (int row = 0; row < grid.RowCount(); ++row) {
        for (int column = 1; column < columns; ++column) {
            keys[static_cast<std::size_t>(column)] = PlateKey(grid.Cell(row, column));
            clashes[static_cast<std::size_t>(column)].clear();
        }
        // The cells of one vehicle on this date stand together, in column order.
        order.clear();
        for (int column = 1; column < columns; ++column)
            if (!keys[static_cast<std::size_t>(column)].empty()) order.push_back(column);
        std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
            return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
        });
        for (std::size_t first = 0; first < order.size();) {
            std::size_t last = first + 1;
            while (last < order.size() && keys[static_cast<std::size_t>(order[last])] ==
                                              keys[static_cast<std::size_t>(order[first])])
                ++last;
            for (std::size_t i = first; i < last; ++i)
                for (std::size_t j = i + 1; j < last; ++j) {
                    const int a = order[i], b = order[j];
                    const auto why = Clash(spanOf(a), spanOf(b), minTurnaround);
                    if (!why) continue;
                    auto note = [&](int self, int other) {
                        std::string& text = clashes[static_cast<std::size_t>(self)];
                        text += (text.empty() ? "" : "；") + std::string("同日还在“") +
                                grid.Batch(other) + "”（" + SpanText(spanOf(other)) +
                                "），与本班次（" + SpanText(spanOf(self)) + "）" + *why;
                    };
                    note(a, b);
                    note(b, a);
                }
            first = last;
        }
        for (int column = 1; column < columns; ++column) {
            const std::string& key = keys[static_cast<std::size_t>(column)];
            if (key.empty()) {
                check.findings.push_back({row, column, RosterIssue::NoVehicle, "没有配车"});
                ++check.noVehicle;
                continue;
            }
            const std::string_view plate = TrimView(grid.Cell(row, column));
            if (check.platesChecked && !fleet.contains(key)) {
                check.findings.push_back({row, column, RosterIssue::UnknownPlate,
                                          "车牌“" + std::string(plate) + "”不在车辆列表中"});
                ++check.unknownPlates;
            }
            if (!clashes[static_cast<std::size_t>(column)].empty()) {
                check.findings.push_back(
                    {row, column, RosterIssue::TimeClash,
                     std::string(plate) + clashes[static_cast<std::size_t>(column)]});
                ++check.clashes;
            }
        }
    }
    return check;
}

std::string RosterCheck::Summary() const {
    std::string parts;
    auto add = [&parts](int count, const char* what) {
        if (count > 0) parts += (parts.empty() ? "" : "，") + std::to_string(count) + what;
    };
    add(unknownPlates, "处车牌不在车辆列表中");
    add(clashes, "处时间冲突");
    add(noVehicle, "处没有配车");
    if (parts.empty()) return {};
    return "排班检查：" + parts + (platesChecked ? "" : "（尚未收到车辆列表，车牌未核对）");
}

std::string RosterCheck::SaveQuestion(const AssignmentGrid& grid, std::size_t listed) const {
    // The worst first: a clash cannot be driven, an unknown plate reaches no vehicle, an empty
    // cell may be meant.
    auto rank = [](RosterIssue issue) {
        return issue == RosterIssue::TimeClash ? 0 : issue == RosterIssue::UnknownPlate ? 1 : 2;
    };
    std::vector<const RosterFinding*> order;
    for (const RosterFinding& f : findings) order.push_back(&f);
    std::stable_sort(order.begin(), order.end(),
                     [&rank](const RosterFinding* a, const RosterFinding* b) {
                         return rank(a->issue) < rank(b->issue);
                     });
    std::string text = Summary() + "\n\n";
    for (std::size_t i = 0; i < order.size() && i < listed; ++i)
        text += grid.Date(order[i]->row) + " " + grid.Batch(order[i]->column) + "：" +
                order[i]->reason + "\n";
    if (order.size() > listed) text += "……另有" + std::to_string(order.size() - listed) + "处\n";
    return text + "\n仍要发送这个排班，还是返回修改？";
}

}  // namespace fw

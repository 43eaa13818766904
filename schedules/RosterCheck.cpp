#include "schedules/RosterCheck.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_set>
#include <vector>

#include "text/Encoding.h"
#include "text/OleDate.h"
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

std::string DurationText(int seconds) {
    if (seconds < 60) return std::to_string(seconds) + "秒";
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + "分钟";
    return std::to_string(seconds / 60) + "分" + std::to_string(seconds % 60) + "秒";
}

// Why two spans of one vehicle cannot both be driven, or nothing when they can. `shift` moves
// b: a day on for the next date's batches.
std::optional<std::string> Clash(const BatchSpan& a, const BatchSpan& b, int minTurnaround, int shift = 0) {
    if (!a.known || !b.known) return std::nullopt;
    const int gap = std::max(b.first + shift - a.end, a.first - b.end - shift);
    if (gap >= minTurnaround && gap >= 0) return std::nullopt;
    if (gap < 0) return std::string("时间重叠");
    if (gap == 0) return "首尾相接，没有周转时间（至少" + DurationText(minTurnaround) + "）";
    return "间隔只有" + DurationText(gap) + "，少于周转时间" + DurationText(minTurnaround);
}

// Builds a batch's span from its departures in sheet order.
class SpanBuilder {
public:
    void Add(std::string_view time, std::string_view line) {
        const auto seconds = DepartureSeconds(time);
        if (!seconds) return;
        int t = *seconds;
        if (span_.known) {
            // Far earlier than the departure before it: the next day. A little earlier: a
            // timetable out of order, which widens the span instead.
            while (t < previous_ - kDay / 2) t += kDay;
            span_.outOfOrder |= t < previous_;
            span_.first = std::min(span_.first, t);
            if (t >= span_.last) {
                span_.last = t;
                span_.line = std::string(line);
            }
        } else {
            span_.known = true;
            span_.first = span_.last = t;
            span_.line = std::string(line);
        }
        previous_ = t;
    }
    BatchSpan Finish(const TripTimes& trips) {
        if (span_.known) {
            const auto own = trips.Known(span_.line);
            span_.tripKnown = own.has_value();
            span_.end = span_.last + own.value_or(trips.Fallback());
        }
        return std::move(span_);
    }

private:
    BatchSpan span_;
    int previous_ = 0;
};

struct Vehicle {
    std::string key;
    int column;
};

// The cells of one date that hold a vehicle, grouped by vehicle (columns in order within one).
std::vector<Vehicle> VehiclesOf(const AssignmentGrid& grid, int row) {
    std::vector<Vehicle> out;
    for (int column = 1; column < grid.ColumnCount(); ++column)
        if (std::string key = PlateKey(grid.Cell(row, column)); !key.empty()) out.push_back({std::move(key), column});
    std::stable_sort(out.begin(), out.end(), [](const Vehicle& a, const Vehicle& b) { return a.key < b.key; });
    return out;
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

std::vector<BatchSpan> BatchSpans(const DepartureList& departures, const TripTimes& trips) {
    std::vector<BatchSpan> out;
    out.reserve(departures.Batches().size());
    for (int b = 0; b < static_cast<int>(departures.Batches().size()); ++b) {
        SpanBuilder span;
        for (std::size_t k = 0; k < departures.BatchSize(b); ++k) {
            const DepartureList::View d = departures.At(b, k);
            span.Add(d.time, d.line);
        }
        out.push_back(span.Finish(trips));
    }
    return out;
}

std::vector<BatchSpan> BatchSpans(const std::vector<std::string>& batches, const std::vector<TimetableRow>& rows,
                                  const TripTimes& trips) {
    std::map<std::string, SpanBuilder> byBatch;
    for (const TimetableRow& row : rows) byBatch[row.batch].Add(row.startTime, row.lineName);
    std::vector<BatchSpan> out;
    out.reserve(batches.size());
    for (const std::string& batch : batches) {
        const auto found = byBatch.find(batch);
        out.push_back(found != byBatch.end() ? found->second.Finish(trips) : BatchSpan{});
    }
    return out;
}

std::string SpanText(const BatchSpan& s) { return ClockText(s.first) + "–" + ClockText(s.end); }

RosterCheck CheckRoster(const AssignmentGrid& grid, const std::vector<BatchSpan>& spans,
                        const std::vector<std::string>& fleetPlates, int minTurnaround, const TextCodec* wire) {
    RosterCheck check;
    std::unordered_set<std::string> fleet;
    for (const std::string& plate : fleetPlates) fleet.insert(PlateKey(plate));
    fleet.erase(std::string());
    check.platesChecked = !fleet.empty();
    auto spanOf = [&spans](int column) {
        return static_cast<std::size_t>(column - 1) < spans.size() ? spans[static_cast<std::size_t>(column - 1)] : BatchSpan{};
    };

    // Names first: on the wire each character the charset lacks turns into '?'.
    if (wire != nullptr) {
        check.charset = wire->Charset();
        for (int column = 1; column < grid.ColumnCount(); ++column) {
            const std::vector<std::string> lost = wire->Unsendable(grid.Batch(column));
            if (lost.empty()) continue;
            std::string characters;
            for (const std::string& c : lost) characters += "“" + c + "”";
            check.findings.push_back({-1, column, RosterIssue::UnsendableName,
                                      "班次名称中的" + characters + "无法以" + wire->Charset() + "发送，服务器收到的是“?”"});
            ++check.unsendableNames;
        }
    }

    const int columns = grid.ColumnCount();
    // The clashes of each cell of this row and the next, filled as pairs are found.
    std::vector<std::string> clashes(static_cast<std::size_t>(columns)), nextClashes(static_cast<std::size_t>(columns));
    auto note = [&](std::string& text, std::string_view when, int other, const std::string& why, int self) {
        text += (text.empty() ? "" : "；") + std::string(when) + "还在“" + grid.Batch(other) + "”（" +
                SpanText(spanOf(other)) + "），与本班次（" + SpanText(spanOf(self)) + "）" + why;
    };
    std::vector<Vehicle> vehicles = grid.RowCount() > 0 ? VehiclesOf(grid, 0) : std::vector<Vehicle>();
    for (int row = 0; row < grid.RowCount(); ++row) {
        std::swap(clashes, nextClashes);
        for (std::string& text : nextClashes) text.clear();
        // One vehicle on two batches of this date.
        for (std::size_t first = 0; first < vehicles.size();) {
            std::size_t last = first + 1;
            while (last < vehicles.size() && vehicles[last].key == vehicles[first].key) ++last;
            for (std::size_t i = first; i < last; ++i)
                for (std::size_t j = i + 1; j < last; ++j) {
                    const int a = vehicles[i].column, b = vehicles[j].column;
                    const auto why = Clash(spanOf(a), spanOf(b), minTurnaround);
                    if (!why) continue;
                    note(clashes[static_cast<std::size_t>(a)], "同日", b, *why, a);
                    note(clashes[static_cast<std::size_t>(b)], "同日", a, *why, b);
                }
            first = last;
        }
        // Its last batches of this date against its first of the next, past midnight.
        std::vector<Vehicle> next;
        if (row + 1 < grid.RowCount()) {
            next = VehiclesOf(grid, row + 1);
            const auto today = ParseDateTime(grid.Date(row)), tomorrow = ParseDateTime(grid.Date(row + 1));
            if (today && tomorrow && *tomorrow - *today == 1) {
                for (std::size_t i = 0, j = 0; i < vehicles.size() && j < next.size();) {
                    if (vehicles[i].key < next[j].key) {
                        ++i;
                    } else if (next[j].key < vehicles[i].key) {
                        ++j;
                    } else {
                        const std::string& key = vehicles[i].key;
                        std::size_t iEnd = i, jEnd = j;
                        while (iEnd < vehicles.size() && vehicles[iEnd].key == key) ++iEnd;
                        while (jEnd < next.size() && next[jEnd].key == key) ++jEnd;
                        for (std::size_t x = i; x < iEnd; ++x)
                            for (std::size_t y = j; y < jEnd; ++y) {
                                const int a = vehicles[x].column, b = next[y].column;
                                const auto why = Clash(spanOf(a), spanOf(b), minTurnaround, kDay);
                                if (!why) continue;
                                note(clashes[static_cast<std::size_t>(a)], "次日", b, *why, a);
                                note(nextClashes[static_cast<std::size_t>(b)], "前一天", a, *why, b);
                            }
                        i = iEnd;
                        j = jEnd;
                    }
                }
            }
        }
        for (int column = 1; column < columns; ++column) {
            const std::string_view plate = TrimView(grid.Cell(row, column));
            if (plate.empty()) {
                check.findings.push_back({row, column, RosterIssue::NoVehicle, "没有配车"});
                ++check.noVehicle;
                continue;
            }
            if (check.platesChecked && !fleet.contains(PlateKey(plate))) {
                check.findings.push_back({row, column, RosterIssue::UnknownPlate,
                                          "车牌“" + std::string(plate) + "”不在车辆列表中"});
                ++check.unknownPlates;
            }
            if (!clashes[static_cast<std::size_t>(column)].empty()) {
                check.findings.push_back(
                    {row, column, RosterIssue::TimeClash, std::string(plate) + clashes[static_cast<std::size_t>(column)]});
                ++check.clashes;
            }
        }
        vehicles = std::move(next);
    }
    return check;
}

std::string RosterCheck::Summary() const {
    std::string parts;
    auto add = [&parts](int count, const std::string& what) {
        if (count > 0) parts += (parts.empty() ? "" : "，") + std::to_string(count) + what;
    };
    add(unknownPlates, "处车牌不在车辆列表中");
    add(clashes, "处时间冲突");
    add(noVehicle, "处没有配车");
    add(unsendableNames, "个班次名称含" + charset + "无法发送的字符");
    if (parts.empty()) return {};
    return "排班检查：" + parts + (platesChecked ? "" : "（尚未收到车辆列表，车牌未核对）");
}

int RosterIssueRank(RosterIssue issue) {
    switch (issue) {
        case RosterIssue::TimeClash: return 0;
        case RosterIssue::UnsendableName: return 1;
        case RosterIssue::UnknownPlate: return 2;
        case RosterIssue::NoVehicle: break;
    }
    return 3;
}

std::string RosterCheck::SaveQuestion(const AssignmentGrid& grid, std::size_t listed) const {
    std::vector<const RosterFinding*> order;
    for (const RosterFinding& f : findings) order.push_back(&f);
    std::stable_sort(order.begin(), order.end(), [](const RosterFinding* a, const RosterFinding* b) {
        return RosterIssueRank(a->issue) < RosterIssueRank(b->issue);
    });
    std::string text = Summary() + "\n\n";
    for (std::size_t i = 0; i < order.size() && i < listed; ++i) {
        const RosterFinding& f = *order[i];
        text += (f.row < 0 ? "班次“" + grid.Batch(f.column) + "”" : grid.Date(f.row) + " " + grid.Batch(f.column)) + "：" +
                f.reason + "\n";
    }
    if (order.size() > listed) text += "……另有" + std::to_string(order.size() - listed) + "处\n";
    return text + "\n仍要发送这个排班，还是返回修改？";
}

}  // namespace fw

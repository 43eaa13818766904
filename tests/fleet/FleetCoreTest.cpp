// The rules of fenwarde-report that need no connection: its command line, the choice of
// vehicles, one vehicle-day's run, the pool that runs many at once, and
// the report's order and summaries.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "fleet/FleetOptions.h"
#include "fleet/FleetPlan.h"
#include "fleet/FleetProgress.h"
#include "fleet/FleetReport.h"
#include "fleet/FleetWorkers.h"
#include "fleet/VehicleDayRun.h"
#include "reports/CsvWriter.h"
#include "reports/ReportRun.h"
#include "store/Database.h"
#include "routes/RouteStore.h"
#include "store/VehicleStore.h"
#include "tests/reports/HandmadeList.h"
#include "tests/reports/SyntheticDay.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

struct OptionsRow {
    std::vector<std::string> args;
    std::string error;  // a part of the message; empty: accepted
};

void PrintTo(const OptionsRow& row, std::ostream* out) {
    for (const std::string& arg : row.args) *out << arg << ' ';
}

class FleetOptionsRows : public testing::TestWithParam<OptionsRow> {};

TEST_P(FleetOptionsRows, AcceptOrRefuseWithAClearMessage) {
    const std::string error = ParseFleetOptions(GetParam().args, 2).error;
    EXPECT_EQ(error.empty(), GetParam().error.empty()) << error;
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
}

const std::vector<std::string> kRange = {"--from", "2014-08-25", "--to", "2014-08-26", "--out", "r.xlsx"};
std::vector<std::string> With(std::vector<std::string> more, std::vector<std::string> base = kRange) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FleetOptionsRows,
    testing::Values(
        OptionsRow{kRange, ""},
        OptionsRow{{"--from", "2014-08-26", "--to", "2014-08-25", "--out", "r.csv"}, "is after --to"},
        OptionsRow{{"--from", "2014-01-01", "--to", "2015-02-04", "--out", "r.csv"}, "400 days; more than 92 need --force"},
        OptionsRow{{"--from", "2014-01-01", "--to", "2015-02-04", "--out", "r.csv", "--force"}, ""},
        OptionsRow{{"--from", "2014-02-30", "--to", "2014-03-01", "--out", "r.csv"}, "--from: 2014-02-30 is not a date"},
        OptionsRow{{"--from", "2014-8-25", "--to", "2014-08-26", "--out", "r.csv"}, "not a date as YYYY-MM-DD"},
        OptionsRow{{"--from", "2014-08-25", "--out", "r.csv"}, "--from and --to are required"},
        OptionsRow{{"--from", "2014-08-25", "--to", "2014-08-25"}, "--out is required"},
        OptionsRow{{"--from", "2014-08-25", "--to", "2014-08-25", "--out", "r.pdf"}, "must end in .xlsx or .csv"},
        OptionsRow{With({"--plates", "浙A1", "--group", "公交一公司"}), "cannot be used together"},
        OptionsRow{With({"--plates", " , "}), "--plates needs at least one plate"},
        OptionsRow{With({"--password", "secret"}), "never taken from the command line"},
        OptionsRow{With({"--jobs", "0"}), "--jobs: 0 is not a number from 1 to 64"},
        OptionsRow{With({"--timeout", "soon"}), "--timeout: soon is not a number"},
        OptionsRow{With({"--home"}), "--home needs a value"},
        OptionsRow{With({"--plates", "@/nonexistent/plates.txt"}), "--plates: cannot read /nonexistent/plates.txt"},
        OptionsRow{{"--list-plates", "--group", "公交一公司"}, ""}));

TEST(FleetOptions, ValuesAndDefaults) {
    const FleetOptions a = ParseFleetOptions(With({"--plates", " 浙A1 ,,浙A2", "--out=R.CSV"}), 6);
    EXPECT_EQ(a.plates, (std::vector<std::string>{"浙A1", "浙A2"}));
    // format, jobs (the machine's threads), fetches, timeout, rule (conf.ini's when not given)
    EXPECT_EQ(std::tuple(a.format, a.jobs, a.fetches, a.timeoutSeconds, a.rule.has_value(), a.matching.has_value()),
              std::tuple(FleetFormat::Csv, 6, 4, 60, false, false));
    const FleetOptions b =
        ParseFleetOptions(With({"--rule", "Interpolated", "--jobs", "2", "--matching=sequence"}), 6);
    EXPECT_EQ(std::tuple(b.format, b.jobs, b.rule, b.matching),
              std::tuple(FleetFormat::Xlsx, 2, std::optional(DetectionRule::Interpolated), std::optional(Matching::Sequence)));
    // A file of plates, as --list-plates writes them (the group after a tab), or by commas.
    test::TempHome dir;
    test::WriteFile(dir.File("part.txt"), "浙A1\t公交一公司\n 浙A2 \n\n浙A3,浙A4\n");
    EXPECT_EQ(ParseFleetOptions(With({"--plates", "@" + dir.File("part.txt")}), 1).plates,
              (std::vector<std::string>{"浙A1", "浙A2", "浙A3", "浙A4"}));
    const FleetOptions help = ParseFleetOptions({"--help"}, 1);  // needs nothing else
    EXPECT_TRUE(help.help && help.error.empty());
}

TEST(FleetOptions, DatesBetweenCrossMonthsAndLeapDays) {
    EXPECT_EQ(DatesBetween("2016-02-28", "2016-03-01"),
              (std::vector<std::string>{"2016-02-28", "2016-02-29", "2016-03-01"}));
    EXPECT_EQ(DatesBetween("2014-12-31", "2015-01-01"), (std::vector<std::string>{"2014-12-31", "2015-01-01"}));
    EXPECT_EQ(std::tuple(DatesBetween("2014-08-25", "2014-08-25").size(), DatesBetween("2014-08-25", "2014-08-24").size(),
                         DatesBetween("2014-08-25", "soon").size()),
              std::tuple(1u, 0u, 0u));
}

VehicleStore Fleet() {
    VehicleStore v;
    v.Add({"浙B2", "2", "公交二公司"});
    v.Add({"浙A1", "1", "公交一公司"});
    v.Add({"浙A3", "3", "公交一公司"});
    v.Add({"浙A1", "11", "公交一公司"});  // announced twice: the later id wins
    return v;
}

TEST(FleetPlan, PlatesComeSortedOnceFromTheListTheGroupOrTheWholeLogin) {
    const VehicleStore fleet = Fleet();
    FleetOptions o;
    EXPECT_EQ(ChoosePlates(o, fleet, "admin").plates, (std::vector<std::string>{"浙A1", "浙A3", "浙B2"}));
    o.group = "公交一公司";
    EXPECT_EQ(ChoosePlates(o, fleet, "admin").plates, (std::vector<std::string>{"浙A1", "浙A3"}));
    o.group = "旅游公司";
    EXPECT_EQ(ChoosePlates(o, fleet, "admin").error, "group 旅游公司 has no vehicles");
    o.group.clear();
    o.plates = {"浙B2", "浙A1", "浙B2"};
    EXPECT_EQ(ChoosePlates(o, fleet, "admin").plates, (std::vector<std::string>{"浙A1", "浙B2"}));
    o.plates = {"浙A1", "京X0", "京X9"};
    const PlateChoice unknown = ChoosePlates(o, fleet, "admin");
    EXPECT_TRUE(unknown.plates.empty());
    EXPECT_EQ(unknown.error, "unknown plates: 京X0, 京X9 (not among the 4 vehicles of user admin)");
    EXPECT_NE(ChoosePlates(FleetOptions{}, VehicleStore{}, "admin").error.find("no vehicles"), std::string::npos);

    const auto days = PlanVehicleDays({"浙A1", "浙B2"}, {"2014-08-25", "2014-08-26"}, fleet);
    ASSERT_EQ(days.size(), 4u);
    EXPECT_EQ(std::tuple(days[0].vehicleId, days[1].date, days[2].plate), std::tuple("11", "2014-08-26", "浙B2"));
}

struct DayFixture {
    test::SyntheticDay day = test::MakeSyntheticDay({});
    RouteStore routes;
    VehicleStore vehicles;
    FleetContext context{"admin", "127.0.0.1", 8089, {}};

    DayFixture() {
        for (const RouteRecord& r : day.routes) routes.Append(r);
        vehicles.Add({"沪A10086", "77", "公交一公司"});
    }
    VehicleDayInput Input() const {
        VehicleDayInput input{{"沪A10086", "77", "2014-08-25"}, {}, day.trackBody, ""};
        for (const auto& stop : day.stops) input.stops.push_back(stop.entry);
        return input;
    }
};

// fenwarde-report lists a vehicle-day as the window's run lists it from its store, odd rows
// too: a planned time with a blank after it, the plate and a line in another letter case, equal
// plans, a stop of another vehicle and one beyond the day.
TEST(VehicleDayRun, ListsTheDayAsTheWindowsRunReadsItFromItsStore) {
    DayFixture f;
    VehicleDayInput input = f.Input();
    StopTimeEntry odd = input.stops[4];
    odd.planReachTime += " ";
    odd.batchName = "  early ";
    input.stops.push_back(odd);
    odd = input.stops[7];
    odd.code = "沪a10086";
    odd.lineName = "X" + odd.lineName;
    input.stops.push_back(odd);
    input.stops.push_back(input.stops[9]);  // the same plan once more
    odd = input.stops[2];
    odd.code = "沪B2";
    input.stops.push_back(odd);
    odd.code = input.stops[0].code;
    odd.planReachTime = "2014-08-26 00:00:00";
    input.stops.push_back(odd);
    for (Matching matching : {Matching::Nearest, Matching::Sequence}) {
        FleetContext context = f.context;
        context.detection.matching = matching;
        const VehicleDayResult fleet = RunVehicleDay(context, input, f.routes);
        ASSERT_EQ(fleet.failure, "");
        EXPECT_EQ(fleet.plannedStops, f.day.stops.size() + 4);  // the vehicle's rows, whatever their day

        Database db;
        ASSERT_TRUE(db.OpenScratch());
        StopTimeTable table(db);
        for (const StopTimeEntry& stop : input.stops) ASSERT_TRUE(table.InsertStopTime(stop, "admin"));
        ReportRun run(table, f.routes, f.vehicles, nullptr);
        const ReportForm form = VehicleDayForm(context, input.day);
        ASSERT_TRUE(run.Begin(form).proceed);
        ReportList list;
        run.Finish(form, input.trackBody, list);
        ASSERT_EQ(fleet.rows.size(), list.Size());
        EXPECT_EQ(list.Size(), f.day.stops.size() + 3);
        for (std::size_t i = 0; i < list.Size(); ++i) EXPECT_EQ(fleet.rows[i].text, list.Row(i).text) << i;
    }
}

TEST(VehicleDayRun, EachFailureHasItsReason) {
    DayFixture f;
    struct Row {
        const char* what;
        std::function<void(VehicleDayInput&)> change;
        std::string failure;
    };
    const auto body = [](std::string text) { return [text](VehicleDayInput& in) { in.trackBody = text; }; };
    const std::vector<Row> rows = {
        {"no stop rows", [](VehicleDayInput& in) { in.stops.clear(); }, "无计划站点"},
        {"transfer failed", [](VehicleDayInput& in) { in.trackBody.clear(), in.trackFailure = "HTTP status 503"; },
         "轨迹数据为空：HTTP status 503"},
        {"refused", body(R"({"result":false,"msg":"车辆不存在","topics":[]})"), "轨迹服务拒绝：车辆不存在"},
        {"an error page", body("<html>busy</html>\n"), "轨迹数据不是JSON"},
        {"broken", body(R"({"result":true,"topics":[{"gpst":)"), "轨迹数据无法读取"},
        // A day without a single fix is reported without real times, not a failure.
        {"no fixes", body(R"({"result":true,"msg":"","topics":[]})"), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        VehicleDayInput input = f.Input();
        row.change(input);
        const VehicleDayResult result = RunVehicleDay(f.context, input, f.routes);
        EXPECT_EQ(result.failure, row.failure);
        EXPECT_EQ(result.rows.size(), row.failure.empty() ? f.day.stops.size() : 0u);
        for (const ReportRow& r : result.rows) EXPECT_EQ(r[kColRealReach], "");
    }
}

// Detection yields to the thread that talks to the server.
TEST(FleetWorkers, RunBelowTheCallersPriorityAndStoppingDropsWhatWaits) {
    DayFixture f;
    std::atomic<int> done{0}, niceness{-100};
    {
        FleetWorkers workers(1, f.routes, f.context, [&](std::size_t, VehicleDayResult) {
            niceness = getpriority(PRIO_PROCESS, 0);  // this thread's
            ++done;
        });
        workers.Submit(0, f.Input());
        for (int wait = 0; wait < 500 && done == 0; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (std::size_t i = 1; i < 50; ++i) workers.Submit(i, f.Input());
        workers.Stop();
        workers.Submit(99, f.Input());
    }
    const int caller = getpriority(PRIO_PROCESS, 0);
    if (caller < 19) {  // 19 is as low as it goes
        EXPECT_GT(niceness.load(), caller);
    }
    EXPECT_LT(done.load(), 50);
}

ReportRow RowOf(const std::string& plate, const std::string& date, const std::string& line, const std::string& reach,
                const std::string& real) {
    ReportRow row = test::StopRow("早班", line, "定安路", date + " " + reach, real.empty() ? "" : date + " " + real);
    row.text[kColPlate] = plate;
    row.text[kColDate] = date;
    return row;
}

// The cells of one table of a document, by row.
std::vector<std::vector<std::string>> Cells(const ExportTable& table) {
    std::vector<std::vector<std::string>> cells(table.rowCount);
    for (std::size_t r = 0; r < table.rowCount; ++r)
        for (std::size_t c = 0; c < table.columns.size(); ++c) cells[r].emplace_back(table.cell(r, c));
    return cells;
}

TEST(FleetReport, OutputOrderIsPlanOrderWhateverOrderResultsCameIn) {
    FleetReport report({{"浙A1", "1", "2014-08-25"}, {"浙A1", "1", "2014-08-26"}, {"浙B2", "2", "2014-08-25"}});
    report.Record(2, {{RowOf("浙B2", "2014-08-25", "7路", "06:00:00", "06:00:30")}, 1, ""});
    report.Record(1, {{}, 3, "轨迹数据为空：HTTP status 500"});
    EXPECT_FALSE(report.Complete());
    report.Record(0, {{RowOf("浙A1", "2014-08-25", "7路", "06:00:00", "06:09:00"),
                       RowOf("浙A1", "2014-08-25", "9路", "07:00:00", "")}, 2, ""});
    report.Record(0, {{}, 0, "a second result is ignored"});
    ASSERT_TRUE(report.Complete());
    EXPECT_EQ(report.Failed(), 1u);
    report.Gather();

    const ExportDocument doc =
        report.Document({"admin", "", "2014-08-25", "2014-08-26", "首个定位点", "now", "按班次顺序"}, {});
    const auto detail = Cells(doc.detail);
    ASSERT_EQ(detail.size(), 3u);
    EXPECT_EQ(detail[0][kColPlate] + detail[1][kColLine] + detail[2][kColPlate], "浙A19路浙B2");

    ASSERT_EQ(doc.summaries.size(), 3u);  // per vehicle-day, per line, the failures
    using Cells_ = std::vector<std::vector<std::string>>;
    // plate, date, result, planned, served, on time, late, early, not served, unreadable, share
    EXPECT_EQ(Cells(doc.summaries[0]),
              (Cells_{{"浙A1", "2014-08-25", "完成", "2", "1", "0", "1", "0", "1", "0", "0"},
                      {"浙A1", "2014-08-26", "轨迹数据为空：HTTP status 500", "3", "0", "0", "0", "0", "0", "0", ""},
                      {"浙B2", "2014-08-25", "完成", "1", "1", "1", "0", "0", "0", "0", "1"},
                      {"合计", "", "", "6", "2", "1", "1", "0", "1", "0", "0.5"}}));
    EXPECT_EQ(Cells(doc.summaries[2]), (Cells_{{"浙A1", "2014-08-26", "轨迹数据为空：HTTP status 500"}}));
    for (const auto& [label, value] : {std::pair{"车辆日", "3（完成 2，失败 1）"}, {"匹配方式", "按班次顺序"}})
        EXPECT_TRUE(std::any_of(doc.header.begin(), doc.header.end(),
                                [&](const HeaderLine& h) { return h.label == label && h.value == value; }))
            << label;

    const std::string text = report.SummaryText({}, 2.0);
    for (const char* part : {"3 vehicle-days (2 vehicles, 2 days) in 2.0 s, 1.5 per second: 2 reported, 1 failed",
                             "stops: 3 planned, 2 served, 1 on time, 1 late",
                             "浙A1  2014-08-26  轨迹数据为空：HTTP status 500"})
        EXPECT_NE(text.find(part), std::string::npos) << text;
}

// Plates, lines and stops come from the server: in a CSV, one that a spreadsheet would run as
// a formula is text, in the detail and in both summaries.
TEST(FleetReport, CsvWritesServerTextsThatLookLikeFormulasAsText) {
    FleetReport report({{"=1+2", "1", "2014-08-25"}});
    report.Record(0, {{RowOf("=1+2", "2014-08-25", "@SUM(1+1)", "06:00:00", "06:00:30")}, 1, ""});
    report.Gather();
    test::TempHome home;
    const std::string path = home.File("fleet.csv");
    ASSERT_TRUE(WriteCsv(report.Document({"admin", "", "2014-08-25", "2014-08-25", "首个定位点", "now", ""}, {}),
                         path, CsvCharset::Utf8)
                    .Written());
    const std::string text = test::ReadFile(path);
    for (const char* part : {"\r\n'=1+2,早班,2014-08-25,'@SUM(1+1),定安路,", "\r\n'=1+2,2014-08-25,完成,1,",
                             "\r\n'@SUM(1+1),1,1,1,"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST(FleetProgress, LineForATerminalGivesTheRateAndWhatIsLeft) {
    EXPECT_EQ(ProgressLine({0, 0, 200, 0.0}), "[  0/200]  starting");
    EXPECT_EQ(ProgressLine({37, 2, 200, 2.0}), "[ 37/200]  18.5 vehicle-days/s  2 failed  ETA 0:09");
    EXPECT_EQ(ProgressLine({200, 0, 200, 10.0}), "[200/200]  20.0 vehicle-days/s  done in 0:10");
    EXPECT_EQ(ProgressLine({1, 0, 5000, 2.0}), "[   1/5000]  0.5 vehicle-days/s  ETA 2:46:38");
}

}  // namespace
}  // namespace fw

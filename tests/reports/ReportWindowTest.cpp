#include <QCompleter>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

#include "skin/SkinListView.h"
#include "tests/reports/ReportPage.h"
#include "tests/support/WaitFor.h"

namespace fw {
namespace {

using test::kBatchEnd;
using test::Row9021;

class ReportWindowTest : public test::ReportPage {
protected:
    std::vector<std::string> Column(std::size_t column) const {
        std::vector<std::string> out;
        for (const ReportRow& row : window->Model().Rows().Rows()) out.push_back(row[column]);
        return out;
    }
    bool InputsEnabled(bool enabled) const {
        for (int id : {IDC_BTN_STAT_SEARCH, IDC_CMB__STAT_GONGSI, IDC_CMB_STAT_CHEPAI,
                       IDC_DATETIME_STAT_S, IDC_DATETIME_STAT_E, IDC_BTN_STAT_SCBB,
                       IDC_RAD_STAT_ZT_ALL, IDC_RAD_STAT_ZT_WANCHENG, IDC_RAD_STAT_ZT_WEIWANCHENG})
            if (window->GetDlgItem(id)->isEnabled() != enabled) return false;
        return true;
    }
    // The stop times of the synthetic vehicle, as the dispatcher stores them from its 9017s.
    void StoreStopTimes() {
        for (const auto& stop : day.stops)
            ASSERT_TRUE(table.InsertStopTime(stop.entry, login.user));
    }
    // "生成报表" for the synthetic vehicle, its stops stored, and the batch end that starts a run.
    void Generate() {
        Plates()->setEditText(QString::fromStdString(Plate()));
        Click(IDC_BTN_STAT_SCBB);
        StoreStopTimes();
        Receive(kBatchEnd);
    }
    void GenerateAndRun() {
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Generate();
        ASSERT_TRUE(listed.wait(20000) || listed.count() > 0);
    }
    // The synthetic stops planned inside the pickers' range (some lie before 05:00); or of them
    // those whose arrival detection must find.
    int InRange(bool reachedOnly = false) const {
        return static_cast<int>(std::count_if(day.stops.begin(), day.stops.end(), [&](auto& s) {
            return s.entry.planReachTime >= "2014-08-25 05:00:00" &&
                   s.entry.planReachTime <= "2014-08-25 21:00:00" &&
                   !(reachedOnly && s.expectedReach.empty());
        }));
    }
    int Reached() const {
        const auto real = Column(kColRealReach);
        return static_cast<int>(real.size() - std::count(real.begin(), real.end(), ""));
    }
};

TEST_F(ReportWindowTest, StartsOnTodaysServiceHoursWithEveryRowAndAModelList) {
    EXPECT_EQ(Control<QDateTimeEdit>(IDC_DATETIME_STAT_S)->text(), "2014-08-25 05:00:00");
    EXPECT_EQ(Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)->text(), "2014-08-25 21:00:00");
    EXPECT_TRUE(Control<QRadioButton>(IDC_RAD_STAT_ZT_ALL)->isChecked());
    for (int id : {IDC_BTN_LX_GL_DELE, IDC_STA_STAT_TRACK, IDC_PRG_STAT_TRACK})
        EXPECT_TRUE(window->GetDlgItem(id)->isHidden()) << id;
    auto* list = Control<SkinListView>(IDC_LSTCTRL_REPORT);
    EXPECT_EQ(list->model(), &window->Model());
    EXPECT_EQ(list->RowHeight(), 33);  // the row image's
    EXPECT_EQ(list->header()->sectionSize(5), kReportColumns[5].width);
    // The lateness columns' headings are blank on screen, not to a screen reader.
    EXPECT_EQ(
        window->Model().headerData(kColLate, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
        QStringLiteral("到达迟到"));
}

TEST_F(ReportWindowTest, GenerateWithoutAPlateIsRefusedAndSendsNothing) {
    Receive(Row9021("2014-08-25 08:00:00"));
    ASSERT_EQ(window->Model().rowCount(), 1);
    Plates()->setEditText("");
    Click(IDC_BTN_STAT_SCBB);
    EXPECT_EQ(boxes, std::vector<std::string>{"车牌号码不能为空"});
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(window->Model().rowCount(), 0);
    EXPECT_TRUE(InputsEnabled(true));
}

TEST_F(ReportWindowTest, GenerateEmptiesTheTableAndAsksForTheStartDay) {
    StoreStopTimes();
    Plates()->setEditText("浙A5B120");
    Control<QDateTimeEdit>(IDC_DATETIME_STAT_S)
        ->setDateTime(QDateTime(QDate(2014, 8, 24), QTime(23, 0)));
    Click(IDC_BTN_STAT_SCBB);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Text(sent[0]["header"], "cmd"), "9016");
    EXPECT_EQ(Text(sent[0]["body"], "date"), "2014-08-24");
    EXPECT_EQ(Text(sent[0]["body"], "vhcid"), "1002");
    EXPECT_EQ(Text(sent[0]["body"], "username"), "调度员");
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.ReadReportRows(Plate(), login.user, "2014", "2015", rows));
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(InputsEnabled(false));
}

TEST_F(ReportWindowTest, QueryWithoutAPlateAsksForTheCompanyAndTheRangeAsShown) {
    Groups()->setCurrentIndex(Groups()->findText("一公司"));
    Plates()->setEditText("");
    Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)
        ->setDateTime(QDateTime(QDate(2014, 8, 26), QTime(6, 30, 5)));
    Click(IDC_BTN_STAT_SEARCH);
    ASSERT_EQ(sent.size(), 1u);
    const Json::Value& body = sent[0]["body"];
    EXPECT_EQ(Text(sent[0]["header"], "cmd"), "9018");
    EXPECT_EQ(Text(body, "group"), "一公司");
    EXPECT_EQ(Text(body, "vhcid") + "|" + Text(body, "code"), "|");
    EXPECT_EQ(Text(body, "timeStart"), "2014-08-25 05:00:00");
    EXPECT_EQ(Text(body, "timeEnd"), "2014-08-26 06:30:05");
    EXPECT_TRUE(InputsEnabled(false));
    // The query's 9019 gives the inputs back without a run.
    Receive(test::kQueryEnd);
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(window->IsRunning());
}

TEST_F(ReportWindowTest, CompaniesListTheirOwnVehiclesAndTheUsersNameListsAll) {
    const struct {
        const char* company;
        std::vector<std::string> plates;
    } cases[] = {
        {"一公司", {"浙A3W066", "浙A3W099"}},
        {"调度员", {"浙A3W066", "浙A5B120", "浙A3W099", "沪A10086"}},
        {"二公司", {"浙A5B120", "沪A10086"}},
    };
    for (const auto& c : cases) {
        Groups()->setCurrentIndex(Groups()->findText(c.company));
        emit Groups()->activated(Groups()->currentIndex());
        std::vector<std::string> plates;
        for (int i = 0; i < Plates()->count(); ++i)
            plates.push_back(Plates()->itemText(i).toStdString());
        EXPECT_EQ(plates, c.plates) << c.company;
    }
}

TEST_F(ReportWindowTest, ATypedPlateIsCompletedFromAnyPartOfIt) {
    Plates()->setFocus();
    Plates()->lineEdit()->clear();
    QTest::keyClicks(Plates()->lineEdit(), "w0");
    QCompleter* completer = Plates()->completer();
    ASSERT_NE(completer, nullptr);
    EXPECT_EQ(completer->completionCount(), 2);
    EXPECT_EQ(completer->currentCompletion(), "浙A3W066");
}

TEST_F(ReportWindowTest, StatusRadiosDecideWhichServerRowsAreListed) {
    const struct {
        int radio;
        std::vector<std::string> stops;  // planned arrivals listed
    } cases[] = {
        {IDC_RAD_STAT_ZT_ALL, {"2014-08-25 08:00:00", "2014-08-25 09:00:00"}},
        {IDC_RAD_STAT_ZT_WANCHENG, {"2014-08-25 08:00:00"}},
        {IDC_RAD_STAT_ZT_WEIWANCHENG, {"2014-08-25 09:00:00"}},
    };
    for (const auto& c : cases) {
        window->Model().Clear();
        Click(c.radio);
        Receive(Row9021("2014-08-25 08:00:00", "2014-08-25 08:02:00"));
        Receive(Row9021("2014-08-25 09:00:00"));
        EXPECT_EQ(Column(kColPlanReach), c.stops) << c.radio;
    }
}

TEST_F(ReportWindowTest, ServerRowsComeInPlannedOrderWithLatenessInRed) {
    Receive(Row9021("2014-08-25 09:00:00", "2014-08-25 09:05:30", "1003"));
    Receive(Row9021("2014-08-25 07:00:00", "", "404"));
    Receive(Row9021("2014-08-25 08:00:00", "2014-08-25 07:59:00"));
    // Rows that name no vehicle are left out; the rows before them stay.
    Receive(R"({"header":{"cmd":"9021"},"body":{"planreachtime":"2014-08-25 06:00:00"}})");
    Receive(R"({"header":{"cmd":"9021"},"body":"nonsense"})");
    EXPECT_EQ(Column(kColPlate), (std::vector<std::string>{"404", "浙A3W066", "浙A3W099"}));
    EXPECT_EQ(Column(kColLate), (std::vector<std::string>{"", "", "迟到00:05:30"}));

    const ReportListModel& model = window->Model();
    for (int c = 0; c < model.columnCount(); ++c) {
        const QColor color = model.data(model.index(2, c), Qt::ForegroundRole).value<QColor>();
        EXPECT_EQ(color, c == 7 || c == 10 ? QColor(255, 0, 0) : QColor(0, 0, 0)) << c;
    }
    // And it is drawn so: red pixels in column 7 of the last row, none in column 6.
    auto* list = Control<SkinListView>(IDC_LSTCTRL_REPORT);
    list->resize(1145, 449);
    const QImage shot = list->viewport()->grab().toImage();
    auto redIn = [&](int column) {
        const QRect cell = list->visualRect(model.index(2, column));
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor p = shot.pixelColor(x, y);
                if (p.red() > 180 && p.green() < 90 && p.blue() < 90) return true;
            }
        return false;
    };
    EXPECT_TRUE(redIn(7));
    EXPECT_FALSE(redIn(6));
}

TEST_F(ReportWindowTest, EndBeforeStartIsToldWhenTheRunWouldStart) {
    Plates()->setEditText(QString::fromStdString(Plate()));
    Click(IDC_BTN_STAT_SCBB);
    Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)
        ->setDateTime(QDateTime(QDate(2014, 8, 25), QTime(4, 59, 59)));
    Receive(kBatchEnd);
    EXPECT_EQ(boxes, std::vector<std::string>{"终止时间不能小于起始时间"});
    EXPECT_FALSE(window->IsRunning());
    EXPECT_EQ(server.requests, 0);
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_EQ(window->Model().rowCount(), 0);
}

TEST_F(ReportWindowTest, ARunListsTheDetectedTimesAndTheDocumentsHeldMeanwhileFollow) {
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    Generate();
    ASSERT_TRUE(window->IsRunning());
    EXPECT_TRUE(InputsEnabled(false));
    EXPECT_TRUE(Shown(IDC_STA_STAT_TRACK));
    EXPECT_FALSE(Shown(IDC_STA_STAT_RULE));
    // Arriving during the run: a server row and a second batch end. Both wait for the run.
    Receive(Row9021("2014-08-25 04:00:00"));
    Receive(kBatchEnd);
    EXPECT_EQ(hold.Waiting(), 2u);
    EXPECT_EQ(window->Model().rowCount(), 0);

    ASSERT_TRUE(listed.wait(20000));
    // The held row came after the first run's rows and took its planned place (first); then
    // the second batch end ran the report again, which appends its rows once more.
    EXPECT_EQ(hold.Waiting(), 0u);
    EXPECT_TRUE(window->IsRunning());
    ASSERT_TRUE(listed.wait(20000));
    EXPECT_EQ(window->Model().rowCount(), 2 * InRange() + 1);
    EXPECT_EQ(Column(kColPlate).front(), "浙A3W066");
    EXPECT_EQ(Reached(), 2 * InRange(true));
    EXPECT_EQ(server.requests, 2);
    EXPECT_TRUE(server.lastTarget.contains("vhcid=77&")) << server.lastTarget.toStdString();
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(Shown(IDC_STA_STAT_TRACK));
    EXPECT_EQ(Control<QLabel>(IDC_STA_STAT_RULE)->text(), "到站判定：首个定位点，最近计划");
    EXPECT_TRUE(Shown(IDC_STA_STAT_RULE));
    EXPECT_TRUE(boxes.empty());
    // An export names the rule that made the list and the range the run used.
    EXPECT_EQ(window->Listed().rule, "首个定位点");
    EXPECT_EQ(window->Listed().plate, Plate());
    EXPECT_EQ(window->Listed().start, "2014-08-25 05:00:00");
}

// The rule chosen in the settings makes the next run, and the list says which it was until rows
// of another kind replace them.
TEST_F(ReportWindowTest, TheRuleOfTheSettingsMakesTheRunAndIsShownBesideIt) {
    login.detection = DetectionRule::Interpolated;
    login.matching = Matching::Sequence;
    GenerateAndRun();
    EXPECT_TRUE(Shown(IDC_STA_STAT_RULE));
    EXPECT_EQ(Control<QLabel>(IDC_STA_STAT_RULE)->text(), "到站判定：精确推算，按班次顺序");
    // And an export's header block says so.
    EXPECT_EQ(window->Listed().rule + "," + window->Listed().matching, "精确推算,按班次顺序");
    // (This synthetic day plans its stops out of their trip order: trip order finds fewer.)
    EXPECT_GT(Reached(), 0);
    Click(IDC_BTN_STAT_SEARCH);  // the server's own rows: no rule of ours
    EXPECT_FALSE(Shown(IDC_STA_STAT_RULE));
}

// "生成报表" over three days: each day's stops (9016 for that day), then the track of that
// day's part of the range, one day after another into one list; a batch end that is no day's
// does not start one. Beyond 31 days the range is refused.
TEST_F(ReportWindowTest, ARangeOfSeveralDaysRunsDayByDayIntoOneList) {
    Plates()->setEditText(QString::fromStdString(Plate()));
    Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)
        ->setDateTime(QDateTime(QDate(2014, 8, 27), QTime(21, 0)));
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    Click(IDC_BTN_STAT_SCBB);
    const char* days[] = {"2014-08-25", "2014-08-26", "2014-08-27"};
    const char* begins[] = {"2014-08-25%2005", "2014-08-26%2000", "2014-08-27%2000"};
    const char* ends[] = {"2014-08-25%2023%3A59%3A59", "2014-08-26%2023%3A59%3A59",
                          "2014-08-27%2021%3A00%3A00"};
    for (std::size_t d = 0; d < 3; ++d) {
        ASSERT_TRUE(test::WaitFor([&] { return sent.size() == d + 1; }, 20000)) << d;
        EXPECT_EQ(Text(sent[d]["body"], "date"), days[d]);
        EXPECT_EQ(Control<QLabel>(IDC_STA_STAT_TRACK)->text().toStdString(),
                  "第 " + std::to_string(d + 1) + " / 3 天　正在获取计划站点…");
        EXPECT_TRUE(InputsEnabled(false));
        // That day's stops: the synthetic day moved to it.
        for (const auto& stop : day.stops) {
            StopTimeEntry entry = stop.entry;
            for (std::string* t : {&entry.planReachTime, &entry.planLeaveTime, &entry.batchDate})
                if (!t->empty()) t->replace(0, 10, days[d]);
            ASSERT_TRUE(table.InsertStopTime(entry, login.user));
        }
        Receive(kBatchEnd);
        ASSERT_TRUE(window->IsRunning());
        EXPECT_TRUE(Control<QLabel>(IDC_STA_STAT_TRACK)->text().startsWith(
            QString::fromStdString("第 " + std::to_string(d + 1) + " / 3 天　已接收")));
        if (d < 2) Receive(kBatchEnd);  // held during the run, then no day's
    }
    ASSERT_TRUE(listed.wait(20000) || listed.count() > 0);
    EXPECT_EQ(listed.count(), 1);
    EXPECT_EQ(server.requests, 3);
    EXPECT_TRUE(server.lastTarget.contains(std::string("begin_time=") + begins[2]));
    EXPECT_TRUE(server.lastTarget.contains(std::string("end_time=") + ends[2]));
    const auto plans = Column(kColPlanReach);
    EXPECT_TRUE(std::is_sorted(plans.begin(), plans.end()));
    for (std::size_t d = 0; d < 3; ++d)  // each day's rows are listed once
        EXPECT_EQ(std::count_if(plans.begin(), plans.end(), [&](const std::string& p) {
                      return p.starts_with(days[d]);
                  }),
                  std::count_if(day.stops.begin(), day.stops.end(), [&](auto& s) {
                      const std::string t = s.entry.planReachTime.substr(11);
                      return (d > 0 || t >= "05:00:00") && (d < 2 || t <= "21:00:00");
                  }))
            << days[d];
    EXPECT_EQ(Reached(), InRange(true));  // the track is the first day's
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(Shown(IDC_STA_STAT_TRACK));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->Listed().start + " 至 " + window->Listed().end,
              "2014-08-25 05:00:00 至 2014-08-27 21:00:00");

    sent.clear();
    Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)
        ->setDateTime(QDateTime(QDate(2014, 9, 25), QTime(4, 0)));
    Click(IDC_BTN_STAT_SCBB);
    EXPECT_EQ(boxes, std::vector<std::string>{"报表时间范围最多 31 天，所选范围有 32 天"});
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(InputsEnabled(true));
}

// A run whose real times the store refuses says so; the store keeps the times it had, and the
// list shows what the run found.
TEST_F(ReportWindowTest, ARunTheStoreRefusesIsToldAndTheStoredTimesStay) {
    GenerateAndRun();
    const int reached = Reached();
    ASSERT_GT(reached, 0);
    std::vector<StopTimeRecord> before, after;
    ASSERT_TRUE(table.ReadReportRows(Plate(), login.user, "2014", "2015", before));
    ASSERT_TRUE(db.Execute("CREATE TRIGGER refuse BEFORE UPDATE ON busbatch "
                           "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    server.body = "{\"result\":true,\"topics\":[]}";  // this time nothing is found
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    Receive(kBatchEnd);  // the same rows run again
    ASSERT_TRUE(listed.wait(20000));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("本次结果未能存入本地数据库，库中保留此前的实际时间：", 0), 0u) << boxes[0];
    // The rerun's rows join the list as it found them, without real times.
    EXPECT_EQ(window->Model().rowCount(), 2 * InRange());
    EXPECT_EQ(Reached(), reached);
    ASSERT_TRUE(table.ReadReportRows(Plate(), login.user, "2014", "2015", after));
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].realReachTime, before[i].realReachTime) << i;
    EXPECT_TRUE(InputsEnabled(true));
}

struct BadBody {
    const char* name;
    int status;
    QByteArray (*body)(QByteArray good);
    bool toldEmpty;   // "轨迹数据为空"
    bool anyReached;  // some real arrival found
};

void PrintTo(const BadBody& b, std::ostream* os) { *os << b.name; }

class ReportRunBodies : public ReportWindowTest, public testing::WithParamInterface<BadBody> {};

TEST_P(ReportRunBodies, EndWithTheRowsListedAndTheInputsBack) {
    const BadBody& c = GetParam();
    server.status = c.status;
    server.body = c.body(server.body);
    GenerateAndRun();
    EXPECT_EQ(boxes,
              c.toldEmpty ? std::vector<std::string>{"轨迹数据为空"} : std::vector<std::string>{});
    EXPECT_EQ(window->Model().rowCount(), InRange());
    EXPECT_EQ(Reached() > 0, c.anyReached) << Reached();
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(window->IsRunning());
}

// The window shows what the run says; how each kind of body reads is the core's (reader and
// detection tests), how a transfer fails the fetch's.
INSTANTIATE_TEST_SUITE_P(
    Bodies, ReportRunBodies,
    testing::Values(BadBody{"http_error", 503, [](QByteArray g) { return g; }, true, false},
                    BadBody{"not_json", 200,
                            [](QByteArray) { return QByteArray("<html>busy</html>"); }, false,
                            false},
                    BadBody{"fifty_megabytes", 200,
                            [](QByteArray g) {
                                return g.insert(g.lastIndexOf(']'), QByteArray(50 << 20, ' '));
                            },
                            false, true}),
    [](const testing::TestParamInfo<BadBody>& info) { return std::string(info.param.name); });

TEST_F(ReportWindowTest, LoggingOutDuringARunStopsItAndDropsWhatItHeld) {
    server.mode = BodyServer::Mode::Silent;
    Generate();
    ASSERT_TRUE(test::WaitFor([&] { return server.requests == 1; }, 5000));
    Receive(Row9021("2014-08-25 08:00:00"));
    window->EndLogin();
    EXPECT_FALSE(window->IsRunning());
    EXPECT_FALSE(hold.Holding());
    EXPECT_EQ(hold.Waiting(), 0u);
    EXPECT_EQ(window->Model().rowCount(), 0);
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(Shown(IDC_STA_STAT_TRACK));
    // Nothing arrives later from the stopped transfer.
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    EXPECT_FALSE(listed.wait(300));
    // Closing during a run stops it as cleanly.
    Receive(kBatchEnd);
    ASSERT_TRUE(window->IsRunning());
    window.reset();
    EXPECT_FALSE(hold.Holding());
    Receive(kBatchEnd);  // nobody hooked in: ignored
}

// Without the connection 查询 and 生成报表 say so at once and change nothing: the list and the
// rule it was made by stay, the stop rows stay in the store, the inputs stay usable.
TEST_F(ReportWindowTest, WithoutTheConnectionQueryAndGenerateAreRefusedAndTheListStays) {
    GenerateAndRun();
    const int listed = window->Model().rowCount();
    ASSERT_GT(listed, 0);
    std::vector<StopTimeRecord> stored, kept;
    ASSERT_TRUE(table.ReadReportRows(Plate(), login.user, "2014", "2015", stored));
    sent.clear();
    sendSucceeds = false;
    Click(IDC_BTN_STAT_SEARCH);
    Click(IDC_BTN_STAT_SCBB);
    EXPECT_EQ(boxes, (std::vector<std::string>{"与服务器的连接已断开，报表未查询。重新连接后请再试。",
                                               "与服务器的连接已断开，报表未生成。重新连接后请再试。"}));
    EXPECT_EQ(sent.size(), 2u);  // tried, not sent
    EXPECT_EQ(window->Model().rowCount(), listed);
    EXPECT_TRUE(Shown(IDC_STA_STAT_RULE));
    EXPECT_TRUE(InputsEnabled(true));
    ASSERT_TRUE(table.ReadReportRows(Plate(), login.user, "2014", "2015", kept));
    EXPECT_EQ(kept.size(), stored.size());
}

// Without its store 生成报表 cannot report anything, and says why instead of listing nothing.
TEST_F(ReportWindowTest, GenerateWithoutTheStoreSaysSoAndWhy) {
    ASSERT_FALSE(db.Open(home.Path() + "/no-such-folder", "bus", ""));
    Plates()->setEditText(QString::fromStdString(Plate()));
    Click(IDC_BTN_STAT_SCBB);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("本地数据库不可用，无法生成报表\n原因：数据库文件无法打开或创建（文件夹不存在或不可写）（" +
                                 home.Path() + "/no-such-folder/bus.mdb: ", 0),
              0u)
        << boxes[0];
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(InputsEnabled(true));
}

// The connection goes while the page waits for the server's rows: they will not come, so the
// inputs come back, with the rows listed so far and a word. A run fetching its track goes on:
// the track comes over HTTP; when it does not come either, the report says it is not complete.
TEST_F(ReportWindowTest, ALostConnectionEndsTheWaitAndARunWithoutItsTrackSaysItIsIncomplete) {
    Click(IDC_BTN_STAT_SEARCH);
    Receive(Row9021("2014-08-25 08:00:00"));
    ASSERT_TRUE(InputsEnabled(false));
    window->ConnectionLost();
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_EQ(window->Model().rowCount(), 1);
    EXPECT_EQ(boxes, std::vector<std::string>{"报表未完成：与服务器的连接中断"});
    window->ConnectionLost();  // nothing waited for any more
    EXPECT_EQ(boxes.size(), 1u);

    for (const BodyServer::Mode mode : {BodyServer::Mode::Whole, BodyServer::Mode::Half}) {
        boxes.clear();
        server.mode = mode;
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Generate();
        ASSERT_TRUE(window->IsRunning());
        window->ConnectionLost();
        ASSERT_TRUE(listed.wait(20000));
        EXPECT_EQ(window->Model().rowCount(), InRange());
        EXPECT_EQ(Reached() > 0, mode == BodyServer::Mode::Whole);
        EXPECT_EQ(boxes, mode == BodyServer::Mode::Whole ? std::vector<std::string>{}
                                                         : std::vector<std::string>{"报表未完成：与服务器的连接中断"});
        EXPECT_TRUE(InputsEnabled(true));
    }
}

TEST_F(ReportWindowTest, BatchEndsWithNothingRequestedOrAnOddPlateStillGiveTheInputsBack) {
    // No plate, nothing requested; then a plate with a character GBK lacks, sent as '?'.
    for (const char* plate : {"", "浙A😀1"}) {
        Plates()->setEditText(QString::fromUtf8(plate));
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Receive(kBatchEnd);
        ASSERT_TRUE(listed.wait(20000)) << plate;
        EXPECT_EQ(window->Model().rowCount(), 0);
        EXPECT_TRUE(InputsEnabled(true));
    }
    EXPECT_TRUE(server.lastTarget.contains("vhcid=&cret=&vehicle=%D5%E3A%3F1&"))
        << server.lastTarget.toStdString();
    // The hidden "删除所选" does nothing.
    Receive(Row9021("2014-08-25 08:00:00"));
    Click(IDC_BTN_LX_GL_DELE);
    EXPECT_EQ(window->Model().rowCount(), 1);
    EXPECT_TRUE(sent.empty());
}

}  // namespace
}  // namespace fw

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCompleter>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/Config.h"
#include "app/MessageBox.h"
#include "net/Dispatcher.h"
#include "net/DocumentHold.h"
#include "reports/ReportListModel.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "routes/RouteStore.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinListView.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/reports/SyntheticDay.h"
#include "tests/support/BodyServer.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "text/Encoding.h"
#include "text/OleDate.h"

namespace fw {
namespace {

Message Doc(const std::string& json) { return ReadMessage(*ParseDocument(json)); }

std::string Row9021(const std::string& vhcId, const std::string& plan,
                    const std::string& real = "") {
    return R"({"header":{"cmd":"9021"},"body":{"vhcID":")" + vhcId +
           R"(","batchname":"早班","batchdate":"2014-08-25",)"
           R"("linenaem":"1路","userMarkName":"定安路","planreachtime":")" +
           plan + R"(","realreachtime":")" + real + R"(","planleavetime":")" + plan +
           R"(","realleavetime":""}})";
}

// The links of the main window the report window needs; stubs record what it sends.
class NoShell : public DispatchTarget {
public:
    bool SendJson(const Json::Value&) override { return true; }
    bool LoginResult(const std::string&, const std::string&) override { return true; }
    void AddGroupChoice(const std::string&) override {}
    void AddVehicleChoice(const std::string&) override {}
};

class ReportWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartSkin()); }

    void SetUp() override {
        SetMessageObserver([this](const QString& text) { boxes.push_back(text.toStdString()); });
        ASSERT_TRUE(db.Open(home.Path(), "bus", ""));
        login.user = "调度员";
        login.server = "127.0.0.1";
        login.webPort = server.Port();
        for (const auto& route : day.routes) routes.AddRoute(route);
        vehicles.Add({"浙A3W066", "1001", "一公司"});
        vehicles.Add({"浙A5B120", "1002", "二公司"});
        vehicles.Add({"浙A3W099", "1003", "一公司"});
        vehicles.Add({day.stops[0].entry.code, "77", "二公司"});
        server.body = QByteArray::fromStdString(day.trackBody);
        window = std::make_unique<ReportWindow>(
            ReportSession{.stopTimes = table,
                          .routes = routes,
                          .vehicles = vehicles,
                          .login = login,
                          .wire = wire,
                          .log = log,
                          .send =
                              [this](const Json::Value& m) {
                                  sent.push_back(m);
                                  return true;
                              },
                          .hold = &hold,
                          .dispatcher = &dispatcher,
                          .today = [] { return QDate(2014, 8, 25); },
                          .rowImages = {QImage(15, 33, QImage::Format_RGB32)}},
            nullptr);
        ASSERT_TRUE(window->Create(nullptr, false));
        window->resize(1150, 560);
        for (const char* group : {"调度员", "一公司", "二公司"}) window->AddGroupChoice(group);
        for (const auto& v : vehicles.Records()) window->AddVehicleChoice(v.code);
    }
    void TearDown() override { SetMessageObserver({}); }

    template <class T>
    T* Control(int id) const {
        return window->Item<T>(id);
    }
    QComboBox* Plates() const { return Control<QComboBox>(IDC_CMB_STAT_CHEPAI); }
    QComboBox* Groups() const { return Control<QComboBox>(IDC_CMB__STAT_GONGSI); }
    void Click(int id) { Control<QAbstractButton>(id)->click(); }
    void Receive(const std::string& json) {
        Message m = Doc(json);
        hold.Receive(m);
    }
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
    // "生成报表" for the synthetic vehicle, its 9019 "batch", and the run to its end.
    void GenerateAndRun() {
        Plates()->setEditText(QString::fromStdString(day.stops[0].entry.code));
        Click(IDC_BTN_STAT_SCBB);
        StoreStopTimes();
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
        ASSERT_TRUE(listed.wait(20000) || listed.count() > 0);
    }
    // The synthetic stops planned inside the pickers' range (some lie before 05:00).
    int InRange() const {
        return static_cast<int>(
            std::count_if(day.stops.begin(), day.stops.end(), [](const auto& s) {
                return s.entry.planReachTime >= "2014-08-25 05:00:00" &&
                       s.entry.planReachTime <= "2014-08-25 21:00:00";
            }));
    }
    int Reached() const {
        const auto real = Column(kColRealReach);
        return static_cast<int>(
            std::count_if(real.begin(), real.end(), [](const auto& t) { return !t.empty(); }));
    }

    test::TempHome home;
    test::MemoryLog log;
    Database db;
    StopTimeTable table{db};
    RouteStore routes;
    VehicleStore vehicles;
    LoginConfig login;
    TextCodec wire;
    NoShell shell;
    Dispatcher dispatcher{routes, vehicles, table, shell};
    DocumentHold hold{[this](Message& m) { return dispatcher.Dispatch(m); }};
    BodyServer server;
    test::SyntheticDay day = test::MakeSyntheticDay(test::DayShape{
        .routes = 2, .stationsPerRoute = 6, .tripsPerRoute = 2, .layoverSeconds = 1800});
    std::unique_ptr<ReportWindow> window;
    std::vector<Json::Value> sent;
    std::vector<std::string> boxes;
};

TEST_F(ReportWindowTest, StartsOnTodaysServiceHoursWithEveryRowAndAModelList) {
    EXPECT_EQ(Control<QDateTimeEdit>(IDC_DATETIME_STAT_S)->text(), "2014-08-25 05:00:00");
    EXPECT_EQ(Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)->text(), "2014-08-25 21:00:00");
    EXPECT_TRUE(Control<QRadioButton>(IDC_RAD_STAT_ZT_ALL)->isChecked());
    for (int id : {IDC_BTN_LX_GL_DELE, IDC_STA_STAT_TRACK, IDC_PRG_STAT_TRACK})
        EXPECT_TRUE(window->GetDlgItem(id)->isHidden()) << id;

    auto* list = Control<SkinListView>(IDC_LSTCTRL_REPORT);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model(), &window->Model());
    EXPECT_EQ(list->RowHeight(), 33);
    const char* headings[] = {
        "车牌号码",     "批次", "日期",         "线路",         "站点", "计划到达时间",
        "实际到达时间", "",     "计划离开时间", "实际离开时间", ""};
    const int widths[] = {100, 100, 100, 100, 100, 150, 130, 100, 150, 130, 100};
    ASSERT_EQ(list->header()->count(), 11);
    for (int c = 0; c < 11; ++c) {
        EXPECT_EQ(window->Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  headings[c]);
        EXPECT_EQ(list->header()->sectionSize(c), widths[c]) << c;
    }
}

TEST_F(ReportWindowTest, GenerateWithoutAPlateIsRefusedAndSendsNothing) {
    Receive(Row9021("1001", "2014-08-25 08:00:00"));
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
        ->setDateTime(QDateTime(QDate(2014, 8, 25), QTime(5, 0)));
    Click(IDC_BTN_STAT_SCBB);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Text(sent[0]["header"], "cmd"), "9016");
    EXPECT_EQ(Text(sent[0]["body"], "date"), "2014-08-25");
    EXPECT_EQ(Text(sent[0]["body"], "code"), "浙A5B120");
    EXPECT_EQ(Text(sent[0]["body"], "vhcid"), "1002");
    EXPECT_EQ(Text(sent[0]["body"], "username"), "调度员");
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(table.ReadReportRows(day.stops[0].entry.code, login.user, "2014", "2015", rows));
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(InputsEnabled(false));
    EXPECT_TRUE(Control<QAbstractButton>(IDC_BTN_LX_GL_DELE)->isEnabled());  // not one of the nine
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
    EXPECT_EQ(Text(body, "vhcid"), "");
    EXPECT_EQ(Text(body, "code"), "");
    EXPECT_EQ(Text(body, "timeStart"), "2014-08-25 05:00:00");
    EXPECT_EQ(Text(body, "timeEnd"), "2014-08-26 06:30:05");
    EXPECT_TRUE(InputsEnabled(false));
    // The query's 9019 gives the inputs back without a run.
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"query"}})");
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
        Receive(Row9021("1001", "2014-08-25 08:00:00", "2014-08-25 08:02:00"));
        Receive(Row9021("1001", "2014-08-25 09:00:00"));
        EXPECT_EQ(Column(kColPlanReach), c.stops) << c.radio;
    }
}

TEST_F(ReportWindowTest, ServerRowsComeInPlannedOrderWithLatenessInRed) {
    Receive(Row9021("1003", "2014-08-25 09:00:00", "2014-08-25 09:05:30"));
    Receive(Row9021("404", "2014-08-25 07:00:00"));
    Receive(Row9021("1001", "2014-08-25 08:00:00", "2014-08-25 07:59:00"));
    // A row missing its keys names no vehicle and is left out; the rows before it stay.
    Receive(R"({"header":{"cmd":"9021"},"body":{"planreachtime":"2014-08-25 06:00:00"}})");
    Receive(R"({"header":{"cmd":"9021"},"body":"nonsense"})");
    EXPECT_EQ(Column(kColPlanReach),
              (std::vector<std::string>{"2014-08-25 07:00:00", "2014-08-25 08:00:00",
                                        "2014-08-25 09:00:00"}));
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
    Plates()->setEditText(QString::fromStdString(day.stops[0].entry.code));
    Click(IDC_BTN_STAT_SCBB);
    Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)
        ->setDateTime(QDateTime(QDate(2014, 8, 25), QTime(4, 59, 59)));
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
    EXPECT_EQ(boxes, std::vector<std::string>{"终止时间不能小于起始时间"});
    EXPECT_FALSE(window->IsRunning());
    EXPECT_EQ(server.requests, 0);
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_EQ(window->Model().rowCount(), 0);
}

TEST_F(ReportWindowTest, ARunListsTheDetectedTimesAndTheDocumentsHeldMeanwhileFollow) {
    Plates()->setEditText(QString::fromStdString(day.stops[0].entry.code));
    Click(IDC_BTN_STAT_SCBB);
    StoreStopTimes();
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
    ASSERT_TRUE(window->IsRunning());
    EXPECT_TRUE(InputsEnabled(false));
    EXPECT_TRUE(Control<QLabel>(IDC_STA_STAT_TRACK)->isVisibleTo(window.get()));
    EXPECT_FALSE(Control<QLabel>(IDC_STA_STAT_RULE)->isVisibleTo(window.get()));
    // Arriving during the run: a server row and a second batch end. Both wait for the run.
    Receive(Row9021("1001", "2014-08-25 04:00:00"));
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
    EXPECT_EQ(hold.Waiting(), 2u);
    EXPECT_EQ(window->Model().rowCount(), 0);

    ASSERT_TRUE(listed.wait(20000));
    const int rows = InRange();
    // The held row came after the first run's rows and took its planned place (first); then
    // the second batch end ran the report again, which appends its rows once more.
    EXPECT_EQ(hold.Waiting(), 0u);
    EXPECT_TRUE(window->IsRunning());
    ASSERT_TRUE(listed.wait(20000));
    EXPECT_EQ(window->Model().rowCount(), 2 * rows + 1);
    EXPECT_EQ(Column(kColPlate).front(), "浙A3W066");
    EXPECT_EQ(server.requests, 2);
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(Control<QLabel>(IDC_STA_STAT_TRACK)->isVisibleTo(window.get()));
    EXPECT_TRUE(Control<QLabel>(IDC_STA_STAT_RULE)->isVisibleTo(window.get()));
    EXPECT_EQ(Control<QLabel>(IDC_STA_STAT_RULE)->text(), "到站判定：首个定位点");
    EXPECT_TRUE(boxes.empty());

    int matched = 0;
    for (const ReportRow& row : window->Model().Rows().Rows())
        for (const auto& stop : day.stops)
            if (stop.entry.planReachTime == row[kColPlanReach] &&
                stop.entry.userMarkName == row[kColStop]) {
                EXPECT_EQ(row[kColRealReach], stop.expectedReach) << row[kColStop];
                EXPECT_EQ(row[kColRealLeave], stop.expectedLeave) << row[kColStop];
                ++matched;
            }
    EXPECT_EQ(matched, 2 * rows);
    // An export names the rule that made the list and the range the run used.
    EXPECT_EQ(window->Listed().rule, "首个定位点");
    EXPECT_EQ(window->Listed().plate, day.stops[0].entry.code);
    EXPECT_EQ(window->Listed().start, "2014-08-25 05:00:00");
    for (const char* line : {"开始获取轨迹数据", "轨迹数据获取结束"})
        EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), line), log.lines.end()) << line;
    // The detection logs every arrival and departure it sees: "stop:1:time", "stop:2:time".
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        day.stops[0].entry.userMarkName + ":1:" + day.stops[0].trueReach),
              log.lines.end());
    // The track request named the vehicle's id and the range, in the wire charset.
    EXPECT_TRUE(server.lastTarget.contains("vhcid=77&")) << server.lastTarget.toStdString();
    EXPECT_TRUE(server.lastTarget.contains("begin_time=2014-08-25%2005%3A00%3A00"));
}

// The rule chosen in the settings makes the next run's times, and the list says which it was
// until rows of another kind replace them.
TEST_F(ReportWindowTest, TheRuleOfTheSettingsMakesTheRunsTimesAndIsShownBesideThem) {
    login.detection = DetectionRule::Interpolated;
    GenerateAndRun();
    auto* rule = Control<QLabel>(IDC_STA_STAT_RULE);
    EXPECT_TRUE(rule->isVisibleTo(window.get()));
    EXPECT_EQ(rule->text(), "到站判定：精确推算");
    EXPECT_EQ(window->Listed().rule, "精确推算");  // and an export's header block says so
    // The crossing instants lie a few seconds before the first fixes inside and outside.
    int earlier = 0;
    for (const ReportRow& row : window->Model().Rows().Rows())
        for (const auto& stop : day.stops)
            if (stop.entry.planReachTime == row[kColPlanReach] &&
                stop.entry.userMarkName == row[kColStop] && !stop.expectedReach.empty()) {
                const auto real = ParseDateTime(row[kColRealReach]);
                ASSERT_TRUE(real) << row[kColStop];
                const long long before = SecondsBetween(*ParseDateTime(stop.expectedReach), *real);
                EXPECT_TRUE(before >= 1 && before <= 5) << row[kColStop] << " " << before;
                ++earlier;
            }
    EXPECT_GT(earlier, 5);

    Click(IDC_BTN_STAT_SEARCH);  // the server's own rows: no rule of ours
    EXPECT_FALSE(rule->isVisibleTo(window.get()));
}

struct BadBody {
    const char* name;
    BodyServer::Mode mode;
    int status;
    std::function<QByteArray(const std::string& good)> body;
    bool toldEmpty;   // "轨迹数据为空"
    bool anyReached;  // some real arrival found
};

void PrintTo(const BadBody& b, std::ostream* os) { *os << b.name; }

class ReportRunBodies : public ReportWindowTest, public testing::WithParamInterface<BadBody> {};

TEST_P(ReportRunBodies, EndWithTheRowsListedAndTheInputsBack) {
    const BadBody& c = GetParam();
    server.mode = c.mode;
    server.status = c.status;
    server.body = c.body(day.trackBody);
    GenerateAndRun();
    EXPECT_EQ(boxes,
              c.toldEmpty ? std::vector<std::string>{"轨迹数据为空"} : std::vector<std::string>{});
    EXPECT_EQ(window->Model().rowCount(), InRange());
    EXPECT_EQ(Reached() > 0, c.anyReached) << Reached();
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(window->IsRunning());
}

QByteArray Replace(const std::string& good, const char* from, const char* to) {
    return QByteArray::fromStdString(good).replace(from, to);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ReportRunBodies,
    testing::Values(
        BadBody{"empty", BodyServer::Mode::Whole, 200,
                [](const std::string&) { return QByteArray(); }, true, false},
        BadBody{"not_json", BodyServer::Mode::Whole, 200,
                [](const std::string&) { return QByteArray("<html>busy</html>"); }, false, false},
        BadBody{"cut_mid_body", BodyServer::Mode::Half, 200,
                [](const std::string& g) { return QByteArray::fromStdString(g); }, true, false},
        BadBody{"http_error", BodyServer::Mode::Whole, 503,
                [](const std::string& g) { return QByteArray::fromStdString(g); }, true, false},
        BadBody{"fixes_at_0_0", BodyServer::Mode::Whole, 200,
                [](const std::string& g) {
                    QByteArray b = QByteArray::fromStdString(g);
                    static const QRegularExpression coordinate(
                        QStringLiteral("\"(lat|lng)(_xz)?\":-?[0-9.]+"));
                    return QString::fromUtf8(b)
                        .replace(coordinate, QStringLiteral("\"\\1\\2\":0"))
                        .toUtf8();
                },
                false, false},
        BadBody{"times_that_do_not_parse", BodyServer::Mode::Whole, 200,
                [](const std::string& g) {
                    return Replace(g, "\"gpst\":\"2014-08-25", "\"gpst\":\"someday");
                },
                false, false},
        BadBody{"fifty_megabytes", BodyServer::Mode::Whole, 200,
                [](const std::string& g) {
                    QByteArray b = QByteArray::fromStdString(g);
                    return b.insert(b.lastIndexOf(']'), QByteArray(50 << 20, ' '));
                },
                false, true}),
    [](const testing::TestParamInfo<BadBody>& info) { return std::string(info.param.name); });

TEST_F(ReportWindowTest, LoggingOutDuringARunStopsItAndDropsWhatItHeld) {
    server.mode = BodyServer::Mode::Silent;
    Plates()->setEditText(QString::fromStdString(day.stops[0].entry.code));
    Click(IDC_BTN_STAT_SCBB);
    StoreStopTimes();
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
    ASSERT_TRUE(test::WaitFor([&] { return server.requests == 1; }, 5000));
    Receive(Row9021("1001", "2014-08-25 08:00:00"));
    window->EndLogin();
    EXPECT_FALSE(window->IsRunning());
    EXPECT_FALSE(hold.Holding());
    EXPECT_EQ(hold.Waiting(), 0u);
    EXPECT_EQ(window->Model().rowCount(), 0);
    EXPECT_TRUE(InputsEnabled(true));
    EXPECT_FALSE(Control<QLabel>(IDC_STA_STAT_TRACK)->isVisibleTo(window.get()));
    // Nothing arrives later from the stopped transfer.
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    EXPECT_FALSE(listed.wait(300));
    // Closing during a run stops it as cleanly.
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
    ASSERT_TRUE(window->IsRunning());
    window.reset();
    EXPECT_FALSE(hold.Holding());
    Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");  // nobody hooked in: ignored
}

TEST_F(ReportWindowTest, BatchEndsWithNothingRequestedOrAnOddPlateStillGiveTheInputsBack) {
    // No plate, nothing requested; then a plate with a character GBK lacks, sent as '?'.
    for (const char* plate : {"", "浙A😀1"}) {
        Plates()->setEditText(QString::fromUtf8(plate));
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Receive(R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})");
        ASSERT_TRUE(listed.wait(20000)) << plate;
        EXPECT_EQ(window->Model().rowCount(), 0);
        EXPECT_TRUE(InputsEnabled(true));
    }
    EXPECT_TRUE(server.lastTarget.contains("vhcid=&cret=&vehicle=%D5%E3A%3F1&"))
        << server.lastTarget.toStdString();
    // The hidden "删除所选" does nothing.
    Receive(Row9021("1001", "2014-08-25 08:00:00"));
    Click(IDC_BTN_LX_GL_DELE);
    EXPECT_EQ(window->Model().rowCount(), 1);
    EXPECT_TRUE(sent.empty());
}

}  // namespace
}  // namespace fw

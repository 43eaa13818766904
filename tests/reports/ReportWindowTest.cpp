// The report page offscreen, with the links of the main window it needs, a loopback track
// service that answers with a synthetic day, and hooks that record what it sends, the boxes it
// shows and what its save dialog proposes: its requests and runs, then "导出" (the proposal, the
// export on its own thread with progress and cancel, what is told) and "图表".
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedBarSeries>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Config.h"
#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "net/Dispatcher.h"
#include "net/DocumentHold.h"
#include "reports/ChartWindow.h"
#include "reports/ReportListModel.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "routes/RouteStore.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinListView.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/reports/HandmadeList.h"
#include "tests/reports/SyntheticDay.h"
#include "tests/support/BodyServer.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "text/Encoding.h"

namespace fw {
namespace {

const std::string kBatchEnd = R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})";
const std::string kQueryEnd = R"({"header":{"cmd":"9019"},"body":{"type":"query"}})";

// A server report row (9021) of 早班 on 1路.
std::string Row9021(const std::string& plan, const std::string& real = "",
                    const std::string& vhcId = "1001") {
    return R"({"header":{"cmd":"9021"},"body":{"vhcID":")" + vhcId +
           R"(","batchname":"早班","batchdate":"2014-08-25","linenaem":"1路",)"
           R"("userMarkName":"定安路, 北","planreachtime":")" +
           plan + R"(","realreachtime":")" + real + R"(","planleavetime":")" + plan +
           R"(","realleavetime":""}})";
}

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
        SetSaveFileChooser([this](const QString& filter, const QString& proposed) {
            filters.push_back(filter.toStdString());
            proposals.push_back(proposed.toStdString());
            return QString::fromStdString(answer);
        });
        ASSERT_TRUE(db.Open(home.Path(), "bus", ""));
        std::filesystem::create_directory(folder);
        login.user = "调度员";
        login.server = "127.0.0.1";
        login.webPort = server.Port();
        login.exportFolder = home.Path();
        for (const auto& route : day.routes) routes.AddRoute(route);
        vehicles.Add({"浙A3W066", "1001", "一公司"});
        vehicles.Add({"浙A5B120", "1002", "二公司"});
        vehicles.Add({"浙A3W099", "1003", "一公司"});
        vehicles.Add({Plate(), "77", "二公司"});
        server.body = QByteArray::fromStdString(day.trackBody);
        window = std::make_unique<ReportWindow>(
            ReportSession{
                .stopTimes = table,
                .routes = routes,
                .vehicles = vehicles,
                .login = login,
                .wire = wire,
                .log = log,
                .send = [this](const Json::Value& m) { return sent.push_back(m), sendSucceeds; },
                .hold = &hold,
                .dispatcher = &dispatcher,
                .today = [] { return QDate(2014, 8, 25); },
                .now = [] { return QDateTime(QDate(2014, 8, 26), QTime(9, 30)); },
                .rowImages = {QImage(15, 33, QImage::Format_RGB32)},
                .rememberExportFolder = [this](const std::string& f) { login.exportFolder = f; }},
            nullptr);
        ASSERT_TRUE(window->Create(nullptr, false));
        window->resize(1150, 560);
        for (const char* group : {"调度员", "一公司", "二公司"}) window->AddGroupChoice(group);
        for (const auto& v : vehicles.Records()) window->AddVehicleChoice(v.code);
    }
    void TearDown() override {
        window.reset();
        SetMessageObserver({});
        SetSaveFileChooser({});
    }

    template <class T>
    T* Control(int id) const {
        return window->Item<T>(id);
    }
    QAbstractButton* Button(int id) const { return Control<QAbstractButton>(id); }
    QComboBox* Plates() const { return Control<QComboBox>(IDC_CMB_STAT_CHEPAI); }
    QComboBox* Groups() const { return Control<QComboBox>(IDC_CMB__STAT_GONGSI); }
    bool Shown(int id) const { return window->GetDlgItem(id)->isVisibleTo(window.get()); }
    void Click(int id) { Button(id)->click(); }
    void Receive(const std::string& json) {
        Message m = ReadMessage(*ParseDocument(json));
        hold.Receive(m);
    }
    // The synthetic vehicle.
    std::string Plate() const { return day.stops[0].entry.code; }

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
    void SetEnd(QDate date, QTime time) {
        Control<QDateTimeEdit>(IDC_DATETIME_STAT_E)->setDateTime(QDateTime(date, time));
    }
    // The real arrivals the store holds for the synthetic vehicle.
    std::vector<std::string> StoredArrivals() {
        std::vector<StopTimeRecord> rows;
        EXPECT_TRUE(table.ReadReportRows(Plate(), login.user, "2014", "2015", rows));
        std::vector<std::string> out;
        for (const auto& row : rows) out.push_back(row.realReachTime);
        return out;
    }
    // "生成报表" for the synthetic vehicle, its stops stored as the dispatcher stores its 9017s,
    // and the batch end that starts a run.
    void Generate() {
        Plates()->setEditText(QString::fromStdString(Plate()));
        Click(IDC_BTN_STAT_SCBB);
        for (const auto& stop : day.stops)
            ASSERT_TRUE(table.InsertStopTime(stop.entry, login.user));
        Receive(kBatchEnd);
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
    // The page at a glance: a run on or not, the inputs usable (all, none or some), the track
    // line and the rule line when shown, the documents held back and the rows listed.
    std::string Page() const {
        std::string s = window->IsRunning() ? "running" : "idle";
        s += InputsEnabled(true) ? ", inputs" : InputsEnabled(false) ? ", no inputs" : ", some";
        if (Shown(IDC_STA_STAT_TRACK)) s += ", track";
        if (Shown(IDC_STA_STAT_RULE)) s += ", rule";
        return s + ", held " + std::to_string(hold.Waiting()) + ", rows " +
               std::to_string(window->Model().rowCount());
    }
    static std::string Rows(int n) { return ", held 0, rows " + std::to_string(n); }
    void ListRun(const std::vector<ReportRow>& rows) {
        ReportList list;
        for (const ReportRow& row : rows) list.Add(row, StatusFilter::All);
        window->Model().AddRunRows(std::move(list));
    }
    bool ExportAndWait(const std::string& path) {
        answer = path;
        QSignalSpy ended(window.get(), &ReportWindow::exportEnded);
        Click(IDC_BTN_STAT_EXPORT);
        return ended.wait(30000) || ended.count() > 0;
    }

    test::TempHome home;
    const std::string folder = home.File("导出 目录");
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
    bool sendSucceeds = true;  // false: the connection is down, nothing goes out
    std::string answer;        // the save dialog's, empty for a cancel
    std::vector<std::string> boxes, filters, proposals;
};

// "查询" lists the server's rows the status radio keeps, each vehicle id shown as its plate (an
// id no vehicle has as it came), in planned order; its 9019 gives the inputs back without a run.
TEST_F(ReportWindowTest, QueryListsTheServersRowsTheStatusRadioKeeps) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {IDC_RAD_STAT_ZT_WANCHENG, {"浙A3W066", "浙A3W099"}},
        {IDC_RAD_STAT_ZT_WEIWANCHENG, {"404"}},
        {IDC_RAD_STAT_ZT_ALL, {"404", "浙A3W066", "浙A3W099"}},
    };
    for (const auto& [radio, plates] : cases) {
        Click(radio);
        Click(IDC_BTN_STAT_SEARCH);
        EXPECT_EQ(Page(), "idle, no inputs, held 0, rows 0");
        Receive(Row9021("2014-08-25 09:00:00", "2014-08-25 09:05:30", "1003"));
        Receive(Row9021("2014-08-25 07:00:00", "", "404"));
        Receive(Row9021("2014-08-25 08:00:00", "2014-08-25 07:59:00"));
        Receive(kQueryEnd);
        EXPECT_EQ(Column(kColPlate), plates) << radio;
        EXPECT_EQ(Page(), "idle, inputs" + Rows(static_cast<int>(plates.size())));
    }
    // The lateness columns' headings are blank on screen, not to a screen reader.
    const ReportListModel& model = window->Model();
    EXPECT_EQ(model.headerData(kColLate, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
              QStringLiteral("到达迟到"));
    // Red pixels in the lateness cell of the last row, none in the arrival's beside it.
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
    EXPECT_TRUE(redIn(kColLate));
    EXPECT_FALSE(redIn(kColRealReach));

    // When the connection goes while the page waits for the rows, they will not come: the
    // inputs come back with the rows listed so far and a word, once.
    Click(IDC_BTN_STAT_SEARCH);
    Receive(Row9021("2014-08-25 08:00:00"));
    window->ConnectionLost();
    window->ConnectionLost();
    EXPECT_EQ(Page(), "idle, inputs" + Rows(1));
    EXPECT_EQ(boxes, std::vector<std::string>{"报表未完成：与服务器的连接中断"});
}

// A batch end with nothing requested, or for a plate with a character GBK lacks (sent as '?'),
// still gives the inputs back. What 生成报表 cannot run it says at once (an end before the start
// once the day's stops are in), sends nothing more and gives the inputs back.
TEST_F(ReportWindowTest, WhatCannotRunIsToldAndTheInputsComeBack) {
    for (const char* plate : {"", "浙A😀1"}) {
        Plates()->setEditText(QString::fromUtf8(plate));
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Receive(kBatchEnd);
        ASSERT_TRUE(listed.wait(20000)) << plate;
        EXPECT_TRUE(InputsEnabled(true));
    }
    EXPECT_TRUE(server.lastTarget.contains("vhcid=&cret=&vehicle=%D5%E3A%3F1&"))
        << server.lastTarget.toStdString();

    server.requests = 0;
    Plates()->setEditText(QString::fromStdString(Plate()));
    Click(IDC_BTN_STAT_SCBB);
    SetEnd(QDate(2014, 8, 25), QTime(4, 59, 59));
    Receive(kBatchEnd);
    EXPECT_EQ(boxes, std::vector<std::string>{"终止时间不能小于起始时间"});
    EXPECT_EQ(Page(), "idle, inputs" + Rows(0));
    EXPECT_EQ(server.requests, 0);

    // Each of these is refused at once with one box, nothing sent, the inputs back.
    auto refused = [&](const std::string& box) {
        boxes.clear();
        sent.clear();
        Click(IDC_BTN_STAT_SCBB);
        EXPECT_EQ(boxes.size() == 1 ? boxes[0].substr(0, box.size()) : std::string(), box);
        EXPECT_TRUE(sent.empty());
        EXPECT_TRUE(InputsEnabled(true));
        Plates()->setEditText(QString::fromStdString(Plate()));
        SetEnd(QDate(2014, 8, 25), QTime(21, 0));
    };
    Plates()->setEditText("");
    refused("车牌号码不能为空");
    SetEnd(QDate(2014, 9, 25), QTime(4, 0));
    refused("报表时间范围最多 31 天，所选范围有 32 天");
    ASSERT_FALSE(db.Open(home.Path() + "/no-such-folder", "bus", ""));
    refused(
        "本地数据库不可用，无法生成报表\n原因：数据库文件无法打开或创建（文件夹不存在或不可写）");
}

// A run lists what it found and says by which rule beside the list; what the server sends
// meanwhile waits for it. Without the connection 查询 and 生成报表 say so and change nothing:
// the list, its rule and the stored rows stay. A rerun whose real times the store refuses
// says so; the store keeps the times it had, and the list shows what the rerun found.
TEST_F(ReportWindowTest, ARunListsWhatItFoundAndNothingIsLostWhenConnectionOrStoreFail) {
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    Generate();
    Receive(Row9021("2014-08-25 04:00:00"));
    Receive(kBatchEnd);
    EXPECT_EQ(Page(), "running, no inputs, track, held 2, rows 0");

    // The held row takes its planned place (first); the second batch end runs the report
    // again, which appends its rows once more.
    ASSERT_TRUE(listed.wait(20000));
    EXPECT_TRUE(window->IsRunning());
    EXPECT_EQ(hold.Waiting(), 0u);
    ASSERT_TRUE(listed.wait(20000));
    EXPECT_EQ(Page(), "idle, inputs, rule" + Rows(2 * InRange() + 1));
    EXPECT_EQ(Column(kColPlate).front(), "浙A3W066");
    EXPECT_EQ(Reached(), 2 * InRange(true));
    EXPECT_EQ(server.requests, 2);
    EXPECT_TRUE(server.lastTarget.contains("vhcid=77&")) << server.lastTarget.toStdString();
    EXPECT_EQ(Control<QLabel>(IDC_STA_STAT_RULE)->text(), "到站判定：首个定位点，最近计划");
    EXPECT_TRUE(boxes.empty());

    const std::string page = Page();
    const auto stored = StoredArrivals();
    sent.clear();
    sendSucceeds = false;
    Click(IDC_BTN_STAT_SEARCH);
    Click(IDC_BTN_STAT_SCBB);
    EXPECT_EQ(boxes,
              (std::vector<std::string>{"与服务器的连接已断开，报表未查询。重新连接后请再试。",
                                        "与服务器的连接已断开，报表未生成。重新连接后请再试。"}));
    EXPECT_EQ(sent.size(), 2u);  // tried, not sent
    EXPECT_EQ(Page(), page);
    EXPECT_EQ(StoredArrivals(), stored);

    sendSucceeds = true;
    boxes.clear();
    ASSERT_TRUE(
        db.Execute("CREATE TRIGGER refuse BEFORE UPDATE ON busbatch "
                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    // The same rows run again, and this time nothing is found.
    server.body = "{\"result\":true,\"topics\":[]}";
    Receive(kBatchEnd);  // nobody asked: the run still keeps the inputs until it ends
    EXPECT_EQ(Page().rfind("running, no inputs", 0), 0u) << Page();
    ASSERT_TRUE(listed.wait(20000));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("本次结果未能存入本地数据库，库中保留此前的实际时间：", 0), 0u)
        << boxes[0];
    EXPECT_EQ(Page(), "idle, inputs, rule" + Rows(3 * InRange() + 1));
    EXPECT_EQ(Reached(), 2 * InRange(true));
    EXPECT_EQ(StoredArrivals(), stored);
    Click(IDC_BTN_STAT_SEARCH);  // the server's own rows: no rule of ours
    EXPECT_FALSE(Shown(IDC_STA_STAT_RULE));
}

// "生成报表" over three days: the table emptied and each day's stops asked for (9016 for that
// day), then the track of that day's part of the range, one day after another into one list;
// a batch end that is no day's does not start one.
TEST_F(ReportWindowTest, ARangeOfSeveralDaysRunsDayByDayIntoOneList) {
    for (const auto& stop : day.stops) ASSERT_TRUE(table.InsertStopTime(stop.entry, login.user));
    Plates()->setEditText(QString::fromStdString(Plate()));
    SetEnd(QDate(2014, 8, 27), QTime(21, 0));
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    Click(IDC_BTN_STAT_SCBB);
    EXPECT_TRUE(StoredArrivals().empty());
    const char* days[] = {"2014-08-25", "2014-08-26", "2014-08-27"};
    for (std::size_t d = 0; d < 3; ++d) {
        ASSERT_TRUE(test::WaitFor([&] { return sent.size() == d + 1; }, 20000)) << d;
        EXPECT_EQ(Text(sent[d]["header"], "cmd") + " " + Text(sent[d]["body"], "date"),
                  std::string("9016 ") + days[d]);
        EXPECT_TRUE(InputsEnabled(false));
        for (const auto& stop : day.stops) {  // that day's stops: the synthetic day moved to it
            StopTimeEntry entry = stop.entry;
            for (std::string* t : {&entry.planReachTime, &entry.planLeaveTime, &entry.batchDate})
                if (!t->empty()) t->replace(0, 10, days[d]);
            ASSERT_TRUE(table.InsertStopTime(entry, login.user));
        }
        Receive(kBatchEnd);
        ASSERT_TRUE(window->IsRunning());
        if (d < 2) Receive(kBatchEnd);  // held during the run, then no day's
    }
    ASSERT_TRUE(listed.wait(20000) || listed.count() > 0);
    EXPECT_EQ(listed.count(), 1);
    EXPECT_EQ(server.requests, 3);
    EXPECT_TRUE(server.lastTarget.contains(
        "begin_time=2014-08-27%2000%3A00%3A00&end_time=2014-08-27%2021%3A00%3A00"))
        << server.lastTarget.toStdString();
    // Each day's rows once, in planned order: the first from 05:00, the last to 21:00.
    std::vector<std::string> plans;
    for (const char* date : days)
        for (const auto& stop : day.stops)
            plans.push_back(date + stop.entry.planReachTime.substr(10));
    std::erase_if(plans,
                  [](auto& p) { return p < "2014-08-25 05:00:00" || p > "2014-08-27 21:00:00"; });
    std::sort(plans.begin(), plans.end());
    EXPECT_EQ(Column(kColPlanReach), plans);
    EXPECT_EQ(Reached(), InRange(true));  // the track is the first day's
    EXPECT_EQ(Page(), "idle, inputs, rule" + Rows(static_cast<int>(plans.size())));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->Listed().start + " 至 " + window->Listed().end,
              "2014-08-25 05:00:00 至 2014-08-27 21:00:00");
}

// Each way a run can go without its track ends with the rows listed and the inputs back; how
// each kind of body reads is the reader's and detection's to test, how a transfer fails the
// fetch's. A run goes on when the connection goes: the track comes over HTTP; when it does not
// come either, the report says it is not complete.
TEST_F(ReportWindowTest, RunsEndWithTheRowsListedAndTheInputsBackWhateverTheTrackDid) {
    const struct {
        const char* name;
        int status;
        BodyServer::Mode mode;
        bool connectionLost;
        bool huge;        // fifty megabytes of blanks inside
        const char* box;  // the one told, if any
        bool anyReached;
    } cases[] = {
        {"http_error", 503, BodyServer::Mode::Whole, false, false, "轨迹数据为空", false},
        {"fifty_megabytes", 200, BodyServer::Mode::Whole, false, true, nullptr, true},
        {"connection_lost", 200, BodyServer::Mode::Whole, true, false, nullptr, true},
        {"connection_lost_track_cut", 200, BodyServer::Mode::Half, true, false,
         "报表未完成：与服务器的连接中断", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        server.status = c.status;
        server.mode = c.mode;
        server.body = QByteArray::fromStdString(day.trackBody);
        if (c.huge) server.body.insert(server.body.lastIndexOf(']'), QByteArray(50 << 20, ' '));
        QSignalSpy listed(window.get(), &ReportWindow::reportListed);
        Generate();
        ASSERT_TRUE(window->IsRunning());
        if (c.connectionLost) window->ConnectionLost();
        ASSERT_TRUE(listed.wait(20000) || listed.count() > 0);
        EXPECT_EQ(boxes, c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{});
        EXPECT_EQ(Page(), "idle, inputs, rule" + Rows(InRange()));
        EXPECT_EQ(Reached() > 0, c.anyReached) << Reached();
    }
}

// Logging out during a run stops it and drops what it held; nothing arrives later from the
// stopped transfer. Closing the page during a run stops it as cleanly.
TEST_F(ReportWindowTest, LoggingOutOrClosingDuringARunStopsItAndDropsWhatItHeld) {
    server.mode = BodyServer::Mode::Silent;
    Generate();
    ASSERT_TRUE(test::WaitFor([&] { return server.requests == 1; }, 5000));
    Receive(Row9021("2014-08-25 08:00:00"));
    QSignalSpy listed(window.get(), &ReportWindow::reportListed);
    window->EndLogin();
    EXPECT_EQ(Page(), "idle, inputs" + Rows(0));
    EXPECT_FALSE(hold.Holding());
    EXPECT_FALSE(listed.wait(300));

    Receive(kBatchEnd);
    ASSERT_TRUE(window->IsRunning());
    window.reset();
    EXPECT_FALSE(hold.Holding());
    Receive(kBatchEnd);  // nobody hooked in: ignored
}

// The export buttons follow the list and the pending request. An empty list is exported with
// its header and says so; the list is written as shown where the user chose, and the next
// proposal is in the folder that took it; a cancelled dialog does nothing; a failure says why
// and leaves no file.
TEST_F(ReportWindowTest, AnExportWritesTheListAsShownWhereTheUserChose) {
    auto buttons = [&] {
        return std::string(Button(IDC_BTN_STAT_EXPORT)->isEnabled() ? "export" : "-") + "/" +
               (Button(IDC_BTN_STAT_CHART)->isEnabled() ? "chart" : "-");
    };
    EXPECT_EQ(buttons(), "export/-");
    Click(IDC_RAD_STAT_TYPE_PDF);
    ASSERT_TRUE(ExportAndWait(folder + "/空.pdf"));
    EXPECT_EQ(boxes,
              std::vector<std::string>{"列表为空，已导出只含表头的文件：\n" + folder + "/空.pdf"});
    EXPECT_EQ(test::ReadFile(folder + "/空.pdf").substr(0, 5), "%PDF-");

    boxes.clear();
    Groups()->setCurrentIndex(Groups()->findText("一公司"));
    Plates()->setEditText("浙A3W066");
    Click(IDC_BTN_STAT_SEARCH);
    Receive(Row9021("2014-08-25 09:00:00", "2014-08-25 09:05:30"));
    Receive(Row9021("2014-08-25 08:00:00", "2014-08-25 07:59:00"));
    EXPECT_EQ(buttons(), "-/-");  // while a query is pending the list is not whole
    Receive(kQueryEnd);
    EXPECT_EQ(buttons(), "export/chart");
    Click(IDC_RAD_STAT_TYPE_CSV);
    EXPECT_TRUE(Control<QRadioButton>(IDC_RAD_STAT_ZT_ALL)->isChecked());  // a group of its own
    ASSERT_TRUE(ExportAndWait(folder + "/我的 报表"));  // a name typed without its suffix gets it
    EXPECT_EQ(proposals.at(1) + "|" + filters.at(1),
              folder + "/报表_浙A3W066_2014-08-25.csv|CSV 文件 (*.csv)");
    const std::string path = folder + "/我的 报表.csv";
    EXPECT_EQ(boxes, std::vector<std::string>{"已导出 2 行：\n" + path});
    const std::string text = test::ReadFile(path);
    // The header block says what the controls asked for; the rows come in the list's order.
    const std::string header =
        "公司,一公司\r\n车牌号,浙A3W066\r\n时间范围,2014-08-25 05:00:00 至 2014-08-25 21:00:00\r\n"
        "判定规则,服务器报表\r\n匹配方式,\r\n生成时间,2014-08-26 09:30:00\r\n";
    EXPECT_NE(text.find(header), std::string::npos) << text;
    const std::size_t first = text.find("2014-08-25 08:00:00,2014-08-25 07:59:00");
    EXPECT_LT(first, text.find("2014-08-25 09:00:00,2014-08-25 09:05:30,迟到00:05:30"));
    // conf.ini's CsvCharset=GBK: the same in GBK bytes, without the UTF-8 byte-order mark.
    login.csvCharset = "GBK";
    ASSERT_TRUE(ExportAndWait(folder + "/gbk.csv"));
    EXPECT_EQ(GbkToUtf8(test::ReadFile(folder + "/gbk.csv")), text.substr(3));

    boxes.clear();
    answer.clear();  // the dialog is cancelled
    Click(IDC_BTN_STAT_EXPORT);
    EXPECT_FALSE(window->IsExporting());
    EXPECT_TRUE(boxes.empty());
    Click(IDC_RAD_STAT_TYPE_EXCEL);
    ASSERT_TRUE(ExportAndWait(folder + "/没有/报表.xlsx"));
    EXPECT_EQ(proposals.back(), folder + "/报表_浙A3W066_2014-08-25.xlsx");
    EXPECT_EQ(boxes, std::vector<std::string>{"导出失败：无法写入“" + folder +
                                              "/没有/报表.xlsx”：文件夹不存在"});
    EXPECT_EQ(login.exportFolder, folder);
}

TEST_F(ReportWindowTest, ALongExportShowsProgressHoldsWhatArrivesAndCanBeCancelled) {
    ListRun(test::LongList(10000));
    Click(IDC_RAD_STAT_TYPE_PDF);
    answer = folder + "/报表.pdf";
    QSignalSpy ended(window.get(), &ReportWindow::exportEnded);
    auto* label = Control<QLabel>(IDC_STA_STAT_TRACK);
    auto state = [&] {  // the export button's text, then which of 导出, 图表, 查询 can be pressed
        std::string s = Button(IDC_BTN_STAT_EXPORT)->text().toStdString() + "|";
        for (int id : {IDC_BTN_STAT_EXPORT, IDC_BTN_STAT_CHART, IDC_BTN_STAT_SEARCH})
            s += Button(id)->isEnabled() ? '1' : '0';
        return s + (label->isVisibleTo(window.get()) ? "|progress" : "");
    };
    Click(IDC_BTN_STAT_EXPORT);
    ASSERT_TRUE(window->IsExporting());
    EXPECT_EQ(state(), "取消|100|progress");
    ASSERT_TRUE(test::WaitFor([&] {  // the rows written are told as they go
        return label->text().contains("/ 10000 行") && !label->text().startsWith("正在导出… 0 ");
    })) << label->text().toStdString();
    Receive(Row9021("2014-08-25 04:00:00"));  // what the server sends meanwhile waits
    EXPECT_EQ(hold.Waiting(), 1u);

    Click(IDC_BTN_STAT_EXPORT);  // 取消
    ASSERT_TRUE(ended.wait(30000) || ended.count() > 0);
    EXPECT_EQ(state(), "导出|111");
    EXPECT_EQ(hold.Waiting(), 0u);
    EXPECT_EQ(window->Model().rowCount(), 10001);

    // Logging out stops an export as quietly.
    Click(IDC_BTN_STAT_EXPORT);
    ASSERT_TRUE(window->IsExporting());
    window->EndLogin();
    EXPECT_FALSE(window->IsExporting());
    EXPECT_FALSE(hold.Holding());
    EXPECT_FALSE(ended.wait(200));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ReportWindowTest, ChartsShowTheListedRowsAndSaveAsAnImage) {
    login.onTimeLate = 300;
    ListRun(test::HandmadeList());
    Click(IDC_BTN_STAT_CHART);
    ChartWindow* charts = window->Charts();
    ASSERT_NE(charts, nullptr);
    EXPECT_TRUE(charts->isVisible());
    // The histogram's classes hold every readable arrival (seven), judged under conf.ini's
    // window: +330 s is the only late one.
    auto* bars = qobject_cast<QStackedBarSeries*>(charts->DeviationView()->chart()->series().at(0));
    ASSERT_NE(bars, nullptr);
    std::vector<qreal> classes;  // early, on time, late
    for (const QBarSet* set : bars->barSets()) classes.push_back(set->sum());
    EXPECT_EQ(classes, (std::vector<qreal>{2, 4, 1}));

    // The list changes; the window keeps what it showed until asked again.
    window->Model().Clear();
    EXPECT_EQ(charts->RowCount(), 10u);
    EXPECT_FALSE(Button(IDC_BTN_STAT_CHART)->isEnabled());

    answer = folder + "/图表";
    charts->Item<QAbstractButton>(IDC_BTN_CHART_PNG)->click();
    EXPECT_EQ(proposals.back(), home.Path() + "/图表.png");  // nothing was listed by a request
    EXPECT_EQ(boxes, std::vector<std::string>{"已导出图片：\n" + folder + "/图表.png"});
    EXPECT_EQ(QImage(QString::fromStdString(folder + "/图表.png")).size(), QSize(1960, 1184));

    window->EndLogin();
    EXPECT_FALSE(charts->isVisible());
}

}  // namespace
}  // namespace fw

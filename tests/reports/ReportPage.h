#pragma once

// The report page offscreen for the window and export tests: the links of the main window it
// needs, a loopback track service that answers with a synthetic day, and hooks that record
// what it sends, the boxes it shows and what its save dialog proposes.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <memory>
#include <string>
#include <vector>

#include "base/Config.h"
#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "net/Dispatcher.h"
#include "net/DocumentHold.h"
#include "reports/ReportListModel.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "routes/RouteStore.h"
#include "skin/SkinLibrary.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "tests/reports/SyntheticDay.h"
#include "tests/support/BodyServer.h"
#include "tests/support/TestSupport.h"
#include "text/Encoding.h"

namespace fw::test {

inline const std::string kBatchEnd = R"({"header":{"cmd":"9019"},"body":{"type":"batch"}})";
inline const std::string kQueryEnd = R"({"header":{"cmd":"9019"},"body":{"type":"query"}})";

// A server report row (9021) of 早班 on 1路 at a stop whose name needs quoting in a CSV.
inline std::string Row9021(const std::string& plan, const std::string& real = "",
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

class ReportPage : public testing::Test {
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
    SyntheticDay day = MakeSyntheticDay(
        DayShape{.routes = 2, .stationsPerRoute = 6, .tripsPerRoute = 2, .layoverSeconds = 1800});
    std::unique_ptr<ReportWindow> window;
    std::vector<Json::Value> sent;
    bool sendSucceeds = true;  // false: the connection is down, nothing goes out
    std::string answer;  // the save dialog's, empty for a cancel
    std::vector<std::string> boxes, filters, proposals;
};

}  // namespace fw::test

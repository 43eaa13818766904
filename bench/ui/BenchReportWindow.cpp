// From the server's 9019 "batch" to a filled report list: the run as the report window drives
// it, with the 16-hour track (11,520 fixes) served over loopback HTTP, 3 routes of 40 stations
// and 1,200 stop rows.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QTcpServer>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/Config.h"
#include "text/LogSink.h"
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
#include "text/Encoding.h"

namespace {

class NoLog : public fw::LogSink {
public:
    void WriteLog(std::string_view) override {}
};

bool StartWidgets() {
    static std::unique_ptr<QApplication> app;
    if (!app) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fenwarde-bench";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        if (!fw::StartSkin()) return false;
    }
    return true;
}

void BM_ReportBatchEndToFilledList(benchmark::State& state) {
    if (!StartWidgets()) return state.SkipWithError("no skin");
    const fw::test::DayShape shape = fw::test::FullDay();
    const fw::test::SyntheticDay day = fw::test::MakeSyntheticDay(shape);

    // The track service: the day's reply for every request.
    const QByteArray body = QByteArray::fromStdString(day.trackBody);
    QHttpServer http;
    http.route("/Interface/GetJsonVdata",
               [&body] { return QHttpServerResponse("application/json", body); });
    auto* tcp = new QTcpServer(&http);
    if (!tcp->listen(QHostAddress::LocalHost, 0)) return state.SkipWithError("no loopback port");
    http.bind(tcp);

    std::string dir = (std::filesystem::temp_directory_path() / "fenwarde-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return state.SkipWithError("no temporary directory");
    {
        fw::Database db;
        if (!db.Open(dir, "bench", "")) return state.SkipWithError("database did not open");
        fw::StopTimeTable table(db);
        for (const auto& stop : day.stops) table.InsertStopTime(stop.entry, "调度员");
        fw::RouteStore routes;
        for (const auto& route : day.routes) routes.AddRoute(route);
        fw::VehicleStore vehicles;
        vehicles.Add({shape.plate, "77", "东区"});
        fw::LoginConfig login;
        login.user = "调度员";
        login.server = "127.0.0.1";
        login.webPort = tcp->serverPort();
        fw::TextCodec wire;
        NoLog log;
        fw::DocumentHold hold([](fw::Message&) { return true; });
        fw::ReportWindow window(fw::ReportSession{.stopTimes = table,
                                                  .routes = routes,
                                                  .vehicles = vehicles,
                                                  .login = login,
                                                  .wire = wire,
                                                  .log = log,
                                                  .send = [](const Json::Value&) { return true; },
                                                  .hold = &hold,
                                                  .rowImages = {}},
                                nullptr);
        if (!window.Create(nullptr, false)) return state.SkipWithError("report window not created");
        window.AddVehicleChoice(shape.plate);
        for (auto [id, text] : {std::pair{IDC_DATETIME_STAT_S, day.firstFix},
                                std::pair{IDC_DATETIME_STAT_E, day.lastFix}})
            window.Item<QDateTimeEdit>(id)->setDateTime(
                QDateTime::fromString(QString::fromStdString(text), "yyyy-MM-dd HH:mm:ss"));

        int rows = 0;
        for (auto _ : state) {
            state.PauseTiming();
            window.Model().Clear();
            QEventLoop loop;
            QObject::connect(&window, &fw::ReportWindow::reportListed, &loop, &QEventLoop::quit);
            state.ResumeTiming();
            window.ReportBatchEnded(true);
            loop.exec();
            rows = window.Model().rowCount();
        }
        if (rows != static_cast<int>(day.stops.size()))
            state.SkipWithError("the list is not complete");
        state.counters["rows"] = rows;
        state.counters["fixes"] = day.fixes;
        state.counters["track_MiB"] = static_cast<double>(body.size()) / (1 << 20);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_ReportBatchEndToFilledList)->Unit(benchmark::kMillisecond)->UseRealTime();

// A company query's answer: 5,000 server rows (20 vehicles, each in its own planned order, one
// vehicle after another) into the shown list, each in its planned place on arrival.
void BM_ServerRowsIntoShownList(benchmark::State& state) {
    if (!StartWidgets()) return state.SkipWithError("no skin");
    fw::Database db;  // never opened: server rows do not touch it
    fw::StopTimeTable table(db);
    fw::RouteStore routes;
    fw::VehicleStore vehicles;
    fw::LoginConfig login;
    fw::TextCodec wire;
    NoLog log;
    fw::ReportWindow window(fw::ReportSession{.stopTimes = table,
                                              .routes = routes,
                                              .vehicles = vehicles,
                                              .login = login,
                                              .wire = wire,
                                              .log = log,
                                              .send = [](const Json::Value&) { return true; },
                                              .rowImages = {}},
                            nullptr);
    if (!window.Create(nullptr, false)) return state.SkipWithError("report window not created");
    window.resize(1150, 560);
    window.show();
    std::vector<fw::Message> messages;
    for (int v = 0; v < 20; ++v)
        for (int i = 0; i < 250; ++i) {
            fw::Message m;
            m.code = 9021;
            char plan[48];
            std::snprintf(plan, sizeof plan, "2014-08-25 %02d:%02d:%02d", 5 + i / 16,
                          (i * 7 + v) % 60, v);
            m.body["vhcID"] = "V" + std::to_string(v);
            m.body["planreachtime"] = plan;
            m.body["realreachtime"] = plan;
            m.body["linenaem"] = "1路";
            m.body["userMarkName"] = "定安路";
            messages.push_back(std::move(m));
        }
    for (auto _ : state) {
        state.PauseTiming();
        window.Model().Clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (const fw::Message& m : messages) window.AddReportRow(m);
        QCoreApplication::processEvents();  // the view catches up and paints
    }
    state.counters["rows"] = window.Model().rowCount();
}
BENCHMARK(BM_ServerRowsIntoShownList)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

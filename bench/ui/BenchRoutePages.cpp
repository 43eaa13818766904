#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

#include <memory>

#include "routes/RouteDrawWindow.h"
#include "routes/RouteListWindow.h"
#include "routes/RouteMenuWindow.h"
#include "routes/RouteStore.h"
#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "sim/WebSite.h"
#include "skin/SkinLibrary.h"
#include "text/Url.h"
#include "web/BrowserHost.h"
#include "web/PageAddresses.h"
#include "web/PageRelay.h"

namespace {

// The application object, made before any widget.
struct Application {
    Application() {
        static int argc = 1;
        static char name[] = "fenwarde-bench";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() != nullptr) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        new QApplication(argc, argv);
    }
};

// The route pages as the main window holds them, over the simulator's web site.
struct Pages : Application {
    Pages() {
        fw::StartSkin();
        site.Listen(QHostAddress::LocalHost, 0, nullptr);
        main.resize(1600, 900);
        fw::RouteContext c;
        c.routes = &store;
        c.sendJson = [](const Json::Value&) { return true; };
        const quint16 port = site.Port();
        list = new fw::RouteListWindow(&main, c, {QImage(15, 33, QImage::Format_RGB32), QImage(15, 33, QImage::Format_RGB32)});
        draw = new fw::RouteDrawWindow(&main, c, [port] {
            return QString::fromStdString(fw::HttpOrigin("127.0.0.1", port));
        });
        menu = new fw::RouteMenuWindow(&main, [port] { return fw::MapPageUrl("127.0.0.1", port); });
        menu->Create(&main, false);
        list->Create(&main, false);
        draw->Create(&main, false);
        menu->SetPages(list, draw);
        draw->SetPages(list, menu);
        main.show();
    }

    fw::sim::SimState state{fw::sim::GenerateScenario(1, "2014-08-25")};
    fw::sim::WebSite site{state, nullptr};
    fw::RouteStore store;
    QWidget main;
    fw::RouteListWindow* list = nullptr;
    fw::RouteDrawWindow* draw = nullptr;
    fw::RouteMenuWindow* menu = nullptr;
};

Pages& Shared() {
    static Pages* pages = new Pages;  // lives until the process ends, like the main window
    return *pages;
}

// Picking "线路增加" until the map page's relay answers: the page loaded, its script ran and
// the channel to the program is up. The first pick also starts the web engine.
void BM_MapPagePickToRelay(benchmark::State& state) {
    Pages& p = Shared();
    double firstMs = -1;
    for (auto _ : state) {
        QEventLoop loop;
        const auto c = QObject::connect(p.draw->Host()->Relay(), &fw::PageRelay::attached, &loop,
                                        &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        p.menu->ShowAdd();
        loop.exec();
        const double seconds = timer.nsecsElapsed() / 1e9;
        QObject::disconnect(c);
        if (firstMs < 0) firstMs = seconds * 1000;
        state.SetIterationTime(seconds);
        p.menu->ShowManage();
    }
    state.counters["first_pick_ms"] = firstMs;
}
BENCHMARK(BM_MapPagePickToRelay)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

// The list window with 10,000 routes: filling the last page and sorting it by name.
void BM_RouteListWindowFillLastPage(benchmark::State& state) {
    Pages& p = Shared();
    if (p.store.Size() == 0)
        for (int i = 0; i < 10000; ++i) {
            fw::RouteRecord r;
            r.lineName = "线路" + std::to_string(i);
            r.length = "12.5";
            r.time = "00:45";
            r.stations.resize(25, {"1", "人民广场东站", "", "", "", "", fw::PresenceState::Outside});
            p.store.Append(std::move(r));
        }
    for (auto _ : state) p.list->GoToPage(500);
}
BENCHMARK(BM_RouteListWindowFillLastPage)->Unit(benchmark::kMicrosecond);

void BM_RouteListWindowSortPage(benchmark::State& state) {
    Pages& p = Shared();
    for (auto _ : state) p.list->Sort(0);
}
BENCHMARK(BM_RouteListWindowSortPage)->Unit(benchmark::kMicrosecond);

}  // namespace

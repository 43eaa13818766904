#include "app/WorkPages.h"

#include "app/MainWindow.h"
#include "routes/RouteDrawWindow.h"
#include "routes/RouteListWindow.h"
#include "routes/RouteMenuWindow.h"
#include "text/Url.h"
#include "web/MonitorWindow.h"
#include "web/PageAddresses.h"
#include "web/WebReportWindow.h"

namespace fw {
namespace {

RouteContext RoutesOf(MainWindow& main) {
    RouteContext c;
    c.routes = &main.Routes();
    c.log = &main.Logger();
    c.sendJson = [&main](const Json::Value& message) { return main.Session().Send(message); };
    c.userName = [&main] { return main.MessageDispatcher().User(); };
    return c;
}

// The configured web site, the only one whose pages may send commands.
std::function<QString()> WebSiteOf(MainWindow& main) {
    return [&main] {
        return QString::fromStdString(HttpOrigin(main.Config().server, main.Config().webPort));
    };
}

template <class T>
T* Page(MainWindow& main, MainWindow::Child child) {
    return qobject_cast<T*>(main.ChildWindow(child));
}

}  // namespace

CUIWnd* CreateWorkPage(MainWindow& main, int child) {
    switch (child) {
        case MainWindow::RouteMenu:
            return new RouteMenuWindow(&main, [&main] {
                return MapPageUrl(main.Config().server, main.Config().webPort);
            });
        case MainWindow::RouteList: {
            const auto& images = main.CheckImages();
            return new RouteListWindow(&main, RoutesOf(main), QVector<QImage>(images.begin(), images.end()));
        }
        case MainWindow::RouteDraw: return new RouteDrawWindow(&main, RoutesOf(main), WebSiteOf(main));
        case MainWindow::Monitor: return new MonitorWindow(&main, {&main.Logger(), WebSiteOf(main)});
        case MainWindow::WebReport: return new WebReportWindow(&main, {&main.Logger(), WebSiteOf(main)});
        default: return nullptr;
    }
}

void ConnectWorkPages(MainWindow& main) {
    auto* menu = Page<RouteMenuWindow>(main, MainWindow::RouteMenu);
    auto* list = Page<RouteListWindow>(main, MainWindow::RouteList);
    auto* draw = Page<RouteDrawWindow>(main, MainWindow::RouteDraw);
    if (menu != nullptr) menu->SetPages(list, draw);
    if (draw != nullptr) draw->SetPages(list, menu);
    if (list != nullptr) {
        main.MessageDispatcher().SetRouteEvents(list);
        QObject::connect(list, &QObject::destroyed, &main,
                         [&main] { main.MessageDispatcher().SetRouteEvents(nullptr); });
        QObject::connect(&main, &MainWindow::loginEnded, list, &RouteListWindow::ResetForLogin);
        QObject::connect(&main, &MainWindow::refreshed, list, &RouteListWindow::Refill);
    }
    if (auto* monitor = Page<MonitorWindow>(main, MainWindow::Monitor))
        QObject::connect(&main, &MainWindow::dialogSweep, monitor, &MonitorWindow::Sweep);
}

}  // namespace fw

#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Config.h"
#include "app/Log.h"
#include "app/LoginWindow.h"
#include "net/Dispatcher.h"
#include "net/DocumentHold.h"
#include "net/ReceivePipeline.h"
#include "net/ServerSocket.h"
#include "routes/RouteStore.h"
#include "skin/CUIWnd.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Encoding.h"

class QComboBox;

namespace fw {

class ReportMenuWindow;
class ReportWindow;

// The one top-level window. It owns everything that lives for a login: the connection, the
// login values, the stores filled from the server, the local database and the eleven pages.
class MainWindow : public CUIWnd, public ReceiveHandler, public DispatchTarget {
    Q_OBJECT
public:
    struct Options {
        std::string home;
        bool autoLogin = false;
        int heartbeatMs = 30000;  // shortened by tests only
        int sweepMs = 10000;
    };

    // The pages, in the order they are created.
    enum Child {
        RouteMenu, RouteList, RouteDraw, ScheduleMenu, ScheduleList, TimetableImport,
        ScheduleSetup, Report, Monitor, ReportMenuPage, WebReport, kChildCount
    };

    explicit MainWindow(Options options);
    ~MainWindow() override;

    // Builds the window, opens the database and runs the login window. False when the user
    // cancelled it: the program ends without showing anything.
    bool Start();

    void ShowCurrentPage();
    // Ends the login and brings the login window back (after the current event returns).
    void ReturnToLogin();

    // ReceiveHandler
    void WriteLog(std::string_view text) override;
    bool WantsLog() const override { return log_.Switch() != 0; }
    bool Dispatch(Message& message) override;

    // DispatchTarget
    bool SendJson(const Json::Value& message) override;
    bool LoginResult(const std::string& result, const std::string& text) override;
    void AddGroupChoice(const std::string& group) override;
    void AddVehicleChoice(const std::string& plate) override;

    // The work pages hook in here to take their received messages.
    Dispatcher& MessageDispatcher() { return dispatcher_; }

    LoginConfig& Config() { return config_; }
    const std::string& Home() const { return options_.home; }
    void SetWriteLog(int writeLog);
    bool LoggedIn() const { return loggedIn_ != 0; }
    int CurrentPage() const { return currentPage_; }
    CUIWnd* ChildWindow(Child child) const { return children_[child]; }
    LoginWindow* ActiveLoginWindow() const { return login_; }
    RouteStore& Routes() { return routes_; }
    VehicleStore& Vehicles() { return vehicles_; }
    Database& Db() { return db_; }
    StopTimeTable& StopTimes() { return stopTimes_; }
    ServerSocket* Socket() const { return socket_; }
    const std::vector<QImage>& CheckImages() const { return checkImages_; }
    const std::vector<QImage>& RowImages() const { return rowImages_; }

signals:
    // Timer 1: the web pages sweep their message boxes.
    void dialogSweep();
    void loginEnded();
    // The window was closed: the program ends.
    void closed();

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool RunLogin();
    void AttemptLogin(LoginWindow& window);
    void DropSocket();
    void LayoutReportPage();
    void Place(CUIWnd* window, const skin::Rect& rect);
    void TickMenu(int page);
    void OnHeartbeat();
    void OnSweep();
    void Shutdown();
    CUIWnd* MakeReportWindow();
    QComboBox* ReportCombo(int id) const;

    Options options_;
    LoginConfig config_;
    Log log_;
    TextCodec codec_;
    Database db_;
    StopTimeTable stopTimes_{db_};
    RouteStore routes_{this};
    VehicleStore vehicles_;
    Dispatcher dispatcher_{routes_, vehicles_, stopTimes_, *this};
    // Received documents pass here first: they wait while a report run fetches its track.
    DocumentHold held_{[this](Message& m) { return dispatcher_.Dispatch(m); }};
    QPointer<ServerSocket> socket_;
    int loggedIn_ = 0;
    int currentPage_ = 0;
    std::array<CUIWnd*, kChildCount> children_{};
    ReportMenuWindow* reportMenu_ = nullptr;
    ReportWindow* report_ = nullptr;
    QPointer<LoginWindow> login_;
    std::vector<QImage> checkImages_;
    std::vector<QImage> rowImages_;
    QTimer heartbeat_;
    QTimer sweep_;
    bool loginPending_ = false;
    bool shutDown_ = false;
};

}  // namespace fw

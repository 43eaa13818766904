#pragma once

#include <QImage>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/Config.h"
#include "base/Log.h"
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
class SchedulePage;
class ReportWindow;

// The one top-level window. It owns everything that lives for a login: the connection, the
// login values, the stores filled from the server, the local database and the eleven pages.
class MainWindow : public CUIWnd, public ReceiveHandler, public DispatchTarget {
    Q_OBJECT
public:
    struct Options {
        std::string home;
        bool autoLogin = false;  // submit the first login window at once (never a later one)
        int page = -1;           // the page shown after login; -1: conf.ini's Page, else routes
        int heartbeatMs = 30000;  // the periods are shortened by tests only
        int sweepMs = 10000;
        int loginReplyMs = 15000;  // the server's answer to the login request
        int reconnectDivisor = 1;  // divides the reconnect waits
    };

    // The pages, in the order they are created.
    enum Child {
        RouteMenu, RouteList, RouteDraw, ScheduleMenu, ScheduleList, TimetableImport,
        ScheduleSetup, Report, Monitor, ReportMenuPage, WebReport, kChildCount
    };

    explicit MainWindow(Options options);
    ~MainWindow() override;

    // Builds the window, opens the database and runs the login window until the server accepts
    // a login. False when the user cancelled it: the program ends without showing anything.
    bool Start();

    void ShowCurrentPage();
    // Ends the login and brings the login window back (after the current event returns).
    void ReturnToLogin();
    // Ends the program now, as SIGTERM and SIGINT do: open boxes and modal windows are ended,
    // nothing is asked, conf.ini is written.
    void Quit();
    bool IsReconnecting() const { return reconnecting_; }
    int ReconnectAttempt() const { return reconnectAttempt_; }

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
    void resizeEvent(QResizeEvent* event) override;

private:
    bool RunLogin();
    void TakeKeyboard();
    void AttemptLogin(LoginWindow& window);
    // Opens a connection and sends the login request; the answer (or its absence) decides.
    void Connect();
    void LoginAttemptFailed(const char* reason);
    void OnConnectionLost();
    void StartReconnect();
    void ScheduleReconnect();
    void StopReconnect();
    void ShowReconnectBand(bool visible);
    void ClearSession();
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
    std::unique_ptr<SchedulePage> schedulePage_;
    ReportWindow* report_ = nullptr;
    QPointer<LoginWindow> login_;
    std::vector<QImage> checkImages_;
    std::vector<QImage> rowImages_;
    QTimer heartbeat_;
    QTimer sweep_;
    QTimer loginReply_;
    QTimer reconnect_;
    QElapsedTimer reconnectClock_;
    bool reconnecting_ = false;
    int reconnectAttempt_ = 0;
    int bandHeight_ = 0;
    bool autoLoginPending_ = false;
    bool loginPending_ = false;
    bool quitting_ = false;
    bool shutDown_ = false;
};

}  // namespace fw

#pragma once

#include <QImage>
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
#include "net/ServerSession.h"
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

// The one top-level window. It owns everything that lives for a login: the session with the
// server (ServerSession: connection, login, re-login, sends), the login values, the stores
// filled from the server, the local database and the eleven pages, and it tells the pages what
// the session went through.
class MainWindow : public CUIWnd, public DispatchTarget {
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
        int settleMs = 3000;       // after a re-login: how long the server's pushes may pause
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
    bool IsReconnecting() const { return session_.IsReconnecting(); }
    int ReconnectAttempt() const { return session_.ReconnectAttempt(); }
    ServerSession& Session() { return session_; }
    LogSink& Logger() { return log_; }

    // DispatchTarget: the answers and the login reply go to the session.
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
    ServerSocket* Socket() const { return session_.Socket(); }
    const std::vector<QImage>& CheckImages() const { return checkImages_; }
    const std::vector<QImage>& RowImages() const { return rowImages_; }

signals:
    // Timer 1: the web pages sweep their message boxes.
    void dialogSweep();
    void loginEnded();
    // After a re-login the server's pushes have settled: the stores hold what it sent again.
    void refreshed();
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
    void ConnectSession();
    void OnSignInFailed(const QString& reason);
    void OnSignedIn(bool again);
    void OnLoginRefused(const QString& text);
    void OnConnectionLost();
    void OnSessionEnded(const QString& reason);
    void OnPushesSettled();
    void ShowReconnectBand(bool visible);
    void ClearSession();
    void LayoutReportPage();
    void Place(CUIWnd* window, const skin::Rect& rect);
    void TickMenu(int page);
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
    RouteStore routes_{&log_};
    VehicleStore vehicles_;
    Dispatcher dispatcher_{routes_, vehicles_, stopTimes_, *this};
    ServerSession session_;
    int loggedIn_ = 0;
    bool refreshing_ = false;  // re-logged in, the server's pushes still coming
    int currentPage_ = 0;
    std::array<CUIWnd*, kChildCount> children_{};
    ReportMenuWindow* reportMenu_ = nullptr;
    std::unique_ptr<SchedulePage> schedulePage_;
    ReportWindow* report_ = nullptr;
    QPointer<LoginWindow> login_;
    std::vector<QImage> checkImages_;
    std::vector<QImage> rowImages_;
    QTimer sweep_;
    int bandHeight_ = 0;
    bool autoLoginPending_ = false;
    bool loginPending_ = false;
    bool quitting_ = false;
    bool shutDown_ = false;
};

}  // namespace fw

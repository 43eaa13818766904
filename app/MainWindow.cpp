#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <utility>

#include "base/Home.h"
#include "app/LoginForm.h"
#include "app/LoginWindow.h"
#include "base/MessageBox.h"
#include "app/PageLayout.h"
#include "app/PageWindow.h"
#include "app/ReconnectPlan.h"
#include "app/ReportMenuWindow.h"
#include "app/SettingsWindow.h"
#include "app/WorkPages.h"
#include "net/Requests.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "routes/RouteMenuWindow.h"
#include "schedules/SchedulePage.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

constexpr const char* kConnectFailed = "服务器连接失败!!!";
constexpr const char* kDisconnected = "与服务器断开连接";
constexpr const char* kNoAnswer = "服务器无应答";
constexpr const char* kAskQuit = "确定退出系统？";
constexpr const char* kAskLogout = "确定注销当前用户？";
constexpr int kMinimumWidth = 1024;
constexpr int kMinimumHeight = 640;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The skin windows of the pages, in creation order.
constexpr std::array<int, MainWindow::kChildCount> kChildSkinIds = {
    IDW_SUBMENU_LUXIAN, IDW_LUXIAN_GUANLI,  IDW_LUXIAN_ADD,   IDW_SUBMEBU_PAIBAN,
    IDW_PAIBAN_GUANLI,  IDW_PAIBAN_ADD_FILE, IDW_PAIBAN_ADD_PEIZHI, IDW_BAOBIAO,
    IDW_BUS_MONITOR,    IDW_BAOBIAO_HEAD,   IDW_BAOBIAO_WEB};

constexpr std::array<int, 4> kMenuRadios = {IDC_RAD_MENU_XIANLU, IDC_RAD_MENU_PAIBAN,
                                            IDC_RAD_MENU_BAOBIAO, IDC_RAD_MENU_JIANKONG};

std::string ConfigPath(const std::string& home) { return home + "/" + kConfigFileName; }

}  // namespace

MainWindow::MainWindow(Options options)
    : CUIWnd(nullptr),
      options_(std::move(options)),
      config_(ReadConfig(ConfigPath(options_.home))),
      log_(options_.home),
      codec_(config_.charset) {
    log_.SetSwitch(config_.writeLog);
    autoLoginPending_ = options_.autoLogin;
    if (options_.page >= 0) currentPage_ = options_.page;
    else if (config_.page >= 0) currentPage_ = config_.page;
    for (QTimer* timer : {&heartbeat_, &sweep_, &loginReply_, &reconnect_}) timer->setSingleShot(true);
    connect(&heartbeat_, &QTimer::timeout, this, &MainWindow::OnHeartbeat);
    connect(&sweep_, &QTimer::timeout, this, &MainWindow::OnSweep);
    connect(&loginReply_, &QTimer::timeout, this, [this] { LoginAttemptFailed(kNoAnswer); });
    connect(&reconnect_, &QTimer::timeout, this, &MainWindow::Connect);
}

MainWindow::~MainWindow() {
    Shutdown();
    // The pages and sockets use the stores and the codec: they go before the members do.
    for (CUIWnd*& child : children_) {
        delete child;
        child = nullptr;
    }
    qDeleteAll(findChildren<ServerSocket*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::InitSkinWindowId() { SetSkinWindowId(IDW_MAIN); }

bool MainWindow::OnCreate() {
    for (int id = IDC_BTN_MIN; id <= IDC_RAD_MENU_BAOBIAO; ++id)
        if (GetDlgItem(id) == nullptr) return false;
    return true;
}

bool MainWindow::Start() {
    if (!IsCreated() && !Create(nullptr, false)) return false;
    setWindowTitle(QStringLiteral("Fen_warde"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    checkImages_ = {SkinLibrary::Bitmap(132), SkinLibrary::Bitmap(131)};
    rowImages_ = {SkinLibrary::Bitmap(133)};
    ScheduleLink scheduleLink{[this](const Json::Value& m) { return SendJson(m); }, [this] { return dispatcher_.User(); },
                              &QDateTime::currentDateTime, {checkImages_.begin(), checkImages_.end()},
                              {rowImages_.begin(), rowImages_.end()}};
    scheduleLink.fleetPlates = [this] {
        std::vector<std::string> plates;
        for (const VehicleRecord& v : vehicles_.Records()) plates.push_back(v.code);
        return plates;
    };
    scheduleLink.minTurnaround = config_.minTurnaround;
    schedulePage_ = std::make_unique<SchedulePage>(std::move(scheduleLink));

    for (int i = 0; i < kChildCount; ++i) {
        CUIWnd* page = nullptr;
        if (i == ReportMenuPage) {
            reportMenu_ = new ReportMenuWindow(this);
            reportMenu_->onModeChanged = [this] { LayoutReportPage(); };
            page = reportMenu_;
        } else if (i == Report) {
            page = MakeReportWindow();
        } else if (CUIWnd* schedule = schedulePage_->MakeWindow(kChildSkinIds[i], this)) {
            page = schedule;
        } else if ((page = CreateWorkPage(*this, i)) == nullptr) {
            page = new PageWindow(kChildSkinIds[i], this);
        }
        page->Create(this, false);
        page->hide();
        children_[i] = page;
    }
    ConnectWorkPages(*this);
    schedulePage_->Connect();
    dispatcher_.SetScheduleEvents(schedulePage_.get());
    connect(this, &MainWindow::loginEnded, this, [this] { schedulePage_->LoginEnded(); });

    db_.Open(options_.home, config_.dataName, config_.dataBasePassword, &log_);
    const std::string warning = HomeWriteWarning(
        options_.home, config_.dataName.empty() ? "" : Database::FilePath(options_.home, config_.dataName));
    if (!warning.empty()) ShowMessage(nullptr, Q(warning));

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    connect(Item<QAbstractButton>(IDC_BTN_RECONNECT_STOP), &QAbstractButton::clicked, this, [this] {
        StopReconnect();
        ReturnToLogin();
    });

    if (!RunLogin()) return false;
    if (QWidget* version = GetDlgItem(IDC_STA_VER)) version->hide();
    SetMaximized(true);
    ShowCurrentPage();
    TakeKeyboard();
    return true;
}

// Signed in, the keyboard starts on the menu (the page it was on is gone while the login window
// runs), also where no window manager hands it to the window.
void MainWindow::TakeKeyboard() {
    activateWindow();
    if (QWidget* first = InitialFocus()) first->setFocus(Qt::ActiveWindowFocusReason);
}

bool MainWindow::RunLogin() {
    LoginWindow window(isVisible() ? this : nullptr);
    window.Create(nullptr, false);
    window.Fill(PrefillLoginForm(config_));
    window.onLogin = [this](LoginWindow& w) { AttemptLogin(w); };
    // --autologin acts once, at start-up: never after a logout, a rejection or a lost connection.
    if (std::exchange(autoLoginPending_, false) && CanLogInUnattended(config_)) window.SubmitSoon();
    login_ = &window;
    const int result = window.DoModal();
    login_ = nullptr;
    if (result != LoginWindow::kOk) {
        // An attempt still under way for this window is abandoned with it.
        loginReply_.stop();
        if (!loggedIn_) DropSocket();
        return false;
    }
    return true;
}

void MainWindow::AttemptLogin(LoginWindow& window) {
    ApplyLoginForm(window.Form(), config_);
    WriteConfig(ConfigPath(options_.home), config_);
    dispatcher_.SetUser(config_.user);
    window.SetState(LoginWindow::State::Connecting);
    Connect();
}

void MainWindow::Connect() {
    DropSocket();
    // What a report run held came over the old connection; the new one starts with nothing held.
    held_.Clear();
    socket_ = new ServerSocket(codec_, *this, this);
    connect(socket_, &ServerSocket::connected, this, [this] {
        if (login_) login_->SetState(LoginWindow::State::LoggingIn);
        // Straight to the socket: nothing else may go out before the server has answered.
        if (socket_->SendJson(LoginRequest(config_.user, config_.password)) != ServerSocket::SendResult::Sent) {
            LoginAttemptFailed(kDisconnected);
            return;
        }
        loginReply_.start(options_.loginReplyMs);
    });
    connect(socket_, &ServerSocket::connectFailed, this, [this] { LoginAttemptFailed(kConnectFailed); });
    connect(socket_, &ServerSocket::connectionLost, this, &MainWindow::OnConnectionLost);
    socket_->Open(Q(config_.server), static_cast<quint16>(config_.port));
}

void MainWindow::LoginAttemptFailed(const char* reason) {
    loginReply_.stop();
    WriteLog(reason);
    DropSocket();
    if (reconnecting_) {
        ScheduleReconnect();
    } else if (login_) {
        login_->SetState(LoginWindow::State::Idle);
        ShowMessage(login_, Q(reason));
    }
}

void MainWindow::OnConnectionLost() {
    if (loginReply_.isActive() || !loggedIn_) {
        LoginAttemptFailed(kDisconnected);  // gone before it answered the login
        return;
    }
    WriteLog(kDisconnected);
    if (config_.autoReconnect && config_.remember == "1") {
        StartReconnect();
        return;
    }
    DropSocket();
    ShowMessage(this, Q(kDisconnected));
    ReturnToLogin();
}

void MainWindow::StartReconnect() {
    DropSocket();
    reconnecting_ = true;
    reconnectAttempt_ = 0;
    reconnectClock_.start();
    ShowReconnectBand(true);
    ScheduleReconnect();
}

void MainWindow::ScheduleReconnect() {
    const auto delay = ReconnectPlan::DelayBefore(reconnectAttempt_ + 1,
                                                  static_cast<int>(reconnectClock_.elapsed()) *
                                                      options_.reconnectDivisor);
    if (!delay) {
        StopReconnect();
        ShowMessage(this, Q(kDisconnected));
        ReturnToLogin();
        return;
    }
    ++reconnectAttempt_;
    if (auto* band = Item<QLabel>(IDC_STA_RECONNECT)) band->setText(Q(ReconnectPlan::BandText(reconnectAttempt_)));
    reconnect_.start(*delay / std::max(1, options_.reconnectDivisor));
}

void MainWindow::StopReconnect() {
    if (!reconnecting_) return;
    reconnecting_ = false;
    reconnect_.stop();
    loginReply_.stop();
    ShowReconnectBand(false);
}

void MainWindow::ShowReconnectBand(bool visible) {
    SetWindowlessVisible(IDC_WL_PIC_RECONNECT, visible);
    for (int id : {IDC_STA_RECONNECT, IDC_BTN_RECONNECT_STOP})
        if (QWidget* w = GetDlgItem(id)) {
            w->setVisible(visible);
            w->raise();
        }
    bandHeight_ = visible ? FindWindowless(IDC_WL_PIC_RECONNECT)->rect.height() : 0;
    ShowCurrentPage();
}

void MainWindow::DropSocket() {
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->Close();
    // It may be inside its own read notification: delete it once that has returned.
    socket_->deleteLater();
    socket_ = nullptr;
}

void MainWindow::WriteLog(std::string_view text) { log_.WriteLog(text); }

void MainWindow::SetWriteLog(int writeLog) {
    config_.writeLog = writeLog;
    log_.SetSwitch(writeLog);
}

bool MainWindow::Dispatch(Message& message) {
    return !shutDown_ && held_.Receive(message);
}

bool MainWindow::SendJson(const Json::Value& message) {
    // Nobody logged in, or the connection is being made again: nothing is sent.
    if (!socket_ || reconnecting_) return true;
    switch (socket_->SendJson(message)) {
        case ServerSocket::SendResult::Sent:
        case ServerSocket::SendResult::NotConnected: return true;
        case ServerSocket::SendResult::Lost: break;
    }
    ShowMessage(this, Q(kDisconnected));
    ReturnToLogin();
    return false;
}

bool MainWindow::LoginResult(const std::string& result, const std::string& text) {
    loginReply_.stop();
    if (!IsLoginSuccess(result)) {
        // A password the server refused is not kept for the next start.
        config_.password.clear();
        WriteConfig(ConfigPath(options_.home), config_);
        StopReconnect();
        DropSocket();
        if (const QPointer<LoginWindow> w = login_; w) {
            w->Fill(PrefillLoginForm(config_));
            w->SetState(LoginWindow::State::Idle);
            ShowMessage(w, Q(text));
        } else {
            ShowMessage(this, Q(text));
            ReturnToLogin();
        }
        return false;
    }
    if (reconnecting_) {
        // The connection is back: the server's answers refill what the old login had.
        StopReconnect();
        ClearSession();
    }
    AddGroupChoice(config_.user);
    auto* monitor = children_[Monitor]->Item<SkinBrowser>(IDC_HTMLCTRL_BUS_MONITOR);
    auto* webReport = children_[WebReport]->Item<SkinBrowser>(IDC_HTMLCTRL_NEW_REPOR);
    if (monitor)
        monitor->Navigate(QUrl(Q(MonitorSignInUrl(config_.server, config_.webPort, config_.user,
                                                  config_.password, codec_)),
                               QUrl::StrictMode));
    if (webReport)
        webReport->Navigate(QUrl(Q(WebReportSignInUrl(config_.server, config_.webPort,
                                                      config_.user, config_.password)),
                                 QUrl::StrictMode));
    loggedIn_ = 1;
    ShowCurrentPage();
    sweep_.start(options_.sweepMs);
    heartbeat_.start(options_.heartbeatMs);
    if (login_) login_->EndDialog(LoginWindow::kOk);
    return SendJson(HelloRequest(config_.user)) && SendJson(AnnounceRequest());
}

QComboBox* MainWindow::ReportCombo(int id) const {
    return children_[Report] ? children_[Report]->Item<QComboBox>(id) : nullptr;
}

void MainWindow::AddGroupChoice(const std::string& group) {
    if (report_) report_->AddGroupChoice(group);
}

void MainWindow::AddVehicleChoice(const std::string& plate) {
    if (report_) report_->AddVehicleChoice(plate);
    if (schedulePage_) schedulePage_->FleetChanged();
}

CUIWnd* MainWindow::MakeReportWindow() {
    report_ = new ReportWindow(
        ReportSession{.stopTimes = stopTimes_,
                      .routes = routes_,
                      .vehicles = vehicles_,
                      .login = config_,
                      .wire = codec_,
                      .log = *this,
                      .send = [this](const Json::Value& m) { return SendJson(m); },
                      .hold = &held_,
                      .dispatcher = &dispatcher_,
                      .rowImages = QVector<QImage>(rowImages_.begin(), rowImages_.end()),
                      .rememberExportFolder =
                          [this](const std::string& folder) { config_.exportFolder = folder; }},
        this);
    // Logging out or closing stops a run and drops what it held.
    connect(this, &MainWindow::loginEnded, report_, &ReportWindow::EndLogin);
    connect(this, &MainWindow::closed, report_, &ReportWindow::EndLogin);
    return report_;
}

void MainWindow::Place(CUIWnd* window, const skin::Rect& r) {
    window->setGeometry(r.left, r.top, r.Width(), r.Height());
    window->show();
}

void MainWindow::TickMenu(int page) {
    for (int i = 0; i < static_cast<int>(kMenuRadios.size()); ++i)
        if (auto* radio = Item<QRadioButton>(kMenuRadios[i])) {
            radio->setAutoExclusive(false);
            radio->setChecked(i == page);
            radio->setAutoExclusive(true);
        }
}

void MainWindow::ShowCurrentPage() {
    if (shutDown_) return;
    std::vector<std::pair<Child, skin::Rect>> shown;
    if (loggedIn_) {
        auto layoutFor = [this](Child head) {
            return ComputePageLayout(width(), height(), children_[head]->WindowData().size.height, bandHeight_);
        };
        switch (currentPage_) {
            case 0: shown = {{RouteMenu, layoutFor(RouteMenu).head}}; break;
            case 1: shown = {{ScheduleMenu, layoutFor(ScheduleMenu).head}}; break;
            case 2: shown = {{ReportMenuPage, layoutFor(ReportMenuPage).head}}; break;
            case 3: shown = {{Monitor, layoutFor(Monitor).whole}}; break;
            default: break;
        }
    }
    // Only what leaves is hidden, so a resize moves the page without a flicker. The bodies of
    // the route, schedule and report pages are placed by their heads, in the heads' own modes.
    auto placedByHead = [this](int i) {
        return loggedIn_ && ((currentPage_ == 0 && (i == RouteList || i == RouteDraw)) ||
                             (currentPage_ == 1 && (i == ScheduleList || i == TimetableImport || i == ScheduleSetup)) ||
                             (currentPage_ == 2 && (i == Report || i == WebReport)));
    };
    for (int i = 0; i < kChildCount; ++i) {
        const bool stays = std::any_of(shown.begin(), shown.end(), [i](const auto& s) { return s.first == i; });
        if (!stays && !placedByHead(i)) children_[i]->hide();
    }
    if (!loggedIn_) return;
    for (const auto& [child, rect] : shown) Place(children_[child], rect);
    if (currentPage_ == 0) {
        if (auto* routeMenu = qobject_cast<RouteMenuWindow*>(children_[RouteMenu])) routeMenu->Layout();
    } else if (currentPage_ == 1) {
        schedulePage_->ShowScheduleMode();
    } else if (currentPage_ == 2) {
        LayoutReportPage();
    }
    TickMenu(currentPage_);
}

void MainWindow::LayoutReportPage() {
    const bool web = reportMenu_->Mode() == 1;
    children_[web ? Report : WebReport]->hide();
    const PageLayout p =
        ComputePageLayout(width(), height(), reportMenu_->WindowData().size.height, bandHeight_);
    Place(children_[web ? WebReport : Report], p.body);
    reportMenu_->TickMode();
}

void MainWindow::ClearSession() {
    vehicles_.Clear();
    routes_.Clear();
    for (auto [child, id] : {std::pair{RouteList, IDC_LSTCTRL_LX_GL},
                             std::pair{ScheduleList, IDC_LSTCTRL_ARRANGE},
                             std::pair{Report, IDC_LSTCTRL_REPORT}})
        if (auto* list = children_[child] ? children_[child]->Item<QTreeWidget>(id) : nullptr)
            list->clear();
    if (QComboBox* groups = ReportCombo(IDC_CMB__STAT_GONGSI)) groups->clear();
    emit loginEnded();
}

void MainWindow::ReturnToLogin() {
    if (shutDown_) return;
    StopReconnect();
    loginReply_.stop();
    loggedIn_ = 0;
    ShowCurrentPage();
    DropSocket();
    ClearSession();
    currentPage_ = 0;
    TickMenu(0);
    // The login window runs once the event that ended the login (a read, a click) has returned.
    if (loginPending_) return;
    loginPending_ = true;
    QTimer::singleShot(0, this, [this] {
        loginPending_ = false;
        if (shutDown_) return;
        if (RunLogin())
            TakeKeyboard();
        else
            Quit();
    });
}

void MainWindow::Quit() {
    quitting_ = true;
    CloseAllMessages();
    CUIWnd::EndAllModals();
    close();
}

void MainWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    for (int page = 0; page < static_cast<int>(kMenuRadios.size()); ++page)
        if (id == kMenuRadios[page]) {
            currentPage_ = page;
            ShowCurrentPage();
            return;
        }
    if (id == IDC_BTN_LOGOUT) {
        if (!loggedIn_ || AskQuestion(this, Q(kAskLogout))) ReturnToLogin();
    } else if (id == IDC_BTN_SETTING) {
        SettingsWindow settings(config_.writeLog, [this](int on) { SetWriteLog(on); }, this);
        settings.SetPorts({config_.port, config_.webPort}, [this](SettingsWindow::Ports ports) {
            config_.port = ports.server;
            config_.webPort = ports.web;
        });
        settings.SetDetection(config_.detection,
                              [this](DetectionRule rule) { config_.detection = rule; });
        settings.DoModal();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    CUIWnd::resizeEvent(event);
    if (IsCreated() && children_[0] != nullptr) ShowCurrentPage();
}

void MainWindow::OnHeartbeat() {
    heartbeat_.stop();
    if (socket_ && loggedIn_ && !reconnecting_) SendJson(HeartbeatRequest());
    heartbeat_.start(options_.heartbeatMs);
}

void MainWindow::OnSweep() {
    sweep_.stop();
    emit dialogSweep();
    sweep_.start(options_.sweepMs);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A person closing the program while logged in is asked first; a signal is not.
    if (!quitting_ && !shutDown_ && loggedIn_ && !AskQuestion(this, Q(kAskQuit))) {
        event->ignore();
        return;
    }
    Shutdown();
    CUIWnd::closeEvent(event);
    emit closed();
}

void MainWindow::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    for (QTimer* timer : {&heartbeat_, &sweep_, &loginReply_, &reconnect_}) timer->stop();
    if (loggedIn_) config_.page = currentPage_;
    // The pages stay until the destructor: an event of theirs may still be on the stack.
    for (CUIWnd* child : children_)
        if (child) child->hide();
    DropSocket();
    vehicles_.Clear();
    routes_.Clear();
    WriteConfig(ConfigPath(options_.home), config_);
}

}  // namespace fw

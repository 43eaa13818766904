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
#include "net/ReconnectPlan.h"
#include "net/Requests.h"
#include "app/ReportMenuWindow.h"
#include "app/SettingsWindow.h"
#include "app/WorkPages.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "routes/RouteMenuWindow.h"
#include "schedules/SchedulePage.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

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
      codec_(config_.charset),
      session_(config_, codec_, log_,
               {.heartbeatMs = options_.heartbeatMs,
                .loginReplyMs = options_.loginReplyMs,
                .reconnectDivisor = options_.reconnectDivisor,
                .settleMs = options_.settleMs}) {
    log_.SetSwitch(config_.writeLog);
    autoLoginPending_ = options_.autoLogin;
    if (options_.page >= 0) currentPage_ = options_.page;
    else if (config_.page >= 0) currentPage_ = config_.page;
    sweep_.setSingleShot(true);
    connect(&sweep_, &QTimer::timeout, this, &MainWindow::OnSweep);
    session_.SetHandler([this](Message& m) { return !shutDown_ && dispatcher_.Dispatch(m); });
    ConnectSession();
}

void MainWindow::ConnectSession() {
    connect(&session_, &ServerSession::loggingIn, this, [this] {
        if (login_) login_->SetState(LoginWindow::State::LoggingIn);
    });
    connect(&session_, &ServerSession::signInFailed, this, &MainWindow::OnSignInFailed);
    connect(&session_, &ServerSession::signedIn, this, &MainWindow::OnSignedIn);
    connect(&session_, &ServerSession::loginRefused, this, &MainWindow::OnLoginRefused);
    connect(&session_, &ServerSession::connectionLost, this, &MainWindow::OnConnectionLost);
    connect(&session_, &ServerSession::reconnectTry, this, [this](int attempt) {
        if (auto* band = Item<QLabel>(IDC_STA_RECONNECT)) band->setText(Q(ReconnectPlan::BandText(attempt)));
        if (bandHeight_ == 0) ShowReconnectBand(true);
    });
    connect(&session_, &ServerSession::ended, this, &MainWindow::OnSessionEnded);
    connect(&session_, &ServerSession::pushesSettled, this, &MainWindow::OnPushesSettled);
}

MainWindow::~MainWindow() {
    Shutdown();
    // The pages use the stores and the session: they go before the members do.
    for (CUIWnd*& child : children_) {
        delete child;
        child = nullptr;
    }
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
    ScheduleLink scheduleLink{[this](const Json::Value& m) { return session_.Send(m); }, [this] { return dispatcher_.User(); },
                              &QDateTime::currentDateTime, {checkImages_.begin(), checkImages_.end()},
                              {rowImages_.begin(), rowImages_.end()}};
    scheduleLink.fleetPlates = [this] {
        std::vector<std::string> plates;
        for (const VehicleRecord& v : vehicles_.Records()) plates.push_back(v.code);
        return plates;
    };
    scheduleLink.minTurnaround = config_.minTurnaround;
    scheduleLink.tripTimes = [this] {
        TripTimes trips;
        trips.SetFallback(config_.defaultTripTime);
        for (std::size_t i = 0; i < routes_.Size(); ++i)
            if (const auto seconds = RouteTimeSeconds(routes_.At(i)->time)) trips.Set(routes_.At(i)->lineName, *seconds);
        return trips;
    };
    scheduleLink.wire = &codec_;
    scheduleLink.canSend = [this] { return session_.CanSend(); };
    scheduleLink.answersWaiting = [this] { return session_.Hold().Waiting() > 0; };
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
    connect(&session_, &ServerSession::documentArrived, this, [this] { schedulePage_->ServerHeard(); });

    db_.Open(options_.home, config_.dataName, config_.dataBasePassword, &log_);
    const std::string warning = HomeWriteWarning(
        options_.home, config_.dataName.empty() ? "" : Database::FilePath(options_.home, config_.dataName));
    if (!warning.empty()) ShowMessage(nullptr, Q(warning));

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    connect(Item<QAbstractButton>(IDC_BTN_RECONNECT_STOP), &QAbstractButton::clicked, this, [this] { ReturnToLogin(); });

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
        if (!loggedIn_) session_.End();
        return false;
    }
    return true;
}

void MainWindow::AttemptLogin(LoginWindow& window) {
    ApplyLoginForm(window.Form(), config_);
    WriteConfig(ConfigPath(options_.home), config_);
    dispatcher_.SetUser(config_.user);
    window.SetState(LoginWindow::State::Connecting);
    session_.SignIn();
}

void MainWindow::OnSignInFailed(const QString& reason) {
    if (!login_) return;
    login_->SetState(LoginWindow::State::Idle);
    ShowMessage(login_, reason);
}

void MainWindow::OnLoginRefused(const QString& text) {
    // A password the server refused is not kept for the next start.
    config_.password.clear();
    WriteConfig(ConfigPath(options_.home), config_);
    ShowReconnectBand(false);
    if (const QPointer<LoginWindow> w = login_; w) {
        w->Fill(PrefillLoginForm(config_));
        w->SetState(LoginWindow::State::Idle);
        ShowMessage(w, text);
    } else {
        ShowMessage(this, text);
        ReturnToLogin();
    }
}

// The connection of a signed-in session is gone. The pages keep what they show; what waited for
// an answer is told it will not get one.
void MainWindow::OnConnectionLost() {
    refreshing_ = false;
    // The report first: it only notes the loss unless it waited for rows, so a run that ends
    // under the schedule's box already knows why its track did not come.
    if (report_) report_->ConnectionLost();
    schedulePage_->ConnectionLost();
}

void MainWindow::OnSessionEnded(const QString& reason) {
    ShowReconnectBand(false);
    ShowMessage(this, reason);
    ReturnToLogin();
}

void MainWindow::OnSignedIn(bool again) {
    if (again) {
        // The pages keep their state; the server's pushes refresh the stores in place, and what
        // it no longer has goes once they have settled.
        ShowReconnectBand(false);
        refreshing_ = true;
        routes_.BeginRefresh();
        vehicles_.BeginRefresh();
        schedulePage_->BeginRefresh();
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
    if (login_) login_->EndDialog(LoginWindow::kOk);
}

void MainWindow::OnPushesSettled() {
    if (!refreshing_) return;
    refreshing_ = false;
    routes_.EndRefresh();
    vehicles_.EndRefresh();
    schedulePage_->FleetChanged();  // the roster checks look at the fleet as it is now
    emit refreshed();
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

void MainWindow::SetWriteLog(int writeLog) {
    config_.writeLog = writeLog;
    log_.SetSwitch(writeLog);
}

bool MainWindow::SendJson(const Json::Value& message) { return session_.Answer(message); }

bool MainWindow::LoginResult(const std::string& result, const std::string& text) {
    return session_.LoginReply(result, text);
}

QComboBox* MainWindow::ReportCombo(int id) const {
    return children_[Report] ? children_[Report]->Item<QComboBox>(id) : nullptr;
}

// After a re-login the drop-downs only gain what they lack: the dispatcher's choice stays.
void MainWindow::AddGroupChoice(const std::string& group) {
    if (report_) report_->AddGroupChoice(group, refreshing_);
}

void MainWindow::AddVehicleChoice(const std::string& plate) {
    if (report_) report_->AddVehicleChoice(plate, refreshing_);
    if (schedulePage_) schedulePage_->FleetChanged();
}

CUIWnd* MainWindow::MakeReportWindow() {
    report_ = new ReportWindow(
        ReportSession{.stopTimes = stopTimes_,
                      .routes = routes_,
                      .vehicles = vehicles_,
                      .login = config_,
                      .wire = codec_,
                      .log = log_,
                      .send = [this](const Json::Value& m) { return session_.Send(m); },
                      .hold = &session_.Hold(),
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
    refreshing_ = false;
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
    session_.End();
    loggedIn_ = 0;
    ShowReconnectBand(false);  // and the pages go
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
        settings.SetMatching(config_.matching,
                             [this](Matching matching) { config_.matching = matching; });
        settings.DoModal();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    CUIWnd::resizeEvent(event);
    if (IsCreated() && children_[0] != nullptr) ShowCurrentPage();
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
    sweep_.stop();
    session_.End();
    if (loggedIn_) config_.page = currentPage_;
    // The pages stay until the destructor: an event of theirs may still be on the stack.
    for (CUIWnd* child : children_)
        if (child) child->hide();
    vehicles_.Clear();
    routes_.Clear();
    WriteConfig(ConfigPath(options_.home), config_);
}

}  // namespace fw

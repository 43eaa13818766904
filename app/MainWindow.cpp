#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>
#include <QUrl>

#include "app/LoginForm.h"
#include "app/LoginWindow.h"
#include "app/MessageBox.h"
#include "app/PageLayout.h"
#include "app/PageWindow.h"
#include "app/ReportMenuWindow.h"
#include "app/SettingsWindow.h"
#include "net/Requests.h"
#include "reports/ReportWindow.h"
#include "res/RESOURCE.H"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

constexpr const char* kConnectFailed = "服务器连接失败!!!";
constexpr const char* kDisconnected = "与服务器断开连接";

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
    heartbeat_.setSingleShot(true);
    sweep_.setSingleShot(true);
    connect(&heartbeat_, &QTimer::timeout, this, &MainWindow::OnHeartbeat);
    connect(&sweep_, &QTimer::timeout, this, &MainWindow::OnSweep);
}

MainWindow::~MainWindow() {
    Shutdown();
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

    for (int i = 0; i < kChildCount; ++i) {
        CUIWnd* page = nullptr;
        if (i == ReportMenuPage) {
            reportMenu_ = new ReportMenuWindow(this);
            reportMenu_->onModeChanged = [this] { LayoutReportPage(); };
            page = reportMenu_;
        } else if (i == Report) {
            page = MakeReportWindow();
        } else {
            page = new PageWindow(kChildSkinIds[i], this);
        }
        page->Create(this, false);
        page->hide();
        children_[i] = page;
    }

    db_.Open(options_.home, config_.dataName, config_.dataBasePassword, &log_);

    if (!RunLogin()) return false;
    if (QWidget* version = GetDlgItem(IDC_STA_VER)) version->hide();
    // Without a window manager "maximised" means nothing; take the work area explicitly.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
    ShowCurrentPage();
    return true;
}

bool MainWindow::RunLogin() {
    LoginWindow window(isVisible() ? this : nullptr);
    window.Create(nullptr, false);
    window.Fill(PrefillLoginForm(config_));
    window.onLogin = [this](LoginWindow& w) { AttemptLogin(w); };
    if (options_.autoLogin && CanLogInUnattended(config_)) window.SubmitSoon();
    login_ = &window;
    const int result = window.DoModal();
    login_ = nullptr;
    if (result != LoginWindow::kOk) {
        // A connection still being made for this window is abandoned with it.
        if (socket_ && !socket_->IsConnected()) DropSocket();
        return false;
    }
    return true;
}

void MainWindow::AttemptLogin(LoginWindow& window) {
    ApplyLoginForm(window.Form(), config_);
    WriteConfig(ConfigPath(options_.home), config_);
    dispatcher_.SetUser(config_.user);

    DropSocket();
    socket_ = new ServerSocket(codec_, *this, this);
    QPointer<LoginWindow> w(&window);
    connect(socket_, &ServerSocket::connected, this, [this, w] {
        SendJson(LoginRequest(config_.user, config_.password));
        if (w) w->EndDialog(LoginWindow::kOk);
    });
    connect(socket_, &ServerSocket::connectFailed, this, [this, w] {
        WriteLog(kConnectFailed);
        if (w) w->SetConnecting(false);
        ShowMessage(w ? static_cast<QWidget*>(w) : this, Q(kConnectFailed));
    });
    window.SetConnecting(true);
    socket_->Open(Q(config_.server), static_cast<quint16>(config_.port));
}

void MainWindow::DropSocket() {
    if (!socket_) return;
    socket_->Close();
    socket_->disconnect(this);
    // It may be inside its own read notification: delete it once that has returned.
    socket_->deleteLater();
    socket_ = nullptr;
}

void MainWindow::WriteLog(std::string_view text) { log_.WriteLog(text); }

void MainWindow::SetWriteLog(int writeLog) {
    config_.writeLog = writeLog;
    log_.SetSwitch(writeLog);
}

bool MainWindow::Dispatch(Message& message) { return held_.Receive(message); }

bool MainWindow::SendJson(const Json::Value& message) {
    if (!socket_) return true;  // nobody logged in: nothing is sent
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
    if (!IsLoginSuccess(result)) {
        ShowMessage(this, Q(text));
        ReturnToLogin();
        return false;
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
                      .rowImages = QVector<QImage>(rowImages_.begin(), rowImages_.end())},
        this);
    connect(this, &MainWindow::loginEnded, report_, &ReportWindow::EndLogin);
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
    for (CUIWnd* child : children_) child->hide();
    if (!loggedIn_) return;
    auto layoutFor = [this](Child head) {
        return ComputePageLayout(width(), height(), children_[head]->WindowData().size.height);
    };
    switch (currentPage_) {
        case 0: {
            const PageLayout p = layoutFor(RouteMenu);
            Place(children_[RouteMenu], p.head);
            Place(children_[RouteList], p.body);
            break;
        }
        case 1: {
            const PageLayout p = layoutFor(ScheduleMenu);
            Place(children_[ScheduleMenu], p.head);
            Place(children_[ScheduleList], p.body);
            break;
        }
        case 2: Place(children_[ReportMenuPage], layoutFor(ReportMenuPage).head); LayoutReportPage(); break;
        case 3: Place(children_[Monitor], layoutFor(Monitor).whole); break;
        default: break;
    }
    TickMenu(currentPage_);
}

void MainWindow::LayoutReportPage() {
    children_[WebReport]->hide();
    children_[Report]->hide();
    const PageLayout p = ComputePageLayout(width(), height(), reportMenu_->WindowData().size.height);
    Place(children_[reportMenu_->Mode() == 1 ? WebReport : Report], p.body);
    reportMenu_->TickMode();
}

void MainWindow::ReturnToLogin() {
    loggedIn_ = 0;
    ShowCurrentPage();
    DropSocket();
    vehicles_.Clear();
    routes_.Clear();
    for (auto [child, id] : {std::pair{RouteList, IDC_LSTCTRL_LX_GL},
                             std::pair{ScheduleList, IDC_LSTCTRL_ARRANGE},
                             std::pair{Report, IDC_LSTCTRL_REPORT}})
        if (auto* list = children_[child] ? children_[child]->Item<QTreeWidget>(id) : nullptr)
            list->clear();
    if (QComboBox* groups = ReportCombo(IDC_CMB__STAT_GONGSI)) groups->clear();
    currentPage_ = 0;
    TickMenu(0);
    emit loginEnded();
    // The login window runs once the event that ended the login (a read, a click) has returned.
    if (loginPending_ || shutDown_) return;
    loginPending_ = true;
    QTimer::singleShot(0, this, [this] {
        loginPending_ = false;
        if (shutDown_) return;
        if (!RunLogin()) close();
    });
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
        ReturnToLogin();
    } else if (id == IDC_BTN_SETTING) {
        SettingsWindow settings(config_.writeLog, [this](int on) { SetWriteLog(on); }, this);
        settings.DoModal();
    }
}

void MainWindow::OnHeartbeat() {
    heartbeat_.stop();
    if (socket_) SendJson(HeartbeatRequest());
    heartbeat_.start(options_.heartbeatMs);
}

void MainWindow::OnSweep() {
    sweep_.stop();
    emit dialogSweep();
    sweep_.start(options_.sweepMs);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Shutdown();
    CUIWnd::closeEvent(event);
    emit closed();
}

void MainWindow::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    heartbeat_.stop();
    sweep_.stop();
    for (CUIWnd*& child : children_) {
        delete child;
        child = nullptr;
    }
    reportMenu_ = nullptr;
    report_ = nullptr;
    if (socket_) {
        socket_->Close();
        delete socket_.data();
    }
    vehicles_.Clear();
    routes_.Clear();
    WriteConfig(ConfigPath(options_.home), config_);
}

}  // namespace fw

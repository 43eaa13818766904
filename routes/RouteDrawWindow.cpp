#include "routes/RouteDrawWindow.h"

#include <QLabel>
#include <QLineEdit>

#include "text/LogSink.h"
#include "base/MessageBox.h"
#include "net/NotSent.h"
#include "res/RESOURCE.H"
#include "routes/RouteListWindow.h"
#include "routes/RouteMenuWindow.h"
#include "routes/RouteStore.h"
#include "skin/SkinControls.h"
#include "web/BrowserHost.h"
#include "web/EmbeddedPage.h"
#include "web/PageRelay.h"
#include "web/PageScript.h"

namespace fw {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

RouteDrawWindow::RouteDrawWindow(QWidget* owner, RouteContext context,
                                 std::function<QString()> trustedBase)
    : CUIWnd(owner), context_(std::move(context)), trustedBase_(std::move(trustedBase)) {
    controlsTimer_.setSingleShot(true);
    controlsTimer_.setInterval(0);
    connect(&controlsTimer_, &QTimer::timeout, this, &RouteDrawWindow::FlushControls);
}

void RouteDrawWindow::SetPages(RouteListWindow* list, RouteMenuWindow* menu) {
    list_ = list;
    menu_ = menu;
}

void RouteDrawWindow::InitSkinWindowId() { SetSkinWindowId(IDW_LUXIAN_ADD); }

bool RouteDrawWindow::OnCreate() {
    auto* browser = Item<SkinBrowser>(IDC_HTMLCTRL_MARK);
    auto* name = Item<QLineEdit>(IDC_EDT_LX_ADD_NAME);
    auto* stations = Item<QLineEdit>(IDC_EDT_LX_ADD_ZHANDIAN);
    if (browser == nullptr || name == nullptr || stations == nullptr) return false;
    // What the user types is the bound text at once.
    connect(name, &QLineEdit::textEdited, this,
            [this](const QString& text) { drawing_.routeName = text.toStdString(); });
    connect(stations, &QLineEdit::textEdited, this,
            [this](const QString& text) { drawing_.stationsText = text.toStdString(); });
    host_ = new BrowserHost(browser, {QStringLiteral("线路地图"), context_.log, true, trustedBase_});
    connect(host_->Relay(), &PageRelay::operation, this, &RouteDrawWindow::OnOperation);
    return true;
}

void RouteDrawWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_BTN_CLEAR) Clear();
    else if (id == IDC_BTN_LX_ADD) Save();
}

void RouteDrawWindow::OnOperation() {
    const std::string command = host_->Relay()->CommandText().toStdString();
    if (context_.log != nullptr) context_.log->WriteLog(command);
    const RouteDrawing::Applied applied = drawing_.Apply(command);
    if (!applied.logLine.empty()) {
        if (context_.log != nullptr) context_.log->WriteLog(applied.logLine);
        return;
    }
    ControlsChanged();
}

void RouteDrawWindow::ControlsChanged() {
    if (!controlsTimer_.isActive()) controlsTimer_.start();
}

void RouteDrawWindow::FlushControls() {
    controlsTimer_.stop();
    auto setEdit = [this](int id, const std::string& text) {
        auto* edit = Item<QLineEdit>(id);
        if (edit->text().toStdString() != text) edit->setText(Q(text));
    };
    setEdit(IDC_EDT_LX_ADD_NAME, drawing_.routeName);
    setEdit(IDC_EDT_LX_ADD_ZHANDIAN, drawing_.stationsText);
    if (auto* length = Item<QLabel>(IDC_STA_DIS)) length->setText(Q(drawing_.LengthText()));
    if (auto* time = Item<QLabel>(IDC_STA_LX_ADD_TIME)) time->setText(Q(drawing_.TimeText()));
}

void RouteDrawWindow::CallClears() {
    PageScript script;
    script.SetDocument(host_->Page());
    script.CallScript(QStringLiteral("clears"));
}

void RouteDrawWindow::Clear() {
    CallClears();
    drawing_.Reset();
    FlushControls();
}

void RouteDrawWindow::Save() {
    const std::string refusal = drawing_.SaveRefusal(context_.routes);
    if (!refusal.empty()) {
        ShowMessage(this, Q(refusal));
        return;
    }
    // The route is stored and listed, and the drawing cleared, only once the request went out:
    // without the connection nothing changes here and the user can save again later.
    RouteRecord route = drawing_.RouteToSave();
    const std::string user = context_.userName ? context_.userName() : std::string();
    const Json::Value request = SaveRouteRequest(SaveRequestFor(route, user));
    if (!context_.sendJson || !context_.sendJson(request)) {
        ShowMessage(this, Q(NotSentText(kRouteNotSaved)));
        return;
    }
    RouteRecord& stored = context_.routes->Append(std::move(route));
    if (list_ != nullptr) {
        list_->RefreshPager();
        list_->AppendRow(stored);
    }
    CallClears();
    drawing_.Reset();
    FlushControls();
    if (menu_ != nullptr) menu_->ShowManage();
}

}  // namespace fw

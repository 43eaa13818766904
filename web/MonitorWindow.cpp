#include "web/MonitorWindow.h"

#include "text/LogSink.h"
#include "res/RESOURCE.H"
#include "skin/SkinControls.h"
#include "web/BrowserHost.h"
#include "web/EmbeddedPage.h"
#include "web/PageRelay.h"
#include "web/PageScript.h"

namespace fw {

MonitorWindow::MonitorWindow(QWidget* owner, Context context)
    : CUIWnd(owner), context_(std::move(context)) {}

void MonitorWindow::InitSkinWindowId() { SetSkinWindowId(IDW_BUS_MONITOR); }

bool MonitorWindow::OnCreate() {
    auto* browser = Item<SkinBrowser>(IDC_HTMLCTRL_BUS_MONITOR);
    if (browser == nullptr) return false;
    host_ = new BrowserHost(browser, {QStringLiteral("监控页面"), context_.log, true,
                                      context_.trustedBase});
    connect(host_->Relay(), &PageRelay::operation, this, &MonitorWindow::AnswerPage);
    connect(host_, &BrowserHost::alertRaised, this, [this] { alertPending_ = true; });
    return true;
}

void MonitorWindow::AnswerPage() {
    // The command's text says nothing the answer depends on.
    PageScript script;
    script.SetDocument(host_->Page());
    script.CallScript(QStringLiteral("setAlarmType"), QString::fromLatin1(kAlarmAnswer));
}

void MonitorWindow::Sweep() {
    if (!alertPending_) return;
    alertPending_ = false;
    SkinBrowser* browser = host_->Browser();
    const QUrl signIn = browser->PendingUrl();
    if (signIn.isEmpty()) return;
    if (context_.log != nullptr) context_.log->WriteLog("监控页面重新登录");
    browser->Navigate(signIn);
}

}  // namespace fw

#include "web/EmbeddedPage.h"

#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "base/MessageBox.h"

#include "text/LogSink.h"
#include "web/LoadErrorPage.h"
#include "web/PageAddresses.h"
#include "web/PageRelay.h"

namespace fw {
namespace {

const QString kPageScriptName = QStringLiteral("fenwarde-relay-page");
const QString kBridgeScriptName = QStringLiteral("fenwarde-relay-bridge");

QString Shown(const QUrl& url) {
    return QString::fromStdString(MaskedAddress(url.toString(QUrl::FullyEncoded).toStdString()));
}

}  // namespace

PageDialogTimes& PageDialogTiming() {
    static PageDialogTimes times;
    return times;
}

bool IsSameSite(const QUrl& url, const QUrl& base) {
    return url.isValid() && base.isValid() && url.scheme() == base.scheme() &&
           url.host().compare(base.host(), Qt::CaseInsensitive) == 0 &&
           url.port(80) == base.port(80);
}

EmbeddedPage::EmbeddedPage(Options options, QObject* parent)
    : QWebEnginePage(QWebEngineProfile::defaultProfile(), parent),
      options_(std::move(options)),
      relay_(options_.relay) {
    // Failures show our own page, never the browser's English one.
    settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(this, &QWebEnginePage::loadingChanged, this, &EmbeddedPage::OnLoading);
    if (relay_) {
        channel_ = new QWebChannel(this);
        channel_->registerObject(QStringLiteral("relay"), relay_);
        setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
        relay_->SetTrustCheck([this] { return IsTrusted(); });
        UpdateRelayScripts();
    }
}

EmbeddedPage::~EmbeddedPage() {
    if (relay_) relay_->SetTrustCheck([] { return false; });
}

bool EmbeddedPage::IsTrusted() const {
    return options_.trustedBase && !showingError_ &&
           IsSameSite(url(), QUrl(options_.trustedBase()));
}

void EmbeddedPage::UpdateRelayScripts() {
    if (!relay_ || !options_.trustedBase) return;
    const QString base = options_.trustedBase();
    if (scriptsInstalled_ && base == scriptsBase_) return;
    QWebEngineScriptCollection& collection = scripts();
    for (const QString& name : {kPageScriptName, kBridgeScriptName})
        for (const QWebEngineScript& old : collection.find(name)) collection.remove(old);
    scriptsBase_ = base;
    scriptsInstalled_ = true;
    const RelayScripts source = MakeRelayScripts(base);
    if (source.pageWorld.isEmpty()) {
        Log(QStringLiteral("页面命令通道无法建立"));
        return;
    }
    auto add = [&collection](const QString& name, const QString& code, quint32 world) {
        QWebEngineScript script;
        script.setName(name);
        script.setSourceCode(code);
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(world);
        script.setRunsOnSubFrames(false);
        collection.insert(script);
    };
    add(kPageScriptName, source.pageWorld, QWebEngineScript::MainWorld);
    add(kBridgeScriptName, source.bridgeWorld, QWebEngineScript::ApplicationWorld);
}

bool EmbeddedPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // The web site may have changed with a new login; the next document must see the new one.
    if (isMainFrame) UpdateRelayScripts();
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void EmbeddedPage::OnLoading(const QWebEngineLoadingInfo& info) {
    if (info.url().scheme() == QLatin1String("data")) return;  // our own error page
    switch (info.status()) {
        // A load that replaces the error page while it is still coming may report only its end.
        case QWebEngineLoadingInfo::LoadStartedStatus:
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            showingError_ = false;
            return;
        case QWebEngineLoadingInfo::LoadFailedStatus: break;
        default: return;
    }
    if (info.errorCode() == kLoadAborted) return;  // replaced by another navigation
    const bool http = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain;
    const QString reason = QString::fromStdString(LoadFailureReason(http, info.errorCode()));
    failedUrl_ = info.url();
    showingError_ = true;
    Log(QStringLiteral("%1无法打开：%2，%3").arg(options_.name, Shown(info.url()), reason));
    setHtml(QString::fromStdString(
        LoadErrorPageHtml(info.url().toString(QUrl::FullyEncoded).toStdString(), reason.toStdString())));
    emit loadFailed(info.url(), reason);
}

void EmbeddedPage::Refresh() {
    if (showingError_ && failedUrl_.isValid()) {
        load(failedUrl_);
        return;
    }
    triggerAction(QWebEnginePage::Reload);
}

void EmbeddedPage::javaScriptAlert(const QUrl&, const QString& msg) {
    Log(QStringLiteral("来自网页的消息（%1）：%2").arg(options_.name, msg));
    emit alertRaised(msg);
}

bool EmbeddedPage::javaScriptConfirm(const QUrl&, const QString& msg) {
    Log(QStringLiteral("来自网页的消息（%1）：%2").arg(options_.name, msg));
    const bool yes = AskQuestion(QWebEngineView::forPage(this), msg,
                                 {QStringLiteral("确定"), QStringLiteral("取消"), false,
                                  PageDialogTiming().confirmMs});
    Log(QStringLiteral("网页确认（%1）：%2").arg(options_.name, yes ? QStringLiteral("确定") : QStringLiteral("取消")));
    return yes;
}

bool EmbeddedPage::javaScriptPrompt(const QUrl&, const QString& msg, const QString&, QString*) {
    Log(QStringLiteral("来自网页的消息（%1）：%2").arg(options_.name, msg));
    return false;
}

void EmbeddedPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                            const QString& message, int lineNumber,
                                            const QString& sourceID) {
    if (level != ErrorMessageLevel) return;
    Log(QStringLiteral("脚本错误（%1）：%2（%3 第 %4 行）")
            .arg(options_.name, message, Shown(QUrl(sourceID)))
            .arg(lineNumber));
}

void EmbeddedPage::Log(const QString& text) const {
    if (options_.log != nullptr) options_.log->WriteLog(text.toStdString());
}

}  // namespace fw
